// The position and lot dialog through its opener (PidePosicionLote): the
// balances by position, the proposal, previous lists, the accept's checks
// and the lists it builds.
#include "lots/frm_lotey_posicion.h"

#include <gtest/gtest.h>

#include <QLabel>

#include <string>
#include <vector>

#include "dialogos_fixture.h"

namespace lots::testing {
namespace {

class PosicionTest : public LotesTest {
protected:
    PosicionTest() {
        Posicion("0001", "P1", 2);
        Posicion("0001", "P2", 1);
        Posicion("0001", "P3", 3);
        Saldo("0001", "X", "P1", "L1", "UN", "5");
        Saldo("0001", "X", "P2", "L1", "UN", "5");
        Saldo("0001", "X", "P3", "L2", "UN", "10");
        Saldo("0001", "X", "P3", "L3", "UN", "0");  // no balance: not listed
        Saldo("0001", "X", std::nullopt, std::nullopt, "UN", "2");  // the depot's balance
        Saldo("0002", "X", "P1", "L1", "UN", "50");  // another depot
    }

    void Pide(const std::string& articulo, double cantidad, const std::string& posicionesAnt = {},
              const std::string& lotesAnt = {}, bool lote = true, const std::string& unidad = "UN") {
        Cmn().PidePosicionLote(articulo, unidad, cantidad, "0001", posicionesAnt, lotesAnt, posiciones_, lotes_,
                               true, lote);
    }

    std::string posiciones_ = "antes";
    std::string lotes_ = "antes";
};

TEST_F(PosicionTest, PositionsAndLotsAreProposedInLotAndEntryOrder) {
    operator_.OnModal([](QWidget& w) {
        auto& frm = Como<FrmLoteyPosicion>(w);
        const ui::FlexGrid& g = frm.MSFlexGrid1();
        EXPECT_FALSE(frm.EsConsultaDePosicionLote);
        EXPECT_EQ(frm.windowTitle().toStdString(), "Posiciones y Lotes (Deposito: 0001)");
        EXPECT_EQ(frm.lblArticulo().text().toStdString(), "X");
        EXPECT_EQ(Columna(g, 0).size(), 4u);
        EXPECT_EQ((Textos{g.TextMatrix(0, 0), g.TextMatrix(0, 1), g.TextMatrix(0, 2), g.TextMatrix(0, 3),
                          g.TextMatrix(0, 4)}),
                  (Textos{"POSICION", "LOTE", "UNIDAD", "DISPONIBLE", "CANT."}));
        EXPECT_EQ(Columna(g, 0), (Textos{"P2", "P1", "P3", "DEPOSITO 0001"}));
        EXPECT_EQ(Columna(g, 1), (Textos{"L1", "L1", "L2", ""}));
        EXPECT_EQ(Columna(g, 2), (Textos{"UN", "UN", "UN", ""}));
        EXPECT_EQ(Columna(g, 3), (Textos{"5", "5", "10", "2"}));
        EXPECT_EQ(Columna(g, 4), (Textos{"5", "5", "2", "0"}));
        EXPECT_EQ(g.Row(), 4);
        EXPECT_EQ(g.Col(), 4);
        frm.CmdAceptar_Click();
    });
    Pide("X", 12);
    EXPECT_EQ(posiciones_, "|P2*5|P1*5|P3*2|");
    EXPECT_EQ(lotes_, "|L1|L1|L2|");
}

TEST_F(PosicionTest, PositionsModeHidesTheLotAndBuildsOnlyPositions) {
    operator_.OnModal([](QWidget& w) {
        auto& frm = Como<FrmLoteyPosicion>(w);
        const ui::FlexGrid& g = frm.MSFlexGrid1();
        EXPECT_EQ(frm.windowTitle().toStdString(), "Posiciones (Deposito: 0001)");
        EXPECT_EQ(g.TextMatrix(0, 1), "");
        EXPECT_EQ(g.ColWidth(1), 0);
        EXPECT_EQ(Columna(g, 1), (Textos{"", "", "", ""}));
        EXPECT_EQ(Columna(g, 4), (Textos{"3", "", "", "0"}));  // position rows start empty
        frm.CmdAceptar_Click();
    });
    Pide("X", 3, "", "", false);
    EXPECT_EQ(posiciones_, "|P2*3|");
    EXPECT_EQ(lotes_, "");  // not touched: the dialog's own empty list
}

TEST_F(PosicionTest, PreviousListsGoBackIntoTheirRows) {
    operator_.OnModal([](QWidget& w) {
        auto& frm = Como<FrmLoteyPosicion>(w);
        EXPECT_TRUE(frm.EsConsultaDePosicionLote);
        // P9 and P3 with lot L9 are no longer there; the entry without position goes to the depot row.
        EXPECT_EQ(Columna(frm.MSFlexGrid1(), 4), (Textos{"0", "3", "0", "2"}));
        frm.CmdAceptar_Click();
    });
    Pide("X", 5, "|P1*3|*2|P9*4|P3*1|", "|L1||L1|L9|");
    EXPECT_EQ(posiciones_, "|P1*3|*2|");
    EXPECT_EQ(lotes_, "|L1||");
}

TEST_F(PosicionTest, CancelHandsBackTheLinesLists) {
    operator_.OnModal([](QWidget& w) {
        auto& frm = Como<FrmLoteyPosicion>(w);
        frm.MSFlexGrid1().SetTextMatrix(1, 4, "4");  // typed, then cancelled
        frm.CmdCancelar_Click();
    });
    Pide("X", 5, "|P1*3|*2|", "|L1||");
    EXPECT_EQ(posiciones_, "|P1*3|*2|");
    EXPECT_EQ(lotes_, "|L1||");
}

TEST_F(PosicionTest, FractionsAddingUpToTheLineAreAcceptedWithoutAQuestion) {
    Posicion("0001", "F1", 1);
    Posicion("0001", "F2", 2);
    Saldo("0001", "F", "F1", "L1", "UN", "0.1");
    Saldo("0001", "F", "F2", "L2", "UN", "0.2");
    operator_.OnModal([](QWidget& w) {
        auto& frm = Como<FrmLoteyPosicion>(w);
        EXPECT_EQ(Columna(frm.MSFlexGrid1(), 4), (Textos{"0,1", "0,2"}));
        frm.CmdAceptar_Click();
        EXPECT_FALSE(frm.isVisible());
    });
    Pide("F", 0.3);
    EXPECT_TRUE(Cajas("MsgBox").empty());
    EXPECT_EQ(posiciones_, "|F1*0,1|F2*0,2|");
    EXPECT_EQ(lotes_, "|L1|L2|");
}

TEST_F(PosicionTest, WithoutBalancesOnlyCancelLeaves) {
    operator_.AnswerMsgBox(ui::vbOK);
    operator_.OnModal([](QWidget& w) {
        auto& frm = Como<FrmLoteyPosicion>(w);
        EXPECT_EQ(frm.MSFlexGrid1().Rows(), 1);
        frm.CmdAceptar_Click();
        EXPECT_TRUE(frm.isVisible());
        frm.CmdCancelar_Click();
    });
    Pide("NADA", 4);
    const auto cajas = Cajas("MsgBox");
    ASSERT_EQ(cajas.size(), 1u);
    EXPECT_EQ(cajas[0].prompt, "La suma de cantidades informadas es Menor a la cantidad solicitada ");
    EXPECT_EQ(cajas[0].title, "Aviso al Operador!!!");
    EXPECT_EQ(cajas[0].style, ui::vbInformation);
    EXPECT_EQ(posiciones_, "");
    EXPECT_EQ(lotes_, "");
}

TEST_F(PosicionTest, ASingleRowTakesTheWholeQuantity) {
    Saldo("0001", "Z", std::nullopt, std::nullopt, "UN", "1");
    operator_.OnModal([](QWidget& w) { Como<FrmLoteyPosicion>(w).CmdAceptar_Click(); });
    Pide("Z", 5);
    EXPECT_EQ(posiciones_, "|*5|");
    EXPECT_EQ(lotes_, "||");
}

TEST_F(PosicionTest, TheProposalStopsAtTheBalancesAndReadsDecimalBalances) {
    struct Caso {
        double cantidad;
        Textos esperado;
    };
    Posicion("0001", "Q1", 1);
    Posicion("0001", "Q2", 2);
    Saldo("0001", "W", "Q1", "L1", "UN", "12.5");
    Saldo("0001", "W", "Q2", "L1", "UN", "10");
    Saldo("0001", "W", std::nullopt, std::nullopt, "UN", "-3");  // a negative depot balance offers nothing
    const std::vector<Caso> casos = {
        {20, {"12,5", "7,5", "0"}},
        {30, {"12,5", "10", "0"}},
        {4, {"4", "0", "0"}},
    };
    for (const Caso& c : casos) {
        operator_.OnModal([&](QWidget& w) {
            auto& frm = Como<FrmLoteyPosicion>(w);
            EXPECT_EQ(Columna(frm.MSFlexGrid1(), 3), (Textos{"12,5", "10", "-3"}));
            EXPECT_EQ(Columna(frm.MSFlexGrid1(), 4), c.esperado) << c.cantidad;
            frm.CmdCancelar_Click();
        });
        Pide("W", c.cantidad);
    }
}

TEST_F(PosicionTest, BalancesAreShownInTheLinesUnit) {
    Articulo("K", "UN", false, false);
    Sql("INSERT INTO S_TA_EQUIV (IdArticulo, IDUNIDAD, IDUNIDAD_EQUIV, Coeficiente) VALUES ('K', 'CJ', 'UN', 12)");
    Saldo("0001", "K", "P1", "L1", "UN", "24");
    operator_.OnModal([](QWidget& w) {
        auto& frm = Como<FrmLoteyPosicion>(w);
        EXPECT_EQ(Columna(frm.MSFlexGrid1(), 2), (Textos{"CJ"}));
        EXPECT_EQ(Columna(frm.MSFlexGrid1(), 3), (Textos{"2"}));  // 24 units are 2 boxes
        frm.CmdCancelar_Click();
    });
    Pide("K", 1, "", "", true, "CJ");
}

TEST_F(PosicionTest, ATotalAboveTheQuantityIsAdjustedOrRefused) {
    operator_.AnswerMsgBox(ui::vbNo).AnswerMsgBox(ui::vbOK).AnswerMsgBox(ui::vbYes);
    double ajustada = 0;
    operator_.OnModal([&](QWidget& w) {
        auto& frm = Como<FrmLoteyPosicion>(w);
        frm.MSFlexGrid1().SetTextMatrix(1, 4, "5");
        frm.MSFlexGrid1().SetTextMatrix(2, 4, "4");
        frm.CmdAceptar_Click();  // No: refused
        EXPECT_TRUE(frm.isVisible());
        frm.CmdAceptar_Click();  // Yes: adjusted
        EXPECT_FALSE(frm.isVisible());
        ajustada = frm.Cantidad1;
    });
    Pide("X", 3);
    const auto cajas = Cajas("MsgBox");
    ASSERT_EQ(cajas.size(), 3u);
    EXPECT_EQ(cajas[0].prompt,
              "La suma de las cantidades Informadas, supera a la solicitada en el Formulario de Carga de Datos\r\n"
              "¿Desea Ajustar la Cantidad Solicitada en el Formulario?");
    EXPECT_EQ(cajas[1].prompt, "Debe Ajustar la suma de las cantidades a :3");
    EXPECT_EQ(cajas[1].title, "Aviso al Operador");
    EXPECT_DOUBLE_EQ(ajustada, 9);
    EXPECT_EQ(posiciones_, "|P2*5|P1*4|");
}

TEST_F(PosicionTest, ALotAloneListsNothing) {
    operator_.OnModal([](QWidget& w) {
        auto& frm = Como<FrmLoteyPosicion>(w);
        const ui::FlexGrid& g = frm.MSFlexGrid1();
        EXPECT_EQ(frm.windowTitle().toStdString(), "Números de Lote (Deposito: 0001)");
        EXPECT_EQ(g.Cols(), 5);
        EXPECT_EQ(g.Rows(), 2);  // the designed empty row, no balances without previous lists
        EXPECT_EQ(g.TextMatrix(0, 0), "");
        frm.CmdCancelar_Click();
    });
    Cmn().PidePosicionLote("X", "UN", 2, "0001", "", "", posiciones_, lotes_, false, true);
    EXPECT_EQ(posiciones_, "");
    EXPECT_EQ(lotes_, "");

    operator_.ClearShown();
    Cmn().PidePosicionLote("X", "UN", 0, "0001", "|P1*1|", "", posiciones_, lotes_);
    EXPECT_TRUE(operator_.Shown().empty());
}

}  // namespace
}  // namespace lots::testing
