// Stock balances and the quantity still pending on a document.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "documents/cls_cmn_cptes.h"
#include "foundation/configuracion.h"
#include "numbering/stock.h"
#include "stock_fixture.h"
#include "support.h"
#include "vb/text.h"

namespace numbering {
namespace {

class ControlStockTest : public testing::StockDbTest {
protected:
    ControlStockTest() {
        Saldo("ART", "UN", "1", "4");
        Saldo("ART", "UN", "2", "6");
        Saldo("ART", "CJ", "1", "0.5");
        Saldo("O'K", "UN", "1", "3");
        UdKg("ART", "1", "40");
        UdKg("ART", "2", "2");
    }
    void Saldo(const std::string& articulo, const std::string& unidad, const std::string& deposito,
               const std::string& stock) {
        Run("INSERT INTO STK_SALDOS_UNIDADES (IDARTICULO, EQUIVALENCIA, IDDEPOSITO, STOCK) VALUES ('" +
            vb::Replace(articulo, "'", "''") + "', '" + unidad + "', '" + deposito + "', " + stock + ")");
    }
    void UdKg(const std::string& articulo, const std::string& deposito, const std::string& cantidad) {
        Run("INSERT INTO STK_STOCK_UDKG (IDARTICULO, IDDEPOSITO, CantidadUd) VALUES ('" + articulo + "', '" +
            deposito + "', " + cantidad + ")");
    }
};

struct CasoStock {
    const char* nombre;
    bool udKg;
    std::string deposito;
    std::string articulo;
    std::string unidad;
    double esperado;
};

TEST_F(ControlStockTest, BalanceByDepotOrOverAllDepots) {
    const std::vector<CasoStock> casos = {
        {"depot and unit", false, "2", "ART", "UN", 6},
        {"other unit", false, "1", "ART", "CJ", 0.5},
        {"missing balance row", false, "3", "ART", "UN", 0},
        {"all depots", false, "", "ART", "UN", 10},
        {"all depots, blank depot", false, "    ", "ART", "UN", 10},
        {"all depots, no rows", false, "", "ART", "KG", 0},
        {"apostrophe in the code", false, "1", "O'K", "UN", 3},
        {"switch on: the unit plays no part", true, "1", "ART", "CJ", 40},
        {"switch on: missing row", true, "3", "ART", "UN", 0},
        {"switch on: all depots", true, "", "ART", "UN", 42},
    };
    for (const CasoStock& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        foundation::gUsaStkStockUdKg = caso.udKg;
        double stock = 99;
        ControlStock(caso.deposito, caso.articulo, caso.unidad, stock);
        EXPECT_DOUBLE_EQ(stock, caso.esperado);
    }
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(ControlStockTest, ABlankArticleReadsNothingAndKeepsTheCallersValue) {
    double stock = 7;
    ControlStock("1", "   ", "UN", stock);
    EXPECT_DOUBLE_EQ(stock, 7);
    EXPECT_TRUE(TakeStatements().empty());
}

TEST_F(ControlStockTest, TheStatementsKeepTheirText) {
    foundation::gUsaStkStockUdKg = false;
    double stock = 0;
    ControlStock("1", "ART", "UN", stock);
    ControlStock("", "ART", "UN", stock);
    EXPECT_EQ(TakeStatements(),
              (std::vector<std::string>{"SELECT STOCK AS STOCK FROM STK_SALDOS_UNIDADES WHERE IDARTICULO = "
                                        "'ART                      ' AND EQUIVALENCIA = 'UN  ' AND IDDEPOSITO = '1   '",
                                        "SELECT SUM(STOCK) AS STOCK  FROM STK_SALDOS_UNIDADES WHERE IDARTICULO = "
                                        "'ART                      ' AND EQUIVALENCIA = 'UN  ' "}));
}

TEST_F(ControlStockTest, AFailureGoesToTheErrorRoutineWithTheRoutineName) {
    Run("DROP TABLE STK_SALDOS_UNIDADES");
    operator_.AnswerMsgBox(ui::vbAbort).AnswerMsgBox(ui::vbAbort);
    double stock = 5;
    ControlStock("1", "ART", "UN", stock);
    EXPECT_DOUBLE_EQ(stock, 5);
    ASSERT_EQ(operator_.Shown().size(), 2u);
    EXPECT_NE(operator_.Shown()[1].title.find("ControlStock"), std::string::npos);
}

class PendienteTest : public testing::StockDbTest {
protected:
    void Fila(const char* tabla, const std::string& tc, const std::string& cantidad) {
        Run(std::string("INSERT INTO ") + tabla + " (TC, IDCOMPROBANTE, IDARTICULO, Cantidad) VALUES ('" + tc +
            "', '0001-00000001', 'ART', " + cantidad + ")");
    }
};

struct CasoPendiente {
    const char* nombre;
    const char* enLineas;  // nullptr: no row
    const char* movido;
    double esperado;
};

TEST_F(PendienteTest, LinesLessMovementsNeverBelowZero) {
    const std::vector<CasoPendiente> casos = {
        {"part moved", "10", "4", 6},
        {"more moved than asked", "10", "12", 0},
        {"no line row", nullptr, "4", 0},
        {"no movement row", "10", nullptr, 10},
        {"Null quantities", "NULL", "NULL", 0},
        {"nothing moved yet, Null movement", "2.5", "NULL", 2.5},
    };
    documents::ClsCmnCptes cmn;
    for (const CasoPendiente& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Run("DELETE FROM VT_V_MV_CPTEINSUMOS_CONS2");
        Run("DELETE FROM VT_V_MV_Stock_Cons");
        if (caso.enLineas) Fila("VT_V_MV_CPTEINSUMOS_CONS2", "RM", caso.enLineas);
        if (caso.movido) Fila("VT_V_MV_Stock_Cons", "RM", caso.movido);
        EXPECT_DOUBLE_EQ(cmn.CantRepartoPend("RM", " 0001-00000001 ", "ART"), caso.esperado);
    }
}

TEST_F(PendienteTest, TheTypeGoesIntoBothStatementsAsPassed) {
    Fila("VT_V_MV_CPTEINSUMOS_CONS2", "RM", "10");
    documents::ClsCmnCptes cmn;
    TakeStatements();
    EXPECT_DOUBLE_EQ(cmn.CantRepartoPend("RM  ", "0001-00000001", " ART"), 10);
    const std::string filtro =
        " WHERE (TC = 'RM  ') AND IDCOMPROBANTE = '0001-00000001' AND IDARTICULO = 'ART                      '";
    EXPECT_EQ(TakeStatements(), (std::vector<std::string>{"SELECT * FROM VT_V_MV_CPTEINSUMOS_CONS2" + filtro,
                                                          "SELECT * FROM VT_V_MV_Stock_Cons" + filtro}));
    // An apostrophe stays inside its literal.
    EXPECT_DOUBLE_EQ(cmn.CantRepartoPend("R'M", "0001-00000001", "ART"), 0);
}

TEST_F(PendienteTest, AFailureReachesTheCaller) {
    Run("DROP TABLE VT_V_MV_Stock_Cons");
    documents::ClsCmnCptes cmn;
    operator_.AnswerMsgBox(ui::vbAbort);  // AbrirRecordset reports it first
    EXPECT_NE(testsupport::ErrorNumberOf([&] { cmn.CantRepartoPend("RM", "0001-00000001", "ART"); }), 0);
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_NE(operator_.Shown()[0].title.find("AbrirRecordset"), std::string::npos);
}

}  // namespace
}  // namespace numbering
