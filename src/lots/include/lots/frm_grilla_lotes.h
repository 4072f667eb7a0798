// FrmGrillaLotes: what the two lot dialogs (FrmCargaLotesySeries and
// FrmLoteyPosicion) share: their controls and the in-cell editing of their
// grid.
//
// The grid MSFlexGrid1 cannot be typed into: a key typed on an editable cell
// lays the edit box TxtEdit over it; an end-of-edit key (as the keyboard
// helper counts them) validates the cell and moves the current cell; the text
// reaches its cell when the grid gets the focus again or leaves the cell. A
// quantity cell takes only a number the system can keep (blank is 0): the
// cell check and the accept refuse anything else.
// Toolbar1's first button copies the current cell into the cells below it,
// the second blanks them. Each dialog states its differences through the
// protected hooks.
//
// Contract: user-interface thread only; the form is created, filled, shown
// modally through ui::ShowModal and destroyed by its opener. Nothing here
// writes to the database.
#pragma once

#include <QWidget>

#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolBar;

namespace documents {
class ClsCmnCptes;
}
namespace ui {
class FlexGrid;
class FlexGridView;
}  // namespace ui

namespace lots {

class FrmGrillaLotes : public QWidget {
    Q_OBJECT

public:
    // The editor's cell kind for a quantity cell (DataField).
    static constexpr const char* kCeldaCantidad = "Cantidad";
    static constexpr const char* kTituloAviso = "Aviso al Operador";
    static constexpr const char* kTituloPregunta = "Aviso al Operador!!!";

    ~FrmGrillaLotes() override;

    // ---- Controls -------------------------------------------------------------
    ui::FlexGrid& MSFlexGrid1() { return *MSFlexGrid1_; }
    const ui::FlexGrid& MSFlexGrid1() const { return *MSFlexGrid1_; }
    ui::FlexGridView& MSFlexGrid1View() { return *vista_; }
    QLineEdit& TxtEdit() { return *TxtEdit_; }
    QLabel& lblArticulo() { return *lblArticulo_; }
    QToolBar& Toolbar1() { return *Toolbar1_; }
    QPushButton& CmdAceptar() { return *CmdAceptar_; }
    QPushButton& CmdCancelar() { return *CmdCancelar_; }

    // ---- Buttons --------------------------------------------------------------
    // Checks and builds the results; hides the form only when they pass.
    virtual void CmdAceptar_Click() = 0;
    // Hides the form; the results keep what they held.
    void CmdCancelar_Click();

    // ---- In-cell editing ------------------------------------------------------
    // Opens the editor over the current cell when it may be edited: with the
    // cell's text for a control character (0 to 32), else with the character.
    void MsflexGridEdt(ui::FlexGrid& Grilla, QLineEdit& Edt, int& KeyAscii);
    // Acts on the key that ended an edit: Esc drops it, Up and Down and Enter
    // write it back and move the current cell.
    void EditKeyCode(ui::FlexGrid& Grilla, QLineEdit& Edt, int& KeyCode, int Shift);
    // The editor's cell kind (DataField) and length limit for a column.
    void Text_Propiedades(QLineEdit& Edt, long Columna);
    // Validates the editor's text; sets the rejection flag and shows why.
    void CampoValida(QLineEdit& Edt);

    // ---- Events ---------------------------------------------------------------
    void MSFlexGrid1_KeyPress(int& KeyAscii);
    void MSFlexGrid1_LeaveCell();
    void MSFlexGrid1_GotFocus();
    // True when the key ended the edit (the edit box does not get it).
    bool TxtEdit_KeyDown(int& KeyCode, int Shift);
    void TxtEdit_KeyPress(int& KeyAscii);
    void Toolbar1_ButtonClick(int Index);

    // The cell kind Text_Propiedades gave the editor ("Cantidad" or "").
    static std::string DataField(const QLineEdit& Edt);
    // Whether the last validation refused the cell.
    bool CeldaRechazada() const { return rechazada_; }
    // Whether the editor is shown (also while the form itself is hidden).
    bool EditorVisible() const;

protected:
    // `botones`: how many of the toolbar's buttons the dialog has (2 or 3).
    FrmGrillaLotes(const char* nombre, const char* titulo, const char* textoAceptar, int botones,
                   QWidget* parent);

    bool eventFilter(QObject* watched, QEvent* event) override;

    // ---- What differs between the dialogs --------------------------------------
    // Whether the current cell (a data cell) may be edited.
    virtual bool CeldaEditable(const ui::FlexGrid& Grilla) const = 0;
    virtual bool EsColumnaCantidad(long Columna) const = 0;
    // The message that refuses a quantity, "" when it passes.
    virtual std::string PruebaCantidad(const std::string& Valor) = 0;
    // After a code typed in row 1 was written into its cell.
    virtual void CodigoEscritoEnFila1() {}
    // The last column the user types into (Enter's rule).
    virtual int UltimaColumna() const = 0;
    // Moves the current cell after Enter; `ultima` is UltimaColumna for the
    // dialog's own grid and 0 for any other.
    virtual void MueveConEnter(ui::FlexGrid& Grilla, int ultima) = 0;
    // Errors EditKeyCode passes over without a message.
    virtual bool ErrorPasadoPorAlto(long Numero) const;
    // Whether toolbar buttons 1 and 2 act on the current cell.
    virtual bool ToolbarActua(const ui::FlexGrid& /*Grilla*/) const { return true; }
    // What toolbar button 2 writes.
    virtual std::string TextoBlanqueado() const { return {}; }
    // Toolbar buttons beyond the first two.
    virtual void ToolbarOtroBoton(int /*Index*/) {}
    virtual int ColumnaCantidad() const = 0;
    virtual double CantidadPedida() const = 0;

    // ---- Quantity routines ----------------------------------------------------
    // The sum of the quantity column over the data rows, leaving out row
    // MenosCual (-1: none); blank cells count 0.
    double SumaFilas(long MenosCual) const;
    // Whether the quantity column adds up to the requested quantity.
    bool ValidaCantidadCantidadPedida();
    // The accept's check of the total against Cantidad: true when the lists
    // are to be built (Cantidad possibly adjusted by the user), false when
    // the dialog stays open. `avisoMenor` is the notice for a short total
    // when the form is not shown.
    bool AjustaCantidadPedida(double& Cantidad, bool MostrarForm, const std::string& avisoMenor);
    // An edit still open is validated and written into its cell, so that
    // nothing typed is lost; false when the cell was refused.
    bool TerminaEdicionPendiente();
    // Whether every quantity cell holds a number or nothing (a cell left by
    // clicking elsewhere is written unchecked); the first that does not is
    // made the current cell and the user is told.
    bool CantidadesLegibles();

    // ---- Helpers --------------------------------------------------------------
    // Whether a lot or serial code can travel in a list: it holds neither the
    // separator "|" nor character 255, which would split it.
    static bool CodigoValido(const std::string& codigo);
    // Tells the user a code was refused for those characters.
    static void AvisaCodigoInvalido();
    // Why a quantity cell's text is no quantity ("" when it is one): it must
    // be blank (0) or a number the system can keep. Anything else, a "|"
    // above all, would shift the list of quantities; "1e400" or twenty
    // digits would not convert.
    static std::string ProblemaDeCantidad(const std::string& valor);
    // Whether a quantity is 0 once the noise of adding decimals is ignored.
    static bool EsCero(double cantidad);
    // The form's text width of `letras` letters "X", in twips.
    long AnchoDeLetras(int letras) const;
    long AnchoDeTexto(const std::string& texto) const;
    // Appends a data row and returns its index.
    int AgregaFila();
    // Gives the grid the focus: an open edit is written back.
    void DarFocoAGrilla();
    documents::ClsCmnCptes& CmnCptes();
    void Form_Load();

private:
    void CrearControles(const char* textoAceptar, int botones);
    // Scrolls one row when the current cell reaches below the grid.
    void ControlaDesplazamiento();
    QRect RectanguloDeCelda() const;

    ui::FlexGrid* MSFlexGrid1_ = nullptr;
    ui::FlexGridView* vista_ = nullptr;
    QLineEdit* TxtEdit_ = nullptr;
    QLabel* lblArticulo_ = nullptr;
    QToolBar* Toolbar1_ = nullptr;
    QPushButton* CmdAceptar_ = nullptr;
    QPushButton* CmdCancelar_ = nullptr;
    bool rechazada_ = false;
    std::unique_ptr<documents::ClsCmnCptes> cmnCptes_;
};

}  // namespace lots
