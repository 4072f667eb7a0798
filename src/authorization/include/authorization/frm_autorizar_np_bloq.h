// FrmAutorizarNPBloq: the program's main window. It lists the company's
// blocked orders of type "NP" in a paged grid, shows the action history of
// the current order in an information panel, and authorizes the selected
// orders: each one is unblocked and gets an "AO" action record, both in one
// transaction.
//
// The window opens at its design size, or larger where the font in use needs
// it: a whole page of the list shows and no caption is cut. Before it first
// shows, the list's first load widens it (within the screen) until every
// column of the list shows whole, with room for twenty characters in each
// text column; at that width every column shows on every page (a longer text
// is cut with "…" and whole in its tip, numbers are never cut). Its minimum
// size keeps every caption whole and one row of the list in view.
//
// The window sees every key before its controls do: F1 reloads, F2
// authorizes (not while the list loads), F3 opens the order elsewhere (only
// while cmdEdit is shown, which nothing does), ESC closes the window.
//
// Contract: user-interface thread only. Form_Load starts the session (which
// may end the process, also when the database lacks the window's tables) and
// loads the list; tests that bring their own
// connection call CmdCargar_Click instead. Positions and sizes of the
// controls are kept in twips (15 a pixel), as the layout rules are written.
#pragma once

#include <QWidget>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "documents/cls_cmn_cptes.h"

class QCheckBox;
class QFrame;
class QPlainTextEdit;
class QPushButton;

namespace authorization {

class TsDbGrid;

class FrmAutorizarNPBloq : public QWidget {
    Q_OBJECT

public:
    // A control's position and size, in twips.
    struct Twips {
        long Left = 0;
        long Top = 0;
        long Width = 0;
        long Height = 0;
    };

    static constexpr long kPanelPlegado = 1275;
    static constexpr long kPanelDesplegado = 5040;

    explicit FrmAutorizarNPBloq(QWidget* parent = nullptr);
    ~FrmAutorizarNPBloq() override;

    // ---- Event handlers -------------------------------------------------------
    void Form_Load();
    // Key codes as the runtime's (27 ESC, 112 F1 ...); true when handled.
    bool Form_KeyDown(int KeyCode, int Shift);
    void Form_Resize();
    void CmdCargar_Click();
    void cmdAplicar_Click();
    void cmdEdit_Click();
    void cmdSalir_Click();
    void TsDbGrid1_MsFlexGridEnterCell();
    void chkInfoAdic_Click();
    void cmdBajar_Click();
    void cmdSubir_Click();

    // ---- Controls -------------------------------------------------------------
    QPushButton& CmdCargar() { return *CmdCargar_; }
    QPushButton& cmdAplicar() { return *cmdAplicar_; }
    QPushButton& cmdSalir() { return *cmdSalir_; }
    QPushButton& cmdEdit() { return *cmdEdit_; }
    QFrame& frmInfoAdic() { return *frmInfoAdic_; }
    QPlainTextEdit& txtInfoAdic() { return *txtInfoAdic_; }
    QCheckBox& chkInfoAdic() { return *chkInfoAdic_; }
    QPushButton& cmdBajar() { return *cmdBajar_; }
    QPushButton& cmdSubir() { return *cmdSubir_; }
    TsDbGrid& TsDbGrid1() { return *TsDbGrid1_; }

    // The history box's text as last set (lines end with CR LF).
    const std::string& TextoInfoAdic() const { return textoInfoAdic_; }
    Twips Medidas(const QWidget& control) const;
    // Sets a control's twips and places it.
    void SetMedidas(QWidget& control, const Twips& medidas);
    // Whether the control is set to show (as the runtime's Visible).
    static bool Visible(const QWidget& control);

    // The common-documents object, created on first use.
    documents::ClsCmnCptes& CmnCptes();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CrearControles();
    // The narrowest width that shows every caption whole, in twips.
    long AnchoMinimo() const;
    // The height at which the list shows `filas` rows whole, in twips.
    long AltoParaFilas(int filas) const;
    // The grid's width as Form_Resize lays it out, in twips.
    long AnchoGrilla() const;
    void AbrirConTodasLasColumnas();
    void ColumnasAlAnchoDeLaVentana();
    void MostrarInfoAdicional();
    void AjustarPanelInfo();
    void SetTextoInfoAdic(std::string texto);
    void RecuperarFoco();
    // Grows a control to what its content needs in the font in use (never
    // below its design size).
    void CrecerAlContenido(QWidget& control);
    // A data row of the selection as the grid held it when the run began.
    struct FilaElegida {
        int fila = 0;
        std::string numero;           // the order's number
        bool conOrden = false;        // its key column is not blank
        std::optional<long long> id;  // its key, when the row holds one
    };
    // The orders a run left blocked, and why the first of them was.
    struct Fallidas {
        std::vector<std::string> numeros;
        std::string motivo;
        bool variosMotivos = false;
        void Agregar(std::string numero, const std::string& porque);
    };
    // The data rows from `primera` to `ultima`, in the order they are walked.
    std::vector<FilaElegida> FilasElegidas(int primera, int ultima) const;
    // Authorizes the order of one row, if it has one; an order that is not
    // authorized is added to `fallidas`. False when an error's answer says
    // to stop the run.
    bool AutorizarFila(const FilaElegida& fila, Fallidas& fallidas);
    void AvisarNoAutorizadas(const Fallidas& fallidas);
    // Unblocks one order and writes its "AO" record in one transaction, both
    // statements with their values bound; true when both did exactly what
    // they should, else `motivo` says why not.
    bool AutorizarOrden(long long id, const std::string& numero, std::string& motivo);
    // The order's key in a row: only for a data row whose last column is the
    // grid's key column and holds a whole number.
    std::optional<long long> ClaveDeFila(int fila) const;

    std::map<const QWidget*, Twips> medidas_;
    std::unique_ptr<documents::ClsCmnCptes> cmnCptes_;
    std::string textoInfoAdic_;
    bool historiaEnPausa_ = false;  // while authorizing: a row made current queries no history

    QPushButton* CmdCargar_ = nullptr;
    QPushButton* cmdAplicar_ = nullptr;
    QPushButton* cmdSalir_ = nullptr;
    QPushButton* cmdEdit_ = nullptr;
    QFrame* frmInfoAdic_ = nullptr;
    QPlainTextEdit* txtInfoAdic_ = nullptr;
    QCheckBox* chkInfoAdic_ = nullptr;
    QPushButton* cmdBajar_ = nullptr;
    QPushButton* cmdSubir_ = nullptr;
    TsDbGrid* TsDbGrid1_ = nullptr;
};

}  // namespace authorization
