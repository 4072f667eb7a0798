// TsDbGrid: a control that shows the result of one SELECT on the session's
// connection one page at a time, in a flex grid, with a page selector, page
// buttons, a page-size box, a search box, sort images and a column chooser.
//
// A host sets SQL (and PageSize, AnchoColFijo), calls LoadTsDBGrid, and then
// works with the rows through MsFlexGrid(): row 0 holds the column titles,
// column 0 the record numbers, the last column (width 0) the key column.
// The queries are GridQuery's (tsdbgrid_query.h); this class runs them through
// foundation::Db(), reports failures through the helper library's
// ManejaError, and keeps the controls in step.
//
// Layout: the design's sizes, with the bars as tall as their controls need in
// the font in use and the page label wide enough for seven-digit page numbers
// (a person may select its text); a host that places the control at a
// negative left gets its bars moved into view; a bar is never made narrower
// than its captions need (it is cut at the control's edge instead, its
// buttons never drawn over its labels). AltoParaFilas, AnchoMinimo and
// AnchoParaAbrir tell a host how large to make it;
// LimitarColumnasAlAncho caps the text columns so that every column shows.
//
// Paging follows the list as it stands, which other stations change: next
// and previous go on from the edge rows of the page shown as far as the list
// goes (past the pages counted at load too), first and last read its ends.
// Each page read tells whether more rows follow it; when that does not fit
// the count, or a turn reaches an end, the list is counted again and the page
// numbered in it. A turn that finds nothing more keeps the page shown.
//
// User-interface thread only. Loads pump events; while one runs, the
// navigation, sort and reload commands are ignored, so no load is ever
// entered from inside another one. The cancel button stops a count: the grid
// then keeps the page it held, with the search and page size of that page.
#pragma once

#include <QWidget>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "authorization/tsdbgrid_query.h"
#include "ui/flexgrid.h"
#include "vb/variant.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QToolBar;
class QToolButton;

namespace authorization {

// A host's stored copy of a control's properties. Keys are stored in lower
// case and matched regardless of case.
class PropertyBag {
public:
    // The stored value, or `defaultValue` when the key is absent (Empty when
    // none is given).
    vb::Variant ReadProperty(std::string_view name, const vb::Variant& defaultValue = {}) const;
    void WriteProperty(std::string_view name, const vb::Variant& value);
    bool Contains(std::string_view name) const;
    const std::map<std::string, vb::Variant>& Items() const { return items_; }

private:
    std::map<std::string, vb::Variant> items_;
};

class TsDbGrid : public QWidget {
    Q_OBJECT

public:
    explicit TsDbGrid(QWidget* parent = nullptr);
    ~TsDbGrid() override;

    // ---- Public members and methods ----------------------------------------
    ui::FlexGrid& MsFlexGrid() { return grid_; }
    QLineEdit& TxtEdit() { return *txtEdit1_; }
    // Checks SQL, then loads its fields, counts its pages and shows page 1.
    void LoadTsDBGrid();
    std::string EquiCampo(const std::string& Campo, bool Equivalencia) const;
    // Empties and disables the control.
    void Inicializa();
    // Loads the current page.
    void CargarGrid();
    // Writes the record numbers into column 0.
    void AsignarOrdinal();
    // Counts the records, fills the page selector and shows the current page.
    void CargarPaginas();
    // Reads the field list and fills the search-field box.
    void CargarCampos();

    // ---- Properties -----------------------------------------------------------
    std::string ConString() const;
    void SetConString(const std::string& value);
    const std::string& SQL() const { return q_.SQL; }
    void SetSQL(const std::string& value);  // kept with one blank appended
    const std::string& PrimaryKey() const { return q_.PrimaryKey; }
    void SetPrimaryKey(const std::string& value);
    int Find() const { return q_.Find; }
    void SetFind(int value);  // marks the search-mode menu entry
    int Order() const { return q_.Order; }
    void SetOrder(int value);  // marks the sort-mode menu entry
    long AlignCommandBar() const { return alignCommandBar_; }
    void SetAlignCommandBar(long value);
    long AlignFilterBar() const { return alignFilterBar_; }
    void SetAlignFilterBar(long value);
    long PageSize() const { return q_.PageSize; }
    void SetPageSize(long value);
    bool AnchoColFijo() const { return anchoColFijo_; }
    void SetAnchoColFijo(bool value);
    const std::string& CamposSel() const { return q_.CamposSel; }
    void SetCamposSel(const std::string& value);
    const std::string& Campos() const { return q_.Campos; }
    void SetCampos(const std::string& value);
    const std::string& OrdinalSel() const { return ordinalSel_; }
    void SetOrdinalSel(const std::string& value);
    bool Columnas() const { return columnas_; }
    void SetColumnas(bool value);
    bool OcultarOrdenar() const { return ocultarOrdenar_; }
    void SetOcultarOrdenar(bool value);
    const std::string& OrderBy() const { return q_.OrderBy; }
    void SetOrderBy(const std::string& value);
    int OrdenSent() const { return q_.OrdenSent; }
    void SetOrdenSent(int value);
    std::int64_t PaginaActual() const { return paginaActual_; }
    std::int64_t UltimaPagina() const { return ultimaPagina_; }
    int FormatDate() const { return q_.FormatDate; }
    void SetFormatDate(int value);

    // ---- Creation and the host's stored copy ---------------------------------------
    // A newly placed instance (the constructor runs it).
    void InitProperties();
    // A stored instance: each property from the bag, or its read default.
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    // ---- State the other parts of the control read -------------------------------
    std::int64_t TotalRegistros() const { return totalRegistros_; }
    const std::string& FiltroBusqueda() const { return q_.FiltroBusqueda; }
    const std::string& ColumnasFecha() const { return q_.ColumnasFecha; }
    const std::string& ListaCampos() const { return q_.ListaCampos; }
    const std::string& ListaCamposSel() const { return q_.ListaCamposSel; }
    const std::string& TablaConsulta() const { return q_.TablaConsulta; }
    // True while a load runs.
    bool Cargando() const { return cargando_ > 0; }
    // The text of the status bar's first panel.
    std::string StatusText() const;
    // The width of a text in the control's font, in twips.
    long TextWidth(const std::string& text) const;

    // ---- Room the control needs in the font in use, in twips ----------------------
    // The height at which the grid shows its title row and `filas` rows whole.
    long AltoParaFilas(int filas) const;
    // The narrowest width at which no caption of its bars is cut (the page
    // label counted with room for seven-digit page numbers).
    long AnchoMinimo() const;
    // The width at which the grid shows every column of the page it holds
    // whole, with room for twenty characters in each text column (one whose
    // longest text is no figure) and for the record numbers of the last
    // page: what a host opens the control at where the screen allows it.
    long AnchoParaAbrir() const;
    // From now on the text columns are capped so that every column of any
    // page shows at this width of the control (twips); 0 lifts the cap. The
    // page held is fitted again.
    void LimitarColumnasAlAncho(long twips);
    // Whether such a cap holds.
    bool ColumnasLimitadas() const { return anchoLimite_ > 0; }

signals:
    void CargarPagina(std::int64_t& PageNumber);
    void AjustarColumnas();
    void MsFlexGridClick();
    void MsFlexGridDblClick();
    void MsFlexGridGotFocus();
    void MsFlexGridLostFocus();
    void MsFlexGridEnterCell();
    void MSFlexGridKeyDown(int& KeyCode, int& Shift);
    void MSFlexGridKeyPress(int& KeyAscii);
    void MSFlexGridLeaveCell();
    void MSFlexGridMouseDown(int& Button, int& Shift, float& x, float& y);
    void txtEditChange();
    void txtEditClick();
    void txtEditDblClick();
    void txtEditGotFocus();
    void txtEditLostFocus();
    void txtEditKeyDown(int& KeyCode, int& Shift);
    void txtEditKeyPress(int& KeyAscii);
    void txtEditMouseDown(int& Button, int& Shift, float& x, float& y);
    // A property was set (its name), so that a host marks its stored copy.
    void PropertyChanged(const std::string& name);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class PageList;
    class Ocupado;

    // Construction
    void CrearControles();
    void Relevos();
    void UserControl_Initialize();
    void UserControl_Resize();
    long AltoSinGrilla() const;

    // Loading
    enum class Carga { Hecha, Interrumpida, SinResultados };
    bool CargarGridInterno(std::optional<std::int64_t> pedida = std::nullopt);
    std::optional<PaginaLeida> LeerPaginaDeLista(std::int64_t numero, ConsultaDePagina& consulta);
    bool QuedarseEnLaPagina(std::int64_t numero);
    void UbicarPagina(std::int64_t numero, const ConsultaDePagina& consulta, const PaginaLeida& pagina);
    std::int64_t EstimarFilasAntes(std::int64_t numero, const ConsultaDePagina& consulta, std::int64_t filas) const;
    bool Coincide(std::int64_t numero, std::int64_t antes, std::int64_t filas, const PaginaLeida& pagina) const;
    std::int64_t ContarFilasAntes(const ConsultaDePagina& consulta, const PaginaLeida& pagina, std::int64_t estimadas);
    void Recontar();
    void MostrarPaginaCargada();
    Carga CargarPaginasInterno(bool busquedaNueva = false);
    void CargaInterrumpida();
    void VolverAlEstadoMostrado();
    void Contar();
    void MostrarSinRegistros();
    void LlenarSelector(std::int64_t paginas);
    void Progreso(int valor);
    void ActualizarControles();

    // Column widths
    struct MedidaColumna {
        int columna = 0;
        long actual = 0;   // its width now
        long piso = 0;     // for its title and figures, never less
        long deseado = 0;  // for its longest text
        long ancho = 0;    // the width it gets
        bool texto = false;       // its longest text is no figure
        bool delUsuario = false;  // the user set its width
    };
    void AjustarAnchoColumnas();
    long AnchoParaLetras(std::size_t largo) const;
    std::vector<MedidaColumna> MedirColumnas() const;
    void RepartirEntreTextos(std::vector<MedidaColumna>& medidas, bool desdeCero) const;
    // The control's width less the columns'.
    long AnchoFueraDeColumnas() const;
    void ColumnaDelUsuario(int columna);
    std::int64_t PaginaDelSelector() const;

    // Navigation
    void MostrarPagina();
    void EscribirEtiqueta();
    void MostrarIndiceSelector();
    void SeleccionarPagina(std::int64_t indice);
    void PaginaElegida();
    void Pasar(std::int64_t pagina, bool sigue);
    void VolverAPaginaMostrada();
    void cmdPrimero_Click();
    void cmdAnterior_Click();
    void cmdSiguiente_Click();
    void cmdUltimo_Click();
    void cboPagSelect_Click(int indice);
    void CboRegistros_Click();
    void CboRegistros_KeyDown(int KeyCode);
    void CambiarTamanoPagina(long tamano);
    void Ordenar(int sentido);
    void Toolbar1_ButtonClick(const std::string& key);
    void MenuDeModo(QMenu& menu, int entrada, int& modo);
    void MSFlexGrid1_KeyDown(int& KeyCode, int& Shift);
    void Buscar();
    void MarcarCoincidencias(const std::string& campo, const std::string& texto);
    std::vector<std::string> TitulosDeColumnas() const;
    void CmdCancel_Click();
    void cmdColumnas_Click();

    GridQuery q_;
    ui::FlexGrid grid_;

    // Properties kept by the control itself
    long alignCommandBar_ = 2;
    long alignFilterBar_ = 1;
    bool anchoColFijo_ = false;
    std::string ordinalSel_;
    bool columnas_ = false;
    bool ocultarOrdenar_ = false;

    // Paging state
    std::int64_t paginaActual_ = 1;
    std::int64_t ultimaPagina_ = 0;
    std::int64_t totalRegistros_ = 0;
    std::int64_t paginaMostrada_ = 0;  // the page the grid holds; 0: none yet
    // The page the grid holds in the list as it was read: the rows before it
    // (as far as known without counting), its rows, and whether more rows
    // lay before and after it (unknown where the query cannot tell).
    std::int64_t filasAntes_ = 0;
    std::int64_t filasMostradas_ = 0;
    std::optional<bool> masAntes_;
    std::optional<bool> masDespues_;
    // What the page the grid holds was loaded with; a count that is cancelled
    // or left goes back to it.
    struct EstadoMostrado {
        std::string filtro;
        long tamano = 0;
        std::int64_t total = 0;
        std::int64_t ultima = 0;
        int paginas = 0;  // entries of the page selector
    } mostrado_;
    std::int64_t indiceSelector_ = -1;  // the page selector's ListIndex
    int columnaOrden_ = 0;
    bool sincronizando_ = false;
    bool siguePagina_ = false;  // the page loading goes on from the edge of the page shown
    bool cargaCancelada_ = false;
    long anchoLimite_ = 0;          // LimitarColumnasAlAncho; 0: none
    bool anchosDesdeCero_ = true;   // the next fit forgets the widths of the pages before
    std::set<std::string> anchosDelUsuario_;  // titles (lower case) of the columns the user resized
    int cargando_ = 0;
    int bajadasEnUltima_ = 0;  // Down presses on the last row
    int subidasEnPrimera_ = 0; // Up presses on row 1

    // Constituent controls
    QFrame* FrmFiltros_ = nullptr;
    QLineEdit* txtBuscar_ = nullptr;
    QLabel* Label1_ = nullptr;
    QComboBox* CboRegistros_ = nullptr;
    QLabel* Label2_ = nullptr;
    QComboBox* CboFiltroCampo_ = nullptr;
    QToolBar* Toolbar1_ = nullptr;
    QMenu* menuBuscar_ = nullptr;
    ui::FlexGridView* MSFlexGrid1_ = nullptr;
    QLineEdit* txtEdit1_ = nullptr;
    QFrame* FrmComandos_ = nullptr;
    QLabel* lblPagSelect_ = nullptr;
    QComboBox* cboPagSelect_ = nullptr;
    PageList* paginas_ = nullptr;
    QToolButton* cmdPrimero_ = nullptr;
    QToolButton* cmdAnterior_ = nullptr;
    QToolButton* cmdSiguiente_ = nullptr;
    QToolButton* cmdUltimo_ = nullptr;
    QLabel* lblPaginas_ = nullptr;
    QPushButton* cmdColumnas_ = nullptr;
    QToolButton* ImgOrdenN_ = nullptr;
    QToolButton* ImgOrdenAsc_ = nullptr;
    QToolButton* ImgOrdenDesc_ = nullptr;
    QToolBar* Toolbar2_ = nullptr;
    QMenu* menuOrden_ = nullptr;
    QStatusBar* StatusBar1_ = nullptr;
    QLabel* panel1_ = nullptr;
    QProgressBar* Pbar_ = nullptr;
    QPushButton* CmdCancel_ = nullptr;
    QFrame* Shape1_ = nullptr;
};

}  // namespace authorization
