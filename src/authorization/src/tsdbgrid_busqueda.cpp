// TsDbGrid: the search (cells of the loaded page, or a condition on every
// page), the cancel button of a count, and the column chooser.
#include <QComboBox>
#include <QLineEdit>

#include <cstdint>
#include <optional>

#include "authorization/frm_campos.h"
#include "authorization/tsdbgrid.h"
#include "foundation/db_dll.h"
#include "tsdbgrid_internal.h"
#include "ui/msgbox.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace authorization {

namespace {

// Back colour of the cells a search in the page finds.
constexpr std::uint32_t kColorEncontrado = ui::RGB(192, 232, 232);
constexpr const char* kTodos = "Todos";
constexpr const char* kAviso = "Aviso al Usuario";

}  // namespace

// ---- Search -----------------------------------------------------------------------------

// Find 1 colours the cells of the loaded page that hold the text; any other
// mode adds a condition to the search filter and counts and loads again.
// An empty box asks for the text.
void TsDbGrid::Buscar() {
    if (Cargando()) return;
    std::string texto = vb::Trim(Texto(txtBuscar_->text()));
    const std::string campo = Texto(CboFiltroCampo_->currentText());
    if (texto.empty()) {
        texto = ui::InputBox("Campo seleccionado: " + campo +
                             "\r\nIngrese el texto que desea buscar para el campo seleccionado: ");
    }
    if (q_.Find == 1) {
        MarcarCoincidencias(campo, texto);
        txtBuscar_->clear();
        return;
    }
    const std::string filtroAnterior = q_.FiltroBusqueda;
    bool conCondicion = false;
    if (!vb::Trim(texto).empty()) {
        const std::optional<std::string> condicion =
            vb::Equals(campo, kTodos)
                ? std::optional<std::string>(q_.CondicionTodos(TitulosDeColumnas(), texto))
                : q_.ClausulaBusqueda(campo, CboFiltroCampo_->currentIndex() - 1, texto);
        if (!condicion) {
            ui::MsgBox("Debe Ingresar un Formato de Fecha Válido.", ui::vbInformation, kAviso);
            return;
        }
        q_.AgregarFiltro(*condicion);
        conCondicion = true;
    }
    totalRegistros_ = 0;
    cargaCancelada_ = false;
    const Carga carga = CargarPaginasInterno(conCondicion);
    // A search cancelled (or left after a failure) keeps its text for another try.
    if (carga == Carga::Interrumpida) return;
    txtBuscar_->clear();
    if (carga == Carga::SinResultados) {
        // The list stays as it was, and so does its filter: the next search
        // starts from it, not from the condition that found nothing.
        q_.FiltroBusqueda = filtroAnterior;
        ui::MsgBox("No se encontraron registros que coincidan con la búsqueda.", ui::vbInformation, kAviso);
    }
}

// Colours each cell of the page that holds `texto` (any case): every column
// but the record numbers, or only the one titled `campo`. The last cell found
// ends current; nothing is loaded.
void TsDbGrid::MarcarCoincidencias(const std::string& campo, const std::string& texto) {
    int primera = 1;
    int ultima = grid_.Cols() - 1;
    if (!vb::Equals(campo, kTodos)) {
        int columna = 1;
        while (columna < grid_.Cols() && !vb::Equals(grid_.TextMatrix(0, columna), campo)) ++columna;
        if (columna >= grid_.Cols()) return;
        primera = ultima = columna;
    }
    for (int r = 1; r < grid_.Rows(); ++r) {
        for (int c = primera; c <= ultima; ++c) {
            if (!texto.empty() && !vb::Contains(grid_.TextMatrix(r, c), texto, vb::Compare::Text)) continue;
            grid_.MoveToCell(r, c);
            grid_.SetCellBackColor(kColorEncontrado);
        }
    }
}

// The titles of the data columns (neither the record numbers nor the key).
std::vector<std::string> TsDbGrid::TitulosDeColumnas() const {
    std::vector<std::string> titulos;
    for (int c = 1; c + 1 < grid_.Cols(); ++c) titulos.push_back(grid_.TextMatrix(0, c));
    return titulos;
}

// Read between the steps of a count (CargarPaginasInterno).
void TsDbGrid::CmdCancel_Click() { cargaCancelada_ = true; }

// ---- Column choice ----------------------------------------------------------------------

// The chooser gets every column and the current choice; the columns it
// returns are read from the table before anything changes, so that a choice
// of none, or a query that fails, is reported and leaves the grid as it was.
void TsDbGrid::cmdColumnas_Click() {
    if (Cargando()) return;
    FrmCampos chooser(this);
    chooser.gCampos = vb::Replace(q_.ListaCampos, ", ", "|") + "|";
    chooser.gOrdinalSel = ordinalSel_;
    chooser.gCamposSel = q_.ListaCamposSel;
    ui::ShowModal(chooser);
    if (chooser.Cancelar) return;
    std::optional<GridQuery::Eleccion> eleccion;
    vb::RunStep(
        [&] { eleccion = q_.ColumnasElegidas(LeerCamposElegidos(foundation::Db(), q_, chooser.gCamposSel)); },
        ReportarError);
    if (!eleccion) return;
    q_.CamposSel = eleccion->CamposSel;
    q_.ListaCamposSel = eleccion->ListaCamposSel;
    q_.ColumnasFecha = eleccion->ColumnasFecha;  // the date columns of the new column order
    q_.ColumnasTexto = eleccion->ColumnasTexto;
    ordinalSel_ = chooser.gOrdinalSel;
    q_.Campos = chooser.gCamposOrden;
    CargarCampos();
    q_.OrdenSent = 0;
    CargarGrid();
}

}  // namespace authorization
