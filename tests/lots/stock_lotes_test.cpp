// Stock balances by depot, lot, serial and position (ObtieneStock) and in a
// second unit (ObtieneStockxEquiv).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lotes_fixture.h"

namespace lots::testing {
namespace {

class StockLotesTest : public LotesTest {
protected:
    StockLotesTest() {
        Configura("DepositoDefault", "01");
        Articulo("LOT", "UN", false, true);  // kept by lot
        Articulo("SER", "UN", true, false);  // kept by serial
        Articulo("AMB", "KG", true, true);   // by lot and serial
        Stock("LOT", "01", "L1", std::nullopt, "P1", 5);
        Stock("LOT", "01", "L1", std::nullopt, "P2", 2);
        Stock("LOT", "02", "L1", std::nullopt, std::nullopt, 4);
        Stock("LOT", "01", "L2", std::nullopt, "P1", 3);
        Stock("LOT", "01", "L'7", std::nullopt, std::nullopt, 6);
        Stock("LOT", "01", "L3", "X9", std::nullopt, 100);  // a row with a serial: not a lot row
        Stock("SER", "01", std::nullopt, "S1", std::nullopt, 1);
        Stock("SER", "01", std::nullopt, "S2", std::nullopt, 1);
        Stock("SER", "02", std::nullopt, "S3", std::nullopt, 1);
        Stock("SER", "01", "L1", "S4", std::nullopt, 50);  // a row with a lot: not a serial row
        Stock("AMB", "01", "L1", "S1", std::nullopt, 2);
        Stock("AMB", "01", "L1", "S2", std::nullopt, 3);
        Stock("AMB", "01", std::nullopt, "S3", std::nullopt, 7);
        Sql("INSERT INTO STK_SALDOS_UNIDADES (IDARTICULO, EQUIVALENCIA, IDDEPOSITO, STOCK) VALUES "
            "('LOT', 'UN', '01', 12), ('LOT', 'UN', '02', 30), ('LOT', 'CJ', '01', 1), ('AMB', 'KG', '01', 8.5)");
    }
};

TEST_F(StockLotesTest, ByLotSerialAndPosition) {
    struct Caso {
        std::string articulo;
        std::string deposito;
        std::string lote;
        std::string serie;
        std::string posicion;
        double esperado;
    };
    const std::vector<Caso> casos = {
        {"LOT", "Ignorar", "L1", "Ignorar", "Ignorar", 11},  // the lot over all depots
        {"LOT", "  ", "L1", "Ignorar", "Ignorar", 11},       // a blank depot filters nothing
        {"LOT", "01", "L1", "Ignorar", "Ignorar", 7},
        {"LOT", "01", "L1", "Ignorar", "P2", 2},
        {"LOT", "01", "L1", "Ignorar", "P9", 0},             // no row: 0
        {"LOT", "Ignorar", "", "Ignorar", "Ignorar", 20},    // blank lot: the article's lot rows
        {"LOT", "Ignorar", "L'7", "Ignorar", "Ignorar", 6},  // an apostrophe stays inside the literal
        {"SER", "Ignorar", "Ignorar", "S1", "Ignorar", 1},
        {"SER", "Ignorar", "Ignorar", "", "Ignorar", 3},     // rows without lot only
        {"SER", "Ignorar", "L1", "S4", "Ignorar", 0},        // a lot never matches a serial article
        {"AMB", "01", "L1", "Ignorar", "Ignorar", 5},
        {"AMB", "01", "Ignorar", "S3", "Ignorar", 7},
        {"AMB", "01", "", "Ignorar", "Ignorar", 12},         // both flags: no flag condition
    };
    for (const Caso& c : casos) {
        std::string deposito = c.deposito;
        EXPECT_DOUBLE_EQ(Cmn().ObtieneStock(c.articulo, &deposito, c.lote, c.serie, c.posicion), c.esperado)
            << c.articulo << " dep=" << c.deposito << " lote=" << c.lote << " serie=" << c.serie;
        EXPECT_EQ(deposito, c.deposito) << "no default depot is written on this path";
    }
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(StockLotesTest, WithoutLotAndSerialTheUnitBalanceWithDefaultsWrittenBack) {
    EXPECT_DOUBLE_EQ(Cmn().ObtieneStock("LOT"), 12);  // default depot 01, the article's unit UN

    std::string deposito = "Ignorar";
    std::string unidad = "IGNORAR";
    EXPECT_DOUBLE_EQ(Cmn().ObtieneStock("LOT", &deposito, "ignorar", "Ignorar", "P1", &unidad), 12);
    EXPECT_EQ(deposito, "01  ");
    EXPECT_EQ(unidad, "UN  ");

    deposito = "02";
    unidad = "UN";
    EXPECT_DOUBLE_EQ(Cmn().ObtieneStock("LOT", &deposito, "Ignorar", "Ignorar", "Ignorar", &unidad), 30);
    EXPECT_EQ(deposito, "02");
    EXPECT_EQ(unidad, "UN");

    // " Ignorar" is not "Ignorar": it is taken for a lot, and there is none.
    EXPECT_DOUBLE_EQ(Cmn().ObtieneStock("LOT", nullptr, " Ignorar", "Ignorar"), 0);
}

TEST_F(StockLotesTest, AnUnknownArticleOnTheLotPathIsReported) {
    operator_.AnswerMsgBox(ui::vbAbort);
    EXPECT_DOUBLE_EQ(Cmn().ObtieneStock("NADA", nullptr, "L1"), 0);
    ASSERT_EQ(Cajas("MsgBox").size(), 1u);
    EXPECT_NE(Cajas("MsgBox")[0].title.find("ObtieneStock"), std::string::npos);
}

TEST_F(StockLotesTest, ObtieneStockxEquivConvertsTheBaseBalance) {
    Sql("INSERT INTO S_TA_EQUIV (IdArticulo, IDUNIDAD, IDUNIDAD_EQUIV, Coeficiente) VALUES ('LOT', 'CJ', 'UN', 12)");
    double base = -1;
    double equivalente = -1;
    Cmn().ObtieneStockxEquiv("01", "LOT", "UN", "CJ", base, equivalente);
    EXPECT_DOUBLE_EQ(base, 12);
    EXPECT_DOUBLE_EQ(equivalente, 1);  // 12 UN are one box of 12

    Cmn().ObtieneStockxEquiv("01", "AMB", "KG", "", base, equivalente);
    EXPECT_DOUBLE_EQ(base, 8.5);
    EXPECT_DOUBLE_EQ(equivalente, 0);
}

}  // namespace
}  // namespace lots::testing
