// FrmCampos: the column chooser of the paged grid (TsDbGrid).
//
// The caller sets gCampos, gCamposSel and gOrdinalSel, shows the dialog
// modally (ui::ShowModal), reads Cancelar and, unless it is true, reads
// gCamposSel, gOrdinalSel and gCamposOrden back; then it releases the dialog.
// The list shows the chosen columns first, in their chosen order and
// selected, then the others in the grid's order; the key column (the last of
// gCampos) is held out of the list and added back to the results. The dialog
// only turns texts into a list and back; it never touches the database.
//
// The arrows move the current item; held down with the left button they
// repeat about every 100 ms (the wait pumps events, so the button's release
// ends it). Making an item current never selects it: a moved item is a new
// item and comes unselected. The window's close box and Esc act as ImgCancelar.
#pragma once

#include <QDialog>

#include <string>

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;

namespace authorization {

class FrmCampos : public QDialog {
    Q_OBJECT

public:
    explicit FrmCampos(QWidget* parent = nullptr);

    // Every column of the grid, each followed by "|": "[TC]|[NUMERO]|[ID]|".
    std::string gCampos;
    // Output: every column in the list's order, then the key: "[a], [b], [ID]".
    std::string gCamposOrden;
    // Input and output: the chosen columns, then the key; empty when none is chosen.
    std::string gCamposSel;
    // Input and output: the list positions of the chosen columns, each
    // followed by "|" ("0|2|"); empty when none is chosen.
    std::string gOrdinalSel;
    // Output: true when the dialog was closed without applying.
    bool Cancelar = false;

    QLabel* Label1;
    QLabel* Label2;
    QListWidget* LstCampos;  // multiple selection: Ctrl and Shift extend it
    QPushButton* cmdAplicar;
    QPushButton* cmdTodos;
    QLabel* ImgSubir;
    QLabel* ImgBajar;
    QFrame* shpSubir;  // the pressed look of the arrows, hidden at rest
    QFrame* shpBajar;
    QLabel* ImgCancelar;
    QFrame* Shape1;  // the hover highlight of ImgCancelar

    // The key column, held out of the list while the dialog is open.
    const std::string& CampoClave() const { return campoClave_; }
    // True while the left button is held on an arrow.
    bool Repitiendo() const { return repitiendo_; }

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void cmdAplicar_Click();
    void cmdTodos_Click();
    void ImgCancelar_Click();
    // Moves the current item one place up (-1) or down (+1).
    void Mover(int sentido);
    void Flecha_MouseDown(QFrame& forma, int sentido);
    void Flecha_MouseUp(QFrame& forma);
    void HacerActual(int fila);

    std::string campoClave_;
    bool repitiendo_ = false;
    bool cargado_ = false;
};

}  // namespace authorization
