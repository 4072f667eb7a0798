// The current line's detail in the host form's status bar.
#include "documents/cls_cmn_cptes.h"
#include "entrygrids/columnas.h"
#include "helpers/helpers.h"
#include "ui/flexgrid.h"
#include "ui/statusbar.h"
#include "vb/conv.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace documents {

namespace {

constexpr long kPanelDetalle = 4;

std::string CodigoYDescripcion(const ui::FlexGrid& g) {
    const int r = g.Row();
    return vb::Trim(g.TextMatrix(r, 0)) + " - " + vb::Trim(g.TextMatrix(r, 1));
}

}  // namespace

void ClsCmnCptes::MuestraDetalle(const std::string& Detalle, ui::StatusBar& StatB, long Columna) {
    StatB.Panels(Columna).SetText(Detalle);
}

void ClsCmnCptes::MuestraDetalleTareas(ui::FlexGrid& MSFlexGrid1, ui::StatusBar& StatB) {
    MuestraDetalle(CodigoYDescripcion(MSFlexGrid1), StatB, kPanelDetalle);
}

void ClsCmnCptes::MuestraDetalleOtrosConceptos(ui::FlexGrid& MSFlexGrid3, ui::StatusBar& StatB) {
    MuestraDetalle(vb::Trim(MSFlexGrid3.TextMatrix(MSFlexGrid3.Row(), 0)), StatB, kPanelDetalle);
}

void ClsCmnCptes::MuestraDetalleArticulos(ui::FlexGrid& MSFlexGrid2, ui::StatusBar& StatB, long Columna) {
    vb::IgnoreErrors([&] { MuestraDetalle(CodigoYDescripcion(MSFlexGrid2), StatB, Columna); });
    vb::IgnoreErrors([&] {
        for (long i = 1; i <= StatB.PanelCount(); ++i) {
            if (!vb::Equals(StatB.Panels(i).Key(), "Stock")) continue;
            const std::string stock =
                MSFlexGrid2.TextMatrix(MSFlexGrid2.Row(), entrygrids::kColAuxStockDisponible);
            StatB.Panels(i).SetText("Stock: " + vb::CStr(helpers::gFunciones().TextoADoble(stock)));
            return;
        }
    });
}

}  // namespace documents
