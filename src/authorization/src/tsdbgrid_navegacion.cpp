// TsDbGrid: the page selector and buttons, the page size, the sort images,
// the toolbars and the grid's paging keys.
//
// A page picked in the selector, or named by a count, is shown through the
// selector: selecting a different entry loads that page. The page buttons
// load their page themselves, and the label and the selector follow the page
// shown. The handlers of the user's commands do nothing while a load runs.
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QScopedValueRollback>
#include <QSignalBlocker>

#include "authorization/tsdbgrid.h"
#include "tsdbgrid_internal.h"
#include "ui/msgbox.h"
#include "vb/conv.h"
#include "vb/steps.h"
#include "vb/text.h"
#include "vb/variant.h"

namespace authorization {

namespace {

constexpr long kTamanoMinimo = 1;
constexpr long kTamanoMaximo = 2000;

}  // namespace

// ---- The page selector ----------------------------------------------------------------

void TsDbGrid::MostrarPagina() {
    if (paginaActual_ <= 0) paginaActual_ = 1;
    if (ultimaPagina_ <= 0) ultimaPagina_ = 1;
    EscribirEtiqueta();
    SeleccionarPagina(paginaActual_ - 1);
}

void TsDbGrid::EscribirEtiqueta() {
    lblPaginas_->setText(Q(TextoPaginas(paginaActual_, ultimaPagina_)));
}

// Shows entry `indiceSelector_` in the selector without raising its click.
void TsDbGrid::MostrarIndiceSelector() {
    const QSignalBlocker bloqueo(cboPagSelect_);
    cboPagSelect_->setCurrentIndex(static_cast<int>(indiceSelector_));
}

// Sets the selector's ListIndex; a change loads the page it names.
void TsDbGrid::SeleccionarPagina(std::int64_t indice) {
    if (indice == indiceSelector_) return;
    if (indice < 0 || indice >= paginas_->Count()) throw vb::Error(kErrValorNoValido, "Invalid property value");
    indiceSelector_ = indice;
    MostrarIndiceSelector();
    PaginaElegida();
}

// cboPagSelect_Click: the selected entry becomes the current page and, unless
// the control is setting its page size, is loaded.
void TsDbGrid::PaginaElegida() {
    // Only the next and previous page go on from the rows shown (Pasar); a
    // page picked is read from the list as it stands.
    q_.Vista = {};
    paginaActual_ = indiceSelector_ + 1;
    MostrarPagina();
    if (sincronizando_) return;
    if (!CargarGridInterno()) VolverAPaginaMostrada();
}

// A page button: loads page `pagina`, going on from the edge of the page
// shown (`sigue`) or reading it from the list. The label and the selector
// follow the page once it is shown.
void TsDbGrid::Pasar(std::int64_t pagina, bool sigue) {
    const QScopedValueRollback<bool> sigueRollback(siguePagina_, sigue);
    if (!sigue) q_.Vista = {};
    if (!CargarGridInterno(pagina)) VolverAPaginaMostrada();
}

// After a failed load the label and the selector go back to the page the grid
// still holds.
void TsDbGrid::VolverAPaginaMostrada() {
    if (paginaMostrada_ <= 0) return;
    paginaActual_ = paginaMostrada_;
    MostrarPaginaCargada();
}

// The label and the selector show the page the grid holds, of the last
// page count.
void TsDbGrid::MostrarPaginaCargada() {
    const bool otraCuenta = ultimaPagina_ > 0 && paginas_->Count() != ultimaPagina_;
    if (otraCuenta) paginas_->SetCount(ultimaPagina_);  // which leaves the box without an entry shown
    EscribirEtiqueta();
    if ((!otraCuenta && paginaActual_ - 1 == indiceSelector_) || paginaActual_ > paginas_->Count()) return;
    indiceSelector_ = paginaActual_ - 1;
    MostrarIndiceSelector();
}

void TsDbGrid::cboPagSelect_Click(int indice) {
    if (Cargando() || indice == indiceSelector_) {
        MostrarIndiceSelector();
        return;
    }
    indiceSelector_ = indice;
    PaginaElegida();
}

// ---- Page buttons -------------------------------------------------------------------------

// First and last read the list's ends. Next and previous go on from the edge
// of the page shown as far as the list goes now, past the pages counted at
// load too: orders other stations added since are reached, and where nothing
// more follows the page shown stays.

void TsDbGrid::cmdPrimero_Click() {
    if (Cargando() || paginaActual_ <= 1) return;
    Pasar(1, false);
}

void TsDbGrid::cmdAnterior_Click() {
    if (Cargando() || (paginaActual_ <= 1 && !q_.PuedeContinuar())) return;
    Pasar(paginaActual_ - 1, true);
}

void TsDbGrid::cmdSiguiente_Click() {
    if (Cargando() || (paginaActual_ >= ultimaPagina_ && !q_.PuedeContinuar())) return;
    Pasar(paginaActual_ + 1, true);
}

void TsDbGrid::cmdUltimo_Click() {
    if (Cargando() || paginaActual_ >= ultimaPagina_) return;
    Pasar(ultimaPagina_, false);
}

// ---- Page size ----------------------------------------------------------------------------------

void TsDbGrid::CambiarTamanoPagina(long tamano) {
    q_.PageSize = tamano;
    cargaCancelada_ = false;
    CargarPaginas();
}

void TsDbGrid::CboRegistros_Click() {
    if (Cargando()) return;
    long tamano = q_.PageSize;
    vb::IgnoreErrors([&] { tamano = vb::CLng(vb::CDbl(vb::Variant(Texto(CboRegistros_->currentText())))); });
    CambiarTamanoPagina(tamano);
}

void TsDbGrid::CboRegistros_KeyDown(int KeyCode) {
    if (KeyCode != ui::vk::Return || Cargando()) return;
    const std::string texto = Texto(CboRegistros_->currentText());
    const double numero = vb::Val(texto);
    long tamano = q_.PageSize;
    if (numero < kTamanoMinimo) {
        ui::MsgBox("El tamaño de la página en registos no puede ser menor a 1 por página.", ui::vbInformation,
                   "Aviso al Usuario");
        tamano = kTamanoMinimo;
    } else if (numero > kTamanoMaximo) {
        ui::MsgBox("El tamaño de la página en registros no puede superar los 2000 por página.", ui::vbInformation,
                   "Aviso al Usuario");
        tamano = kTamanoMaximo;
    } else {
        vb::IgnoreErrors([&] { tamano = vb::CLng(numero); });
    }
    CambiarTamanoPagina(tamano);
    MSFlexGrid1_->setFocus();
}

// ---- Sort ------------------------------------------------------------------------------------------

// A sort image: the current column enters the sort here, and only here, so
// that turning a page never changes the order. A failed load puts the sort
// back as it was.
void TsDbGrid::Ordenar(int sentido) {
    if (Cargando()) return;
    const int columna = grid_.Col();
    const bool conColumna = sentido == 1 || sentido == 2;
    if (conColumna && (columna < grid_.FixedCols() || columna >= grid_.Cols())) return;  // no column chosen
    const std::string ordenPrevio = q_.OrderBy;
    const int sentidoPrevio = q_.OrdenSent;
    const int columnaPrevia = columnaOrden_;
    q_.OrdenSent = sentido;
    columnaOrden_ = columna;
    if (conColumna) q_.ArmarOrdenColumna(grid_.TextMatrix(0, columna));
    if (CargarGridInterno()) return;
    q_.OrderBy = ordenPrevio;
    q_.OrdenSent = sentidoPrevio;
    columnaOrden_ = columnaPrevia;
    panel1_->setText(Q(" Orden: " + q_.OrderBy));
}

// ---- Toolbars ----------------------------------------------------------------------------------------

void TsDbGrid::Toolbar1_ButtonClick(const std::string& key) {
    if (vb::Equals(key, "BUSCAR")) {
        if (!Cargando()) Buscar();
    } else if (vb::Equals(key, "ACTUALIZAR")) {
        if (Cargando()) return;
        q_.FiltroBusqueda.clear();
        totalRegistros_ = 0;
        cargaCancelada_ = false;
        CargarPaginas();
    } else if (vb::Equals(key, "AJUSTACOL")) {
        // Fitted to this page alone, the user's widths too.
        anchosDelUsuario_.clear();
        anchosDesdeCero_ = true;
        AjustarAnchoColumnas();
        emit AjustarColumnas();
    }
}

// An entry of a mode menu: marks it, unmarks the other (two blanks in place
// of the marker) and sets the mode; nothing is reloaded.
void TsDbGrid::MenuDeModo(QMenu& menu, int entrada, int& modo) {
    const QList<QAction*> acciones = menu.actions();
    QAction* elegida = acciones[entrada - 1];
    if (vb::Contains(Texto(elegida->text()), "»")) return;
    elegida->setText(Q("» " + vb::Trim(Texto(elegida->text()))));
    QAction* otra = acciones[entrada == 1 ? 1 : 0];
    otra->setText(Q(vb::Replace(Texto(otra->text()), "» ", "  ")));
    modo = entrada;
}

// ---- The grid's keys ----------------------------------------------------------------------------------

// The host sees the key first; PageUp and PageDown turn the page, and a
// second Down on the last row (Up on row 1) too.
void TsDbGrid::MSFlexGrid1_KeyDown(int& KeyCode, int& Shift) {
    emit MSFlexGridKeyDown(KeyCode, Shift);
    if (Cargando()) return;
    if (KeyCode == ui::vk::PageDown) {
        cmdSiguiente_Click();
    } else if (KeyCode == ui::vk::PageUp) {
        cmdAnterior_Click();
    } else if (KeyCode == ui::vk::Down) {
        subidasEnPrimera_ = 0;
        if (grid_.Rows() == grid_.Row() + 1) {
            if (bajadasEnUltima_ == 1) {
                cmdSiguiente_Click();
                bajadasEnUltima_ = 0;
            } else {
                bajadasEnUltima_ += 1;
            }
        }
    } else if (KeyCode == ui::vk::Up) {
        bajadasEnUltima_ = 0;
        if (grid_.Row() == 1) {
            if (subidasEnPrimera_ == 1) {
                cmdAnterior_Click();
                subidasEnPrimera_ = 0;
            } else {
                subidasEnPrimera_ += 1;
            }
        }
    }
}

}  // namespace authorization
