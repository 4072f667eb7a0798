// The current line's detail and stock in the status bar, and the status bar's
// panels by position and by key.
#include <string>

#include "entrygrids/columnas.h"
#include "grids_fixture.h"
#include "ui/statusbar.h"

namespace entrygrids::testing {
namespace {

class DetalleTest : public GridsTest {
protected:
    DetalleTest() {
        for (const char* clave : {"Usuario", "Fecha", "STOCK", "Detalle"}) barra_.AddPanel(clave, "-");
        Llena(grilla_, {" A1 ", "A2", ""}, kColsArticulos);
        grilla_.SetTextMatrix(2, 1, "  Tornillo  ");
        grilla_.SetTextMatrix(2, kColAuxStockDisponible, "12.5");
        grilla_.SetRow(2);
    }

    ui::StatusBar barra_;
    ui::FlexGrid grilla_;
};

TEST_F(DetalleTest, StatusBarPanelsByPositionAndKey) {
    EXPECT_EQ(barra_.PanelCount(), 4);
    EXPECT_EQ(barra_.Panels(3).Key(), "STOCK");
    EXPECT_EQ(&barra_.Panels("stock"), &barra_.Panels(3));
    barra_.Panels("detalle").SetText("hola");
    EXPECT_EQ(barra_.Panels(4).Text(), "hola");
    EXPECT_EQ(testsupport::ErrorNumberOf([&] { barra_.Panels(0); }), ui::kErrIndexOutOfBounds);
    EXPECT_EQ(testsupport::ErrorNumberOf([&] { barra_.Panels(5); }), ui::kErrIndexOutOfBounds);
    EXPECT_EQ(testsupport::ErrorNumberOf([&] { barra_.Panels("Caja"); }), ui::kErrElementNotFound);
}

TEST_F(DetalleTest, TaskAndOtherConceptDetailGoToPanelFour) {
    Cmn().MuestraDetalleTareas(grilla_, barra_);
    EXPECT_EQ(barra_.Panels(4).Text(), "A2 - Tornillo");
    grilla_.SetRow(1);
    Cmn().MuestraDetalleOtrosConceptos(grilla_, barra_);
    EXPECT_EQ(barra_.Panels(4).Text(), "A1");
    Cmn().MuestraDetalle("texto", barra_, 2);
    EXPECT_EQ(barra_.Panels(2).Text(), "texto");
    Cmn().MuestraDetalle("primero", barra_);
    EXPECT_EQ(barra_.Panels(1).Text(), "primero");

    ui::StatusBar corta;
    corta.AddPanel();
    EXPECT_EQ(testsupport::ErrorNumberOf([&] { Cmn().MuestraDetalleTareas(grilla_, corta); }),
              ui::kErrIndexOutOfBounds);
}

TEST_F(DetalleTest, ArticleDetailAndItsStock) {
    Cmn().MuestraDetalleArticulos(grilla_, barra_, 1);
    EXPECT_EQ(barra_.Panels(1).Text(), "A2 - Tornillo");
    EXPECT_EQ(barra_.Panels(3).Text(), "Stock: 12.5");

    // A panel that does not exist does not keep the stock from showing.
    grilla_.SetRow(1);
    Cmn().MuestraDetalleArticulos(grilla_, barra_, 9);
    EXPECT_EQ(barra_.Panels(3).Text(), "Stock: 0");

    // Without a "Stock" panel only the detail is written.
    ui::StatusBar sinStock;
    sinStock.AddPanel("Detalle");
    grilla_.SetRow(2);
    Cmn().MuestraDetalleArticulos(grilla_, sinStock);
    EXPECT_EQ(sinStock.Panels(1).Text(), "A2 - Tornillo");

    vb::Regional coma;
    vb::ScopedRegional regional(coma);
    Cmn().MuestraDetalleArticulos(grilla_, barra_, 1);
    EXPECT_EQ(barra_.Panels(3).Text(), "Stock: 12,5");
}

}  // namespace
}  // namespace entrygrids::testing
