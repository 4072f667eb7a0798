// The lot and serial dialog through its openers: entry mode (PideSerieLote)
// and pick mode from the depot's stock (PideSerieLote_Salidas).
#include "lots/frm_carga_lotesy_series.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>

#include <string>
#include <vector>

#include "dialogos_fixture.h"

namespace lots::testing {
namespace {

class CargaLotesTest : public LotesTest {};

// ---- Entry mode ------------------------------------------------------------------

TEST_F(CargaLotesTest, EntryModeLoadsThePreviousListsAndCompletesFromRowOne) {
    struct Caso {
        const char* nombre;
        bool serie, lote, talle;
        double cantidad;
        std::string seriesAnt, lotesAnt;
        std::string titulo, tituloColumna2;
        bool columna3Visible;
        Textos columna2;
        std::string series, lotes;
    };
    const std::vector<Caso> casos = {
        {"serial", true, false, false, 3, "|A|B|", "", "Números de Serie (Deposito: )", "Número de Serie", false,
         {"A", "B", ""}, "|A|B|A|", ""},
        {"lot, nothing typed", false, true, false, 3, "", "", "Números de Lote (Deposito: )", "Número de Lote",
         false, {"", "", ""}, "", "|-|-|-|"},
        {"lot and serial", true, true, false, 2, "|S1|", "|L1|", "Números de Lote y Serie (Deposito: )",
         "Número de Lote", true, {"L1", ""}, "|S1|-|", "|L1|L1|"},
        {"sizes travel as serials", true, true, true, 2, "|38-Rojo-M|", "", "Talles, Colores, Sexo (Deposito: )",
         "Número de Serie", false, {"38-Rojo-M", ""}, "|38-Rojo-M|38-Rojo-M|", ""},
        {"neither", false, false, false, 2, "", "", "Numeros de Serie", "Número de Lote", false, {"", ""}, "|-|-|",
         ""},
        {"more previous tokens than units", true, false, false, 2, "|Ñu1|Ñu2|Ñu3|", "", "Números de Serie (Deposito: )",
         "Número de Serie", false, {"Ñu1", "Ñu2"}, "|Ñu1|Ñu2|", ""},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        operator_.OnModal([&](QWidget& w) {
            auto& frm = Como<FrmCargaLotesySeries>(w);
            const ui::FlexGrid& g = frm.MSFlexGrid1();
            EXPECT_EQ(frm.windowTitle().toStdString(), c.titulo);
            EXPECT_EQ(frm.lblArticulo().text().toStdString(), "ART1");
            ASSERT_EQ(g.Rows(), static_cast<int>(c.cantidad) + 1);
            EXPECT_EQ(Columna(g, 1)[0], "1");
            EXPECT_EQ(Columna(g, 1).back(), std::to_string(static_cast<int>(c.cantidad)));
            EXPECT_EQ(g.TextMatrix(0, 1), "ITEM");
            EXPECT_EQ(g.TextMatrix(0, 2), c.tituloColumna2);
            EXPECT_EQ(g.ColWidth(3) > 0, c.columna3Visible);
            EXPECT_EQ(g.ColWidth(0), 0);
            EXPECT_EQ(Columna(g, 2), c.columna2);
            frm.CmdAceptar_Click();
            EXPECT_FALSE(frm.isVisible());
        });
        std::string series = "antes";
        std::string lotes = "antes";
        Cmn().PideSerieLote("ART1", c.cantidad, c.seriesAnt, c.lotesAnt, series, lotes, c.serie, c.lote, c.talle);
        EXPECT_EQ(series, c.series);
        EXPECT_EQ(lotes, c.lotes);
    }
}

TEST_F(CargaLotesTest, EntryModeCancelHandsBackThePreviousListsAndZeroQuantityEmptiesThem) {
    struct Caso {
        const char* nombre;
        bool serie, lote;
        std::string seriesAnt, lotesAnt;
    };
    const std::vector<Caso> casos = {
        {"serials typed earlier", true, false, "|A|B|", ""},
        {"lots and serials", true, true, "|S1|S2|", "|L1|L2|"},
        {"nothing yet", false, true, "", ""},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        operator_.OnModal([](QWidget& w) {
            auto& frm = Como<FrmCargaLotesySeries>(w);
            frm.MSFlexGrid1().SetTextMatrix(1, 2, "TIPEADO");  // typed, then cancelled
            frm.CmdCancelar_Click();
        });
        std::string series = "antes";
        std::string lotes = "antes";
        Cmn().PideSerieLote("ART1", 2, c.seriesAnt, c.lotesAnt, series, lotes, c.serie, c.lote);
        EXPECT_EQ(series, c.seriesAnt);
        EXPECT_EQ(lotes, c.lotesAnt);
    }

    operator_.ClearShown();
    std::string series = "antes";
    std::string lotes = "antes";
    Cmn().PideSerieLote("ART1", 0, "|A|", "|L|", series, lotes, true, true);
    EXPECT_EQ(series, "");
    EXPECT_EQ(lotes, "");
    EXPECT_TRUE(operator_.Shown().empty());
}

// ---- Pick mode -------------------------------------------------------------------

class PickTest : public CargaLotesTest {
protected:
    PickTest() {
        Configura("DepositoDefault", "0001");
        Articulo("P1", "UN", false, true);
        Stock("P1", "0001", "L2", std::nullopt, std::nullopt, 3);
        Stock("P1", "0001", "L1", std::nullopt, std::nullopt, 5);
        Stock("P1", "0002", "L1", std::nullopt, std::nullopt, 9);  // another depot
        Stock("P1", "0001", "L3", std::nullopt, std::nullopt, 0);  // no stock
    }

    // Picks with the dialog; the results land in the members.
    void Pick(double cantidad, const std::string& anteriores = {}, const std::string& cantidadesAnt = {},
              bool mostrar = true, std::string deposito = "0001") {
        cantidad_ = cantidad;
        deposito_ = std::move(deposito);
        Cmn().PideSerieLote_Salidas(*grilla_, "P1", "Producto uno", cantidad_, anteriores, cantidadesAnt, lotes_,
                                    cantidades_, true, false, false, &deposito_, mostrar);
    }

    std::unique_ptr<ui::FlexGrid> grilla_ = GrillaArticulos(3);
    double cantidad_ = 0;
    std::string deposito_;
    std::string lotes_ = "antes";
    std::string cantidades_ = "antes";
};

TEST_F(PickTest, TheProposalTakesWholeLotsInLotOrder) {
    operator_.OnModal([](QWidget& w) {
        auto& frm = Como<FrmCargaLotesySeries>(w);
        const ui::FlexGrid& g = frm.MSFlexGrid1();
        EXPECT_EQ(frm.windowTitle().toStdString(), "Números de Lote (Deposito: 0001)");
        EXPECT_EQ(frm.lblArticulo().text().toStdString(), "P1 - Producto uno");
        EXPECT_EQ(g.TextMatrix(0, 0), "LOTE");
        EXPECT_EQ(g.TextMatrix(0, 3), "CANT. ");
        EXPECT_EQ(g.ColWidth(1), 0);  // no serials
        EXPECT_GT(g.ColWidth(0), 0);
        EXPECT_EQ(Columna(g, 0), (Textos{"L1", "L2", ""}));
        EXPECT_EQ(Columna(g, 2), (Textos{"5", "3", ""}));
        EXPECT_EQ(Columna(g, 3), (Textos{"5", "1", "0"}));
        frm.CmdAceptar_Click();
    });
    Pick(6);
    EXPECT_EQ(lotes_, "|L1" + Y + "|L2" + Y + "|" + Y + "|");
    EXPECT_EQ(cantidades_, "|5|1|0|");
    EXPECT_DOUBLE_EQ(cantidad_, 6);
}

TEST_F(PickTest, OtherLinesOfTheArticleLowerTheStock) {
    grilla_->SetTextMatrix(1, 0, "P1");
    grilla_->SetTextMatrix(1, 21, "|L1" + Y + "|");
    grilla_->SetTextMatrix(1, 22, "|4|");
    grilla_->SetTextMatrix(2, 0, "OTRO");
    grilla_->SetTextMatrix(2, 21, "|L2" + Y + "|");
    grilla_->SetTextMatrix(2, 22, "|3|");
    operator_.OnModal([](QWidget& w) {
        auto& frm = Como<FrmCargaLotesySeries>(w);
        EXPECT_EQ(Columna(frm.MSFlexGrid1(), 2), (Textos{"1", "3", ""}));
        frm.CmdAceptar_Click();
    });
    Pick(4);
    EXPECT_EQ(cantidades_, "|1|3|0|");
}

// Reopened, a line's own picks are its quantities, not stock that other
// lines took: only the other lines of the article lower the stock shown.
TEST_F(PickTest, ReopeningALineLeavesItsOwnPicksOutOfTheStockTaken) {
    const std::string propios = "|L1" + Y + "|L2" + Y + "|" + Y + "|";
    grilla_->SetTextMatrix(1, 0, "P1");
    grilla_->SetTextMatrix(1, 21, "|L2" + Y + "|");
    grilla_->SetTextMatrix(1, 22, "|1|");
    for (const int fila : {2, 3}) {  // two lines with the same picks; row 3 is being edited
        grilla_->SetTextMatrix(fila, 0, "P1");
        grilla_->SetTextMatrix(fila, 21, propios);
        grilla_->SetTextMatrix(fila, 22, "|2|0|0|");
    }
    grilla_->MoveToCell(3, 0);
    operator_.AnswerMsgBox(ui::vbOK);
    operator_.OnModal([&](QWidget& w) {
        auto& frm = Como<FrmCargaLotesySeries>(w);
        const ui::FlexGrid& g = frm.MSFlexGrid1();
        // L1: 5 less the 2 of row 2; L2: 3 less the 1 of row 1.
        EXPECT_EQ(Columna(g, 2), (Textos{"3", "2", ""}));
        EXPECT_EQ(Columna(g, 3), (Textos{"2", "0", "0"}));
        frm.MSFlexGrid1().MoveToCell(1, 3);
        Tecla(frm.MSFlexGrid1View(), Qt::Key_4, "4");
        Tecla(frm.TxtEdit(), Qt::Key_Return, "\r");
        EXPECT_TRUE(frm.CeldaRechazada());  // beyond the 3 left
        frm.TxtEdit().setText("3");
        Tecla(frm.TxtEdit(), Qt::Key_Return, "\r");
        EXPECT_FALSE(frm.CeldaRechazada());
        frm.CmdAceptar_Click();
    });
    Pick(3, propios, "|2|0|0|");
    EXPECT_EQ(cantidades_, "|3|0|0|");
    ASSERT_EQ(Cajas("MsgBox").size(), 1u);
    EXPECT_EQ(Cajas("MsgBox")[0].prompt, "La Cantidad supera a la cantidad disponible en Stock");

    // A line the grid does not hold yet leaves nothing out.
    operator_.OnModal([&](QWidget& w) {
        auto& frm = Como<FrmCargaLotesySeries>(w);
        EXPECT_EQ(Columna(frm.MSFlexGrid1(), 2), (Textos{"1", "2", ""}));
        frm.CmdCancelar_Click();
    });
    Pick(3, "|L1" + Y + "|", "|9|");
}

TEST_F(PickTest, AStockOverdrawnByOtherLinesIsNeverProposedAsANegativeQuantity) {
    grilla_->SetTextMatrix(1, 0, "P1");
    grilla_->SetTextMatrix(1, 21, "|L1" + Y + "|");
    grilla_->SetTextMatrix(1, 22, "|7|");
    Pick(3, "", "", false);
    EXPECT_EQ(cantidades_, "|0|3|0|");
}

TEST_F(PickTest, WithoutShowingTheProposalIsAcceptedUnseen) {
    Pick(7, "", "", false);
    EXPECT_TRUE(Cajas("ShowModal").empty());
    EXPECT_EQ(lotes_, "|L1" + Y + "|L2" + Y + "|" + Y + "|");
    EXPECT_EQ(cantidades_, "|5|2|0|");
}

TEST_F(PickTest, WithoutShowingAShortStockIsReportedAndNothingIsPicked) {
    operator_.AnswerMsgBox(ui::vbOK);
    Pick(10, "", "", false);
    const auto cajas = Cajas("MsgBox");
    ASSERT_EQ(cajas.size(), 1u);
    EXPECT_EQ(cajas[0].prompt, "El Stock es Menor a la cantidad solicitada ");
    EXPECT_EQ(cajas[0].title, "Aviso al Operador!!!");
    EXPECT_EQ(cajas[0].style, ui::vbInformation);
    EXPECT_EQ(lotes_, "");  // the previous pick, which was empty
    EXPECT_EQ(cantidades_, "");
    EXPECT_DOUBLE_EQ(cantidad_, 10);
}

TEST_F(PickTest, ADifferentTotalIsAdjustedOnlyWhenTheUserSaysSo) {
    struct Caso {
        const char* nombre;
        Textos cantidades;  // typed into the rows
        int respuesta;
        std::string pregunta;
        double cantidadFinal;
        std::string resultado;
    };
    const std::string supera =
        "La suma de las cantidades Informadas, supera a la solicitada en el Formulario de Carga de Datos\r\n"
        "¿Desea Ajustar la Cantidad Solicitada en el Formulario?";
    const std::string menor =
        "La suma de las cantidades Informadas, Es Menor a la solicitada en el Formulario de Carga de Datos\r\n"
        "¿Desea Ajustar la Cantidad Solicitada en el Formulario?";
    const std::vector<Caso> casos = {
        {"short, yes", {"4", "0", "0"}, ui::vbYes, menor, 4, "|4|0|0|"},
        {"over, yes", {"5", "3", "1"}, ui::vbYes, supera, 9, "|5|3|1|"},
        {"short, no", {"4", "0", "0"}, ui::vbNo, menor, 6, "antes"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        operator_.ClearShown();
        cantidades_ = "antes";
        operator_.AnswerMsgBox(c.respuesta);
        if (c.respuesta == ui::vbNo) operator_.AnswerMsgBox(ui::vbOK);
        bool visible = false;
        operator_.OnModal([&](QWidget& w) {
            auto& frm = Como<FrmCargaLotesySeries>(w);
            for (int fila = 1; fila <= 3; ++fila) frm.MSFlexGrid1().SetTextMatrix(fila, 3, c.cantidades[fila - 1]);
            frm.CmdAceptar_Click();
            visible = frm.isVisible();
        });
        Pick(6, "", "antes");
        const auto cajas = Cajas("MsgBox");
        ASSERT_GE(cajas.size(), 1u);
        EXPECT_EQ(cajas[0].prompt, c.pregunta);
        EXPECT_EQ(cajas[0].title, "Aviso al Operador!!!");
        EXPECT_EQ(cajas[0].style, ui::vbYesNo | ui::vbQuestion);
        if (c.respuesta == ui::vbNo) {
            ASSERT_EQ(cajas.size(), 2u);
            EXPECT_EQ(cajas[1].prompt, "Debe Ajustar la suma de las cantidades a :6");
            EXPECT_EQ(cajas[1].title, "Aviso al Operador");
            EXPECT_EQ(cajas[1].style, ui::vbCritical);
            EXPECT_TRUE(visible);
        }
        EXPECT_DOUBLE_EQ(cantidad_, c.cantidadFinal);
        EXPECT_EQ(cantidades_, c.resultado);
    }
}

TEST_F(PickTest, APreviousPickGoesBackIntoItsRowsWithoutAProposal) {
    operator_.OnModal([](QWidget& w) {
        auto& frm = Como<FrmCargaLotesySeries>(w);
        const ui::FlexGrid& g = frm.MSFlexGrid1();
        EXPECT_EQ(Columna(g, 0), (Textos{"L1", "L2", "L9", ""}));
        EXPECT_EQ(Columna(g, 2), (Textos{"5", "3", "0", ""}));
        EXPECT_EQ(Columna(g, 3), (Textos{"2", "0", "1", "0"}));
        frm.CmdAceptar_Click();
    });
    Pick(3, "|L1" + Y + "|L9" + Y + "|" + Y + "|", "|2|1|0|");
    EXPECT_EQ(lotes_, "|L1" + Y + "|L2" + Y + "|L9" + Y + "|" + Y + "|");
    EXPECT_EQ(cantidades_, "|2|0|1|0|");
}

TEST_F(PickTest, APreviousPickInADepotWithoutStockKeepsQuantityZero) {
    operator_.OnModal([](QWidget& w) {
        auto& frm = Como<FrmCargaLotesySeries>(w);
        const ui::FlexGrid& g = frm.MSFlexGrid1();
        EXPECT_EQ(Columna(g, 0), (Textos{"L1", "L9"}));
        EXPECT_EQ(Columna(g, 3), (Textos{"0", "0"}));
        frm.CmdCancelar_Click();
    });
    lotes_ = "|L1" + Y + "|L9" + Y + "|";
    cantidades_ = "|2|1|";
    Pick(3, lotes_, cantidades_, true, "0003");
    // Cancel hands the previous pick back.
    EXPECT_EQ(lotes_, "|L1" + Y + "|L9" + Y + "|");
    EXPECT_EQ(cantidades_, "|2|1|");
    EXPECT_DOUBLE_EQ(cantidad_, 3);
}

TEST_F(PickTest, SerialsShowInTheirColumnAndFormTheKeys) {
    Articulo("S1", "UN", true, false);
    Stock("S1", "0001", std::nullopt, "SN-Ñ1", std::nullopt, 1);
    Stock("S1", "0001", std::nullopt, "SN-2", std::nullopt, 1);
    operator_.OnModal([](QWidget& w) {
        auto& frm = Como<FrmCargaLotesySeries>(w);
        const ui::FlexGrid& g = frm.MSFlexGrid1();
        EXPECT_EQ(g.ColWidth(0), 0);
        EXPECT_GT(g.ColWidth(1), 0);
        EXPECT_EQ(Columna(g, 1), (Textos{"SN-2", "SN-Ñ1", ""}));
        frm.CmdAceptar_Click();
    });
    double cantidad = 1;
    std::string deposito = "0001";
    Cmn().PideSerieLote_Salidas(*grilla_, "S1", "Serie", cantidad, "", "", lotes_, cantidades_, false, true, false,
                                &deposito);
    EXPECT_EQ(lotes_, "|" + Y + "SN-2|" + Y + "SN-Ñ1|" + Y + "|");
    EXPECT_EQ(cantidades_, "|1|0|0|");
}

TEST_F(PickTest, ZeroQuantityFillsOnlyTheDefaultDepot) {
    lotes_ = "antes";
    Pick(0, "", "", true, "");
    EXPECT_EQ(deposito_, "0001");
    EXPECT_EQ(lotes_, "antes");
    EXPECT_EQ(cantidades_, "antes");
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(PickTest, AnApostropheInTheDepotStaysInsideTheLiteral) {
    operator_.AnswerMsgBox(ui::vbOK);
    Pick(1, "", "", false, "0'1");
    const auto cajas = Cajas("MsgBox");
    ASSERT_EQ(cajas.size(), 1u);  // only the short-stock notice, no database error
    EXPECT_EQ(cajas[0].prompt, "El Stock es Menor a la cantidad solicitada ");
}

TEST_F(PickTest, ALotInSeveralPositionsKeepsEachRowsOwnQuantity) {
    Articulo("R1", "UN", false, true);
    Stock("R1", "0001", "L1", std::nullopt, "POS1", 2);
    Stock("R1", "0001", "L1", std::nullopt, "POS2", 2);
    Stock("R1", "0001", "L1", std::nullopt, "POS3", 1);
    Stock("R1", "0001", "L2", std::nullopt, std::nullopt, 3);
    const auto pick = [&](double cantidad, const std::string& anteriores, const std::string& cantidadesAnt) {
        double q = cantidad;
        std::string deposito = "0001";
        Cmn().PideSerieLote_Salidas(*grilla_, "R1", "Repetido", q, anteriores, cantidadesAnt, lotes_, cantidades_,
                                    true, false, false, &deposito, false);
    };
    pick(8, "", "");
    const std::string lotes = "|L1" + Y + "|L1" + Y + "|L1" + Y + "|L2" + Y + "|" + Y + "|";
    EXPECT_EQ(lotes_, lotes);
    EXPECT_EQ(cantidades_, "|2|2|1|3|0|");

    // Reopened, every row shows its own quantity again.
    operator_.OnModal([](QWidget& w) {
        auto& frm = Como<FrmCargaLotesySeries>(w);
        EXPECT_EQ(Columna(frm.MSFlexGrid1(), 3), (Textos{"2", "2", "1", "3", "0"}));
        frm.CmdAceptar_Click();
    });
    double cantidad = 8;
    std::string deposito = "0001";
    Cmn().PideSerieLote_Salidas(*grilla_, "R1", "Repetido", cantidad, lotes, "|2|2|1|3|0|", lotes_, cantidades_, true,
                                false, false, &deposito, true);
    EXPECT_EQ(cantidades_, "|2|2|1|3|0|");

    // Another line that took 4 of L1 empties its first rows, not the first one below 0.
    grilla_->SetTextMatrix(1, 0, "R1");
    grilla_->SetTextMatrix(1, 21, "|L1" + Y + "|L1" + Y + "|");
    grilla_->SetTextMatrix(1, 22, "|2|2|");
    operator_.OnModal([](QWidget& w) {
        auto& frm = Como<FrmCargaLotesySeries>(w);
        EXPECT_EQ(Columna(frm.MSFlexGrid1(), 2), (Textos{"0", "0", "1", "3", ""}));
        EXPECT_EQ(Columna(frm.MSFlexGrid1(), 3), (Textos{"0", "0", "1", "1", "0"}));
        frm.CmdAceptar_Click();
    });
    cantidad = 2;
    Cmn().PideSerieLote_Salidas(*grilla_, "R1", "Repetido", cantidad, "", "", lotes_, cantidades_, true, false, false,
                                &deposito, true);
    EXPECT_EQ(cantidades_, "|0|0|1|1|0|");
}

TEST_F(PickTest, FractionsAddingUpToTheLineAreAcceptedWithoutAQuestion) {
    Articulo("F1", "KG", false, true);
    Stock("F1", "0001", "L1", std::nullopt, std::nullopt, 0.1);
    Stock("F1", "0001", "L2", std::nullopt, std::nullopt, 0.2);
    double cantidad = 0.3;
    std::string deposito = "0001";
    Cmn().PideSerieLote_Salidas(*grilla_, "F1", "Fraccion", cantidad, "", "", lotes_, cantidades_, true, false, false,
                                &deposito, false);
    EXPECT_TRUE(operator_.Shown().empty());
    EXPECT_EQ(lotes_, "|L1" + Y + "|L2" + Y + "|" + Y + "|");
    EXPECT_EQ(cantidades_, "|0,1|0,2|0|");
    EXPECT_DOUBLE_EQ(cantidad, 0.3);
}

}  // namespace
}  // namespace lots::testing
