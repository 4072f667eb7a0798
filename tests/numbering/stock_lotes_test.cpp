// Lots of an article in a depot and the inputs of an article.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "numbering/stock.h"
#include "stock_fixture.h"

namespace numbering {
namespace {

std::string Fijo(const std::string& texto, std::size_t ancho) { return texto + std::string(ancho - texto.size(), ' '); }

// A filled element as the tests write it: the code and the quantity.
struct Esperado {
    std::string codigo;
    double cantidad;
};

class LotesTest : public testing::StockDbTest {
protected:
    void Lote(const std::string& articulo, const std::string& deposito, const std::string& lote,
              const std::string& cantidad) {
        Run("INSERT INTO STK_SERIES_Y_LOTES (IDARTICULO, IDDEPOSITO, NROLOTE, CANTIDAD) VALUES ('" + articulo +
            "', '" + deposito + "', " + lote + ", " + cantidad + ")");
    }
    // Lots L1, L2, ... of ART in depot 1 with these quantities (inserted in
    // reverse, so that the order comes from the lot number).
    void Lotes(const std::vector<double>& cantidades) {
        Run("DELETE FROM STK_SERIES_Y_LOTES");
        for (std::size_t i = cantidades.size(); i-- > 0;) {
            Lote("ART", "1", "'L" + std::to_string(i + 1) + "'", std::to_string(cantidades[i]));
        }
    }
    static void Compara(const std::vector<ItemCantidad>& lotes, const std::vector<Esperado>& esperados) {
        ASSERT_EQ(lotes.size(), esperados.size());
        for (std::size_t i = 0; i < lotes.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(lotes[i].CodigoItem, Fijo(esperados[i].codigo, kAnchoCodigoItem));
            EXPECT_EQ(lotes[i].UnidadItem, "    ");
            EXPECT_DOUBLE_EQ(lotes[i].CantidadItem, esperados[i].cantidad);
        }
    }
};

struct CasoLotes {
    const char* nombre;
    std::vector<double> lotes;
    double cantidad;
    bool resultado;
    std::vector<Esperado> elementos;
};

TEST_F(LotesTest, DistributesTheQuantityOverTheLotsInLotOrder) {
    const std::vector<CasoLotes> casos = {
        {"a lot holds more than the rest", {5, 3, 10}, 12, true, {{"L1", 5}, {"L2", 3}, {"L3", 4}}},
        {"lots exactly cover it", {5, 3}, 8, true, {{"L1", 5}, {"L2", 3}}},
        {"lots fall short", {5, 3}, 10, true, {{"L1", 5}, {"L2", 3}, {"", 2}}},
        // Covered exactly at a lot with more lots after it: no element of 0.
        {"covered before the last lot", {5, 3, 4}, 8, true, {{"L1", 5}, {"L2", 3}}},
        {"quantity 0 with lots", {5, 3}, 0, true, {}},
        {"no lot", {}, 7, false, {{"", 7}}},
        {"no lot and quantity 0", {}, 0, false, {}},
        {"fractions", {0.5, 0.25}, 0.6, true, {{"L1", 0.5}, {"L2", 0.1}}},
        // 0.7 + 0.1 falls a rounding step short of 0.8: no element for the crumb.
        {"fractions that cover it with lots after", {0.7, 0.1, 5}, 0.8, true, {{"L1", 0.7}, {"L2", 0.1}}},
        {"fractions that cover it exactly", {0.7, 0.1}, 0.8, true, {{"L1", 0.7}, {"L2", 0.1}}},
    };
    for (const CasoLotes& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Lotes(caso.lotes);
        std::vector<ItemCantidad> lotes(3);
        EXPECT_EQ(ArticuloTieneLotes("ART", "1", lotes, caso.cantidad), caso.resultado);
        Compara(lotes, caso.elementos);
    }
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(LotesTest, OnlyLotsWithStockOfTheArticleInTheDepotCount) {
    Lote("ART", "1", "'B'", "2");
    Lote("ART", "1", "NULL", "50");   // no lot
    Lote("ART", "1", "'A'", "0");     // no stock
    Lote("ART", "1", "'C'", "-4");    // negative
    Lote("ART", "2", "'A'", "50");    // other depot
    Lote("OTRO", "1", "'A'", "50");   // other article
    std::vector<ItemCantidad> lotes;
    EXPECT_TRUE(ArticuloTieneLotes("ART", "1", lotes, 5));
    Compara(lotes, {{"B", 2}, {"", 3}});
}

TEST_F(LotesTest, TheDepotMayComeAsACodeOrAsAnSqlLiteral) {
    Lote("ART", "0001", "'L1'", "5");
    Lote("O''K", "0001", "'L1'", "5");
    for (const std::string deposito : {"0001", " 0001 ", "'0001'", "'0001  '"}) {
        SCOPED_TRACE(deposito);
        std::vector<ItemCantidad> lotes;
        EXPECT_TRUE(ArticuloTieneLotes("ART", deposito, lotes, 2));
        Compara(lotes, {{"L1", 2}});
    }
    std::vector<ItemCantidad> lotes;
    EXPECT_TRUE(ArticuloTieneLotes("O'K", "0001", lotes, 1));
    // No depot (the literal NULL) finds no lots; the whole quantity is lot-less.
    EXPECT_FALSE(ArticuloTieneLotes("ART", "NULL", lotes, 2));
    Compara(lotes, {{"", 2}});
    // A depot that is not a number is a code like any other, not a failure.
    EXPECT_FALSE(ArticuloTieneLotes("ART", "D'1", lotes, 2));
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(LotesTest, TheGridMarkerReadsNothingAndLeavesTheArray) {
    Lote("ART", "1", "'L1'", "5");
    std::vector<ItemCantidad> lotes(2);
    lotes[0].CantidadItem = 9;
    EXPECT_FALSE(ArticuloTieneLotes("ART", "eldelgrid", lotes, 2));
    EXPECT_FALSE(ArticuloTieneLotes("ART", kElDelGrid, lotes, 2));
    ASSERT_EQ(lotes.size(), 2u);
    EXPECT_DOUBLE_EQ(lotes[0].CantidadItem, 9);
    EXPECT_TRUE(TakeStatements().empty());
}

TEST_F(LotesTest, ALongLotNumberIsCutToTheWidth) {
    const std::string largo = "LOTE-0123456789-0123456789-XYZ";
    Lote("ART", "1", "'" + largo + "'", "5");
    std::vector<ItemCantidad> lotes;
    EXPECT_TRUE(ArticuloTieneLotes("ART", "1", lotes, 1));
    ASSERT_EQ(lotes.size(), 1u);
    EXPECT_EQ(lotes[0].CodigoItem, largo.substr(0, kAnchoCodigoItem));
}

class InsumosTest : public testing::StockDbTest {
protected:
    void Insumo(const std::string& articulo, const std::string& insumo, const std::string& unidad,
                const std::string& cantidad) {
        Run("INSERT INTO V_MA_INSUMOS (IDARTICULO, IdArticuloInsumo, IdUnidadInsumo, Cantidad) VALUES ('" +
            articulo + "', '" + insumo + "', '" + unidad + "', " + cantidad + ")");
    }
    static bool SinLlenar(const ItemCantidad& e) {
        return e.CodigoItem == std::string(kAnchoCodigoItem, '\0') &&
               e.UnidadItem == std::string(kAnchoUnidadItem, '\0') && e.CantidadItem == 0;
    }
};

TEST_F(InsumosTest, OneElementPerInputInTableOrderThenAnUnfilledOne) {
    Insumo("MESA", "TORNILLO", "UN", "8");
    Insumo("MESA", "TABLA", "M2", "1.5");
    Insumo("MESA", "BARNIZ-DE-POLIURETANO-BRILLANTE", "LT", "NULL");
    Insumo("SILLA", "PATA", "UN", "4");
    std::vector<ItemCantidad> insumos(5);
    EXPECT_TRUE(IdArticuloTieneInsumos(" MESA ", insumos, false));
    ASSERT_EQ(insumos.size(), 4u);
    EXPECT_EQ(insumos[0].CodigoItem, Fijo("TORNILLO", kAnchoCodigoItem));
    EXPECT_EQ(insumos[0].UnidadItem, "UN  ");
    EXPECT_DOUBLE_EQ(insumos[0].CantidadItem, 8);
    EXPECT_EQ(insumos[1].CodigoItem, Fijo("TABLA", kAnchoCodigoItem));
    EXPECT_DOUBLE_EQ(insumos[1].CantidadItem, 1.5);
    EXPECT_EQ(insumos[2].CodigoItem, "BARNIZ-DE-POLIURETANO-BRI");  // cut at 25
    EXPECT_DOUBLE_EQ(insumos[2].CantidadItem, 0);
    EXPECT_TRUE(SinLlenar(insumos[3]));
}

TEST_F(InsumosTest, OnlyVerifyingOrNoInputsLeaveOneUnfilledElement) {
    Insumo("O''NEIL", "TORNILLO", "UN", "8");
    std::vector<ItemCantidad> insumos(3);
    EXPECT_TRUE(IdArticuloTieneInsumos("O'NEIL", insumos, true));
    ASSERT_EQ(insumos.size(), 1u);
    EXPECT_TRUE(SinLlenar(insumos[0]));

    insumos.resize(3);
    EXPECT_FALSE(IdArticuloTieneInsumos("NADA", insumos, false));
    ASSERT_EQ(insumos.size(), 1u);
    EXPECT_TRUE(SinLlenar(insumos[0]));
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(InsumosTest, AFailureGoesToTheErrorRoutineWithTheRoutineName) {
    Run("DROP TABLE V_MA_INSUMOS");
    operator_.AnswerMsgBox(ui::vbAbort).AnswerMsgBox(ui::vbAbort);
    std::vector<ItemCantidad> insumos;
    EXPECT_FALSE(IdArticuloTieneInsumos("MESA", insumos, false));
    ASSERT_EQ(operator_.Shown().size(), 2u);
    EXPECT_NE(operator_.Shown()[0].title.find("AbrirRecordset"), std::string::npos);
    EXPECT_NE(operator_.Shown()[1].title.find("IdArticuloTieneInsumos"), std::string::npos);
}

}  // namespace
}  // namespace numbering
