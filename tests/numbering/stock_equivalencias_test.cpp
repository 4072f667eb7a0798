// Unit equivalences: the conversions both ways and the equivalent quantities
// of an articles-grid line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/configuracion.h"
#include "numbering/stock.h"
#include "stock_fixture.h"
#include "ui/flexgrid.h"
#include "vb/conv.h"

namespace numbering {
namespace {

class EquivalenciasTest : public testing::StockDbTest {
protected:
    EquivalenciasTest() {
        // CAJA: one box holds 12 pieces; one box is 0.5 m3 (stored the other way).
        Run("INSERT INTO V_MA_ARTICULOS (IDARTICULO, IDUNIDAD) VALUES ('CAJA', 'CJ  ')");
        Run("INSERT INTO V_MA_ARTICULOS (IDARTICULO, IDUNIDAD) VALUES ('SINUNIDAD', NULL)");
        Run("INSERT INTO V_MA_ARTICULOS (IDARTICULO, IDUNIDAD) VALUES ('O''BRIEN', 'UN  ')");
        Equivalencia("CAJA", "CJ", "UN", "12");
        Equivalencia("CAJA", "M3", "CJ", "2");
        Equivalencia("CAJA", "CJ", "KG", "0");
        Equivalencia("O''BRIEN", "UN", "KG", "3");
    }
    void Equivalencia(const std::string& articulo, const std::string& a, const std::string& b,
                      const std::string& c) {
        Run("INSERT INTO S_TA_EQUIV (IdArticulo, IDUNIDAD, IDUNIDAD_EQUIV, Coeficiente) VALUES ('" + articulo +
            "', '" + a + "', '" + b + "', " + c + ")");
    }
};

struct CasoConversion {
    const char* nombre;
    bool inversa;
    std::string articulo;
    std::string segunda;  // second argument
    double cantidad;
    std::string cuarta;   // fourth argument
    double esperado;
};

TEST_F(EquivalenciasTest, ConversionsBothWays) {
    const std::vector<CasoConversion> casos = {
        {"box to piece", false, "CAJA", "CJ", 2, "UN", 24},
        {"piece to box", false, "CAJA", "UN", 24, "CJ", 2},
        {"inverse: 2 boxes in pieces", true, "CAJA", "UN", 2, "CJ", 24},
        {"inverse: 24 pieces in boxes", true, "CAJA", "CJ", 24, "UN", 2},
        {"reverse row: box to m3", false, "CAJA", "CJ", 3, "M3", 1.5},
        {"reverse row, inverse", true, "CAJA", "M3", 3, "CJ", 1.5},
        {"fitted units", false, "CAJA", "CJ  ", 1, "UN  ", 12},
        {"quantity 0, unknown units", false, "NADA", "XX", 0, "YY", 0},
        {"equal units", false, "NADA", "UN", 7, "UN", 7},
        {"equal units ignoring case", true, "NADA", "un", 7, "UN", 7},
        {"a trailing blank makes units differ", false, "CAJA", "CJ ", 7, "CJ", 0},
        {"no equivalence", false, "CAJA", "UN", 5, "LT", 0},
        {"no equivalence, inverse", true, "CAJA", "UN", 5, "LT", 0},
        {"coefficient 0, multiplying", false, "CAJA", "CJ", 5, "KG", 0},
        {"coefficient 0, dividing", false, "CAJA", "KG", 5, "CJ", 0},
        {"coefficient 0, inverse dividing", true, "CAJA", "CJ", 5, "KG", 0},
        {"apostrophe in the code", false, "O'BRIEN", "UN", 2, "KG", 6},
        {"blank unit takes the base unit", false, "CAJA", "", 2, "UN", 24},
        {"base unit equal to the unit asked", false, "CAJA", " ", 4, "cj", 4},
        {"no base unit and a blank unit", false, "SINUNIDAD", "", 4, "UN", 0},
        {"article without master row", false, "NADA", "", 4, "UN", 0},
    };
    for (const CasoConversion& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        const double resultado =
            caso.inversa ? ConvierteCantidadUnidadInversa(caso.articulo, caso.segunda, caso.cantidad, caso.cuarta)
                         : ConvierteCantidadUnidad(caso.articulo, caso.segunda, caso.cantidad, caso.cuarta);
        EXPECT_DOUBLE_EQ(resultado, caso.esperado);
    }
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(EquivalenciasTest, EqualUnitsAndZeroReadNothing) {
    EXPECT_DOUBLE_EQ(ConvierteCantidadUnidad("NADA", "Kg", 3, "KG"), 3);
    EXPECT_DOUBLE_EQ(ConvierteCantidadUnidadInversa("NADA", "A", 0, "B"), 0);
    EXPECT_TRUE(TakeStatements().empty());
}

TEST_F(EquivalenciasTest, ABlankUnitIsReplacedByTheBaseUnitInTheCallersVariable) {
    std::string desde;
    EXPECT_DOUBLE_EQ(ConvierteCantidadUnidad("CAJA", desde, 1, "UN"), 12);
    EXPECT_EQ(desde, "CJ");
    std::string hasta = " ";
    EXPECT_DOUBLE_EQ(ConvierteCantidadUnidadInversa("CAJA", hasta, 24, "UN"), 2);
    EXPECT_EQ(hasta, "CJ");
    // Without a base unit nothing is looked up in the equivalences.
    std::string vacia;
    TakeStatements();
    EXPECT_DOUBLE_EQ(ConvierteCantidadUnidad("SINUNIDAD", vacia, 1, "UN"), 0);
    EXPECT_EQ(CountStatements("S_TA_EQUIV"), 0);
    EXPECT_EQ(vacia, "");
}

TEST_F(EquivalenciasTest, RowsInBothDirectionsEachTwinUsesTheRowFromItsSecondArgument) {
    Equivalencia("CAJA", "UN", "CJ", "0.1");  // not the reciprocal of 12
    EXPECT_DOUBLE_EQ(ConvierteCantidadUnidad("CAJA", "CJ", 2, "UN"), 24);
    EXPECT_DOUBLE_EQ(ConvierteCantidadUnidad("CAJA", "UN", 20, "CJ"), 2);
    EXPECT_DOUBLE_EQ(ConvierteCantidadUnidadInversa("CAJA", "UN", 2, "CJ"), 20);
    EXPECT_DOUBLE_EQ(ConvierteCantidadUnidadInversa("CAJA", "CJ", 24, "UN"), 2);
}

TEST_F(EquivalenciasTest, IdArticuloTieneEquivalenciasNamesTheRowsDirection) {
    std::string operacion = "sin tocar";
    std::string unidad = "UN";
    double coeficiente = -1;
    bool sinUnidad = true;
    EXPECT_TRUE(IdArticuloTieneEquivalencias("CAJA", "CJ", operacion, unidad, coeficiente, sinUnidad));
    EXPECT_EQ(operacion, "*");
    EXPECT_DOUBLE_EQ(coeficiente, 12);
    EXPECT_FALSE(sinUnidad);

    unidad = "";
    EXPECT_TRUE(IdArticuloTieneEquivalencias("CAJA", "UN", operacion, unidad, coeficiente, sinUnidad));
    EXPECT_EQ(operacion, "/");
    EXPECT_EQ(unidad, "CJ");

    operacion = "sin tocar";
    EXPECT_FALSE(IdArticuloTieneEquivalencias("CAJA", "LT", operacion, unidad, coeficiente, sinUnidad));
    EXPECT_EQ(operacion, "sin tocar");
    EXPECT_DOUBLE_EQ(coeficiente, 0);

    unidad = "";
    EXPECT_FALSE(IdArticuloTieneEquivalencias("SINUNIDAD", "UN", operacion, unidad, coeficiente, sinUnidad));
    EXPECT_TRUE(sinUnidad);
    EXPECT_EQ(ObtieneUnidadArticulo("CAJA"), "CJ");
}

// The articles grid: article in column 0, unit in 5, quantity in 7; the
// equivalent quantities go to 62 (m3), 63 (the BL unit) and 64 (kg).
class CantidadesEquivalentesTest : public EquivalenciasTest {
protected:
    CantidadesEquivalentesTest() {
        grilla_.SetCols(90);
        grilla_.SetRows(3);
        foundation::gUnidadMedidaM3 = "M3";
        foundation::gUnidadMedidaBL = "UN";
        foundation::gUnidadMedidaKG = "KG";
    }
    void Linea(int fila, const std::string& articulo, const std::string& unidad, const std::string& cantidad) {
        grilla_.SetTextMatrix(fila, 0, articulo);
        grilla_.SetTextMatrix(fila, 5, unidad);
        grilla_.SetTextMatrix(fila, 7, cantidad);
        grilla_.SetRow(fila);
    }
    std::vector<std::string> Equivalentes(int fila) const {
        return {grilla_.TextMatrix(fila, 62), grilla_.TextMatrix(fila, 63), grilla_.TextMatrix(fila, 64)};
    }
    ui::FlexGrid grilla_;
};

TEST_F(CantidadesEquivalentesTest, WritesTheCurrentRowInTheThreeConfiguredUnits) {
    Linea(1, "CAJA", "CJ", "2");
    Linea(2, "CAJA", " CJ ", "4");
    ActualizaCantidadesEquivalentes(grilla_);
    // m3 through the reverse row, pieces directly, kg through a coefficient of 0.
    EXPECT_EQ(Equivalentes(2), (std::vector<std::string>{vb::CStr(2.0), "48", "0"}));
    EXPECT_EQ(Equivalentes(1), (std::vector<std::string>{"", "", ""}));
}

TEST_F(CantidadesEquivalentesTest, ConfiguredUnitNoEquivalenceAndEmptyRows) {
    Linea(1, "CAJA", "UN", "1.23456");  // read as a four-decimal amount
    ActualizaCantidadesEquivalentes(grilla_);
    EXPECT_EQ(Equivalentes(1), (std::vector<std::string>{"0", vb::CStr(1.2346), "0"}));
    Linea(1, "CAJA", "UN ", "3");  // the cell's unit is trimmed: the configured unit itself
    ActualizaCantidadesEquivalentes(grilla_);
    EXPECT_EQ(Equivalentes(1), (std::vector<std::string>{"0", "3", "0"}));

    Linea(2, "", "", "");
    ActualizaCantidadesEquivalentes(grilla_);
    EXPECT_EQ(Equivalentes(2), (std::vector<std::string>{"0", "0", "0"}));

    // An empty configured unit and an empty line unit: the quantity itself.
    foundation::gUnidadMedidaKG = "";
    Linea(2, "NADA", "", "5");
    ActualizaCantidadesEquivalentes(grilla_);
    EXPECT_EQ(Equivalentes(2), (std::vector<std::string>{"0", "0", "5"}));
}

}  // namespace
}  // namespace numbering
