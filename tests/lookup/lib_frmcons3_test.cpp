// The list lookup dialog: loading, columns, stock colours, layout, the
// column-width file, the shortage report and the search boxes' colours.
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lista_fixture.h"
#include "support.h"
#include "vb/conv.h"
#include "vb/text.h"

namespace lookup {
namespace {

using testing::kArticulos;
using testing::kVendedores;
using testing::ListaTest;
using ::testing::ElementsAre;

using FrmCons3Test = ListaTest;

TEST_F(FrmCons3Test, LoadsOneColumnAndSearchBoxPerField) {
    Lib_FrmCons3& lista = Mostrar(kVendedores);
    EXPECT_EQ(lista.windowTitle().toStdString(), "Consulta...");
    EXPECT_EQ(lista.CmdNueva->text().toStdString(), "&Nueva Busqueda");
    EXPECT_EQ(lista.CmdCancelar->text().toStdString(), "&Cancelar");
    EXPECT_EQ(lista.CmdAceptar->text().toStdString(), "&Aceptar");
    EXPECT_TRUE(lista.CmdAceptar->isDefault());
    ASSERT_EQ(lista.ListView1->columnCount(), 2);
    EXPECT_EQ(lista.ListView1->headerItem()->text(0).toStdString(), "IDVENDEDOR");
    EXPECT_EQ(lista.ListView1->headerItem()->text(1).toStdString(), "NOMBRE");
    EXPECT_EQ(Columna(lista, 1), (std::vector<std::string>{"100", "120", "123", "200", "300"}));
    // Sub-items are padded to four characters.
    EXPECT_EQ(Columna(lista, 2), (std::vector<std::string>{"Ana ", "Beto", "Carla", "Dario", "D'Angelo"}));
    ASSERT_EQ(lista.CmbSearch.size(), 2U);
    EXPECT_EQ(lista.CmbSearch[0]->property("Tag").toString().toStdString(), "IDVENDEDOR");
    EXPECT_EQ(lista.CmbSearch[1]->property("Tag").toString().toStdString(), "NOMBRE");
    EXPECT_EQ(lista.CmbSearch[1]->toolTip().toStdString(), "F5 realiza nueva busqueda");
    EXPECT_EQ(lista.CantidadFilas(), 5);
    EXPECT_EQ(lista.SQL, std::string(kVendedores) + " ");
    EXPECT_EQ(lista.SQLInicial(), lista.SQL);
    EXPECT_EQ(lista.NombreTabla(), "V_TA_VENDEDORES");
    EXPECT_EQ(Seleccionada(lista), "100");  // the top row starts out selected
    ASSERT_TRUE(lista.Valores);
    ASSERT_TRUE(lista.Cantidades);
    EXPECT_TRUE(lista.Valores->empty());
    EXPECT_TRUE(lista.Cantidades->empty());
    EXPECT_TRUE(lista.ListView1->updatesEnabled());
    EXPECT_TRUE(Boxes("MsgBox").empty());
}

TEST_F(FrmCons3Test, AnEmptyResultStillBuildsColumnsAndAcceptsNothing) {
    Lib_FrmCons3& lista = Mostrar("SELECT IDVENDEDOR, NOMBRE FROM V_TA_VENDEDORES WHERE 1 = 0", [](Lib_FrmCons3& l) {
        l.CampoDevuelto = "IDVENDEDOR";
        l.CmdAceptar->click();
        EXPECT_FALSE(l.isVisible());
    });
    EXPECT_EQ(lista.ListView1->topLevelItemCount(), 0);
    EXPECT_EQ(lista.ListView1->columnCount(), 2);
    EXPECT_EQ(lista.CmbSearch.size(), 2U);
    EXPECT_TRUE(lista.ValorDevuelto.IsEmpty());
    EXPECT_TRUE(lista.Valores->empty());
    EXPECT_TRUE(Boxes("MsgBox").empty());
}

TEST_F(FrmCons3Test, AQueryThatFailsIsReportedAndLeavesAnEmptyList) {
    operator_.AnswerMsgBox(ui::vbIgnore).AnswerMsgBox(ui::vbIgnore);
    Lib_FrmCons3& lista = Mostrar("SELECT NADA FROM NO_EXISTE");
    const auto cajas = Boxes("MsgBox");
    ASSERT_EQ(cajas.size(), 2U);
    EXPECT_NE(cajas[0].title.find("AbrirRecordset"), std::string::npos);
    EXPECT_NE(cajas[1].title.find("FORM_LOAD"), std::string::npos);
    EXPECT_EQ(lista.ListView1->topLevelItemCount(), 0);
    EXPECT_EQ(lista.ListView1->columnCount(), 0);
}

TEST_F(FrmCons3Test, ColumnsAreAsWideAsTheirFieldsUpTo60Characters) {
    Run("CREATE TABLE T_ANCHOS (A CHAR(4), B VARCHAR(60), C VARCHAR(200))");
    Lib_FrmCons3& lista = Mostrar("SELECT A, B, C FROM T_ANCHOS");
    const std::vector<long> anchos = lista.AnchosColumnas();
    ASSERT_EQ(anchos.size(), 3U);
    const QFontMetrics medida(lista.font());
    EXPECT_EQ(anchos[0], medida.horizontalAdvance(QString(4, 'X')) * 15);
    EXPECT_EQ(anchos[1], medida.horizontalAdvance(QString(60, 'X')) * 15);
    EXPECT_EQ(anchos[2], anchos[1]);
}

TEST_F(FrmCons3Test, PriceColumnsOfTheArticleTableTakeTheirListNames) {
    SetCfg("NOM_PCLASE1", "Mayorista");
    Lib_FrmCons3& lista = Mostrar("SELECT IDARTICULO, PRECIO1, precio2 FROM V_MA_ARTICULOS");
    EXPECT_EQ(lista.ListView1->headerItem()->text(1).toStdString(), "Mayorista");
    EXPECT_EQ(lista.ListView1->headerItem()->text(2).toStdString(), " ");  // a missing key
    Lib_FrmCons3& vista = Mostrar("SELECT IDARTICULO, PRECIO1 FROM VT_MA_ARTICULOS");
    EXPECT_EQ(vista.ListView1->headerItem()->text(1).toStdString(), "PRECIO1");
}

// ---- Stock colours -------------------------------------------------------------------------

struct CasoColor {
    const char* nombre;
    std::string sql;
    std::string muestraStock;
    bool colorea;
};

void PrintTo(const CasoColor& caso, std::ostream* os) { *os << caso.nombre; }

class ColoresTest : public ListaTest, public ::testing::WithParamInterface<CasoColor> {
protected:
    // The articles under a name that does not say so.
    ColoresTest() { Run("CREATE VIEW V_STOCK_PRUEBA AS SELECT * FROM VT_MA_ARTICULOS"); }
};

TEST_P(ColoresTest, ArticleRowsTakeTheColourOfTheirStockTier) {
    const CasoColor& caso = GetParam();
    Lib_FrmCons3& lista = Mostrar(caso.sql, {}, [&](Lib_FrmCons3& l) {
        l.MuestraStock = caso.muestraStock;
        l.StkNivel1 = vb::Variant("255");       // red
        l.StkNivel2 = vb::Variant("65280");     // green
        l.StkNivel3 = vb::Variant(16711680);    // blue
        l.StkNivel4 = vb::Variant(0);           // black
    });
    ASSERT_EQ(lista.ListView1->topLevelItemCount(), 5);
    const std::vector<QColor> esperados = {Qt::red, Qt::green, Qt::blue, Qt::black, Qt::black};
    for (int i = 0; i < 5; ++i) {
        const QTreeWidgetItem& fila = *lista.ListView1->topLevelItem(i);
        for (int c : {0, 1}) {
            EXPECT_EQ(fila.font(c).bold(), caso.colorea) << i;
            if (caso.colorea) {
                EXPECT_EQ(fila.foreground(c).color(), esperados[static_cast<std::size_t>(i)]) << i;
            } else {
                EXPECT_EQ(fila.foreground(c).style(), Qt::NoBrush) << i;
            }
        }
    }
    EXPECT_TRUE(Boxes("MsgBox").empty());
}

INSTANTIATE_TEST_SUITE_P(
    FrmCons3, ColoresTest,
    ::testing::Values(
        CasoColor{"SiInLowerCase", testing::kArticulos, "si", true},
        CasoColor{"SAlone", testing::kArticulos, "S", false},
        CasoColor{"NoStockField", "SELECT IDARTICULO, DESCRIPCION, PUNTOPEDIDO FROM VT_MA_ARTICULOS", "SI", false},
        CasoColor{"NotAnArticleQuery",
                  "SELECT IDARTICULO, DESCRIPCION, PUNTOPEDIDO, Stock FROM V_STOCK_PRUEBA ORDER BY IDARTICULO",
                  "SI", false}),
    [](const auto& info) { return std::string(info.param.nombre); });

// An article without stock figures (Null or blank stock and reorder point)
// reads as 0: its row takes its tier's colour and no box is shown.
TEST_F(FrmCons3Test, ANullOrBlankStockReadsAsZero) {
    // A1 without a reorder point, A4 with a blank one.
    const std::string puntoPedido =
        "CASE IDARTICULO WHEN 'A1' THEN NULL WHEN 'A4' THEN '  ' ELSE PUNTOPEDIDO END AS PUNTOPEDIDO";
    for (const char* stock : {"NULL", "''", "' '"}) {
        SCOPED_TRACE(stock);
        const std::string sql = "SELECT IDARTICULO, DESCRIPCION, " + puntoPedido + ", " + stock +
                                " AS Stock FROM VT_MA_ARTICULOS ORDER BY IDARTICULO";
        Lib_FrmCons3& lista = Mostrar(sql, {}, [](Lib_FrmCons3& l) {
            l.MuestraStock = "SI";
            l.StkNivel3 = vb::Variant(16711680);  // blue: below the reorder point
            l.StkNivel4 = vb::Variant(255);       // red: no stock, no point
        });
        ASSERT_EQ(Columna(lista), (std::vector<std::string>{"A1", "A2", "A3", "A4", "A5"}));
        const std::vector<QColor> esperados = {Qt::red, Qt::blue, Qt::blue, Qt::red, Qt::blue};
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(lista.ListView1->topLevelItem(i)->foreground(0).color(), esperados[static_cast<std::size_t>(i)])
                << i;
        }
        EXPECT_TRUE(Boxes("MsgBox").empty());
    }
}

// A stock that is text but no number is still reported, once per row; the
// answer decides whether the fill goes on.
TEST_F(FrmCons3Test, AStockThatIsNotAnAmountIsReportedForItsRow) {
    const std::string sql =
        "SELECT IDARTICULO, DESCRIPCION, PUNTOPEDIDO, 'mucho' AS Stock FROM VT_MA_ARTICULOS WHERE IDARTICULO < 'A3'";
    operator_.AnswerMsgBox(ui::vbIgnore).AnswerMsgBox(ui::vbIgnore);
    Lib_FrmCons3& sigue = Mostrar(sql, {}, [](Lib_FrmCons3& l) { l.MuestraStock = "SI"; });
    EXPECT_EQ(Columna(sigue), (std::vector<std::string>{"A1", "A2"}));  // listed, uncoloured
    EXPECT_EQ(sigue.ListView1->topLevelItem(0)->foreground(0).style(), Qt::NoBrush);
    auto cajas = Boxes("MsgBox");
    ASSERT_EQ(cajas.size(), 2U);
    EXPECT_NE(cajas[1].title.find("FORM_LOAD"), std::string::npos);
    operator_.ClearShown();
    operator_.AnswerMsgBox(ui::vbAbort);
    Lib_FrmCons3& corta = Mostrar(sql);
    EXPECT_EQ(corta.ListView1->topLevelItemCount(), 0);  // the fill ends there
    EXPECT_EQ(corta.ListView1->columnCount(), 4);
    EXPECT_TRUE(corta.ListView1->updatesEnabled());
    EXPECT_EQ(Boxes("MsgBox").size(), 1U);
}

TEST_F(FrmCons3Test, AColourThatIsNotANumberLeavesTheRowPlain) {
    Lib_FrmCons3& lista = Mostrar(kArticulos, {}, [](Lib_FrmCons3& l) {
        l.MuestraStock = "SI";
        l.StkNivel1 = vb::Variant("rojo");
    });
    EXPECT_EQ(lista.ListView1->topLevelItem(0)->foreground(0).style(), Qt::NoBrush);
    EXPECT_EQ(lista.ListView1->topLevelItemCount(), 5);
    EXPECT_TRUE(Boxes("MsgBox").empty());
}

// ---- Layout ----------------------------------------------------------------------------------

TEST_F(FrmCons3Test, SearchBoxesSitOverTheirColumns) {
    Lib_FrmCons3& lista = Mostrar(kVendedores);
    const int borde = lista.ListView1->x() + lista.ListView1->frameWidth();
    for (int c = 0; c < 2; ++c) {
        const QComboBox& caja = *lista.CmbSearch[static_cast<std::size_t>(c)];
        EXPECT_EQ(caja.x(), borde + lista.ListView1->header()->sectionPosition(c)) << c;
        EXPECT_NEAR(caja.width(), lista.ListView1->columnWidth(c) - 50 / 15.0, 1.0) << c;
    }
    long total = 0;
    for (long ancho : lista.AnchosColumnas()) total += ancho;
    EXPECT_EQ(lista.HScroll1->maximum(), static_cast<int>(vb::Round((total + 360 + 480) * 0.6)));
}

TEST_F(FrmCons3Test, TheScrollBarStopsAt32700) {
    std::string campos;
    for (int i = 0; i < 40; ++i) campos += std::string(i ? ", " : "") + "DESCRIPCION AS D" + std::to_string(i);
    Lib_FrmCons3& lista = Mostrar("SELECT " + campos + " FROM V_MA_ARTICULOS");
    EXPECT_EQ(lista.HScroll1->maximum(), 32700);
    lista.HScroll1->setValue(1500);
    EXPECT_EQ(lista.picFields->x(), -100);
}

// ---- Column widths file ----------------------------------------------------------------------

TEST_F(FrmCons3Test, SavedWidthsAreReadForTheTable) {
    testsupport::WriteFile(home_.Path() / "CONSULTASLEN.TSM",
                           "\"V_TA_VENDEDORES\",\"300|300|\"\r\n"
                           "\"VT_CLIENTES\",\"600|600|\"\r\n"
                           "\"v_ta_vendedores\",\"960|720|\"\r\n");
    Lib_FrmCons3& lista = Mostrar(kVendedores);
    EXPECT_THAT(lista.AnchosColumnas(), ElementsAre(960, 720));  // the later line wins
    EXPECT_EQ(lista.CmbSearch[1]->x(),
              lista.ListView1->x() + lista.ListView1->frameWidth() + lista.ListView1->header()->sectionPosition(1));
}

TEST_F(FrmCons3Test, ALineWithFewerWidthsSetsTheFirstColumns) {
    testsupport::WriteFile(home_.Path() / "CONSULTASLEN.TSM", "\"V_TA_VENDEDORES\",\"1500|\"\r\n");
    Lib_FrmCons3& lista = Mostrar(kVendedores);
    const std::vector<long> anchos = lista.AnchosColumnas();
    ASSERT_EQ(anchos.size(), 2U);
    EXPECT_EQ(anchos[0], 1500);
    const QFontMetrics medida(lista.font());
    EXPECT_EQ(anchos[1], medida.horizontalAdvance(QString(60, 'X')) * 15);
    EXPECT_TRUE(Boxes("MsgBox").empty());
}

TEST_F(FrmCons3Test, SavingKeepsOneLineForTheTableAndTheOthers) {
    const auto ruta = home_.Path() / "CONSULTASLEN.TSM";
    testsupport::WriteFile(ruta,
                           "\"V_TA_VENDEDORES\",\"300|300|\"\r\n"
                           "\"VT_CLIENTES\",\"600|600|\"\r\n"
                           "\"V_TA_VENDEDORES\",\"450|450|\"\r\n");
    Lib_FrmCons3& lista = Mostrar(kVendedores, [](Lib_FrmCons3& l) {
        l.ListView1->setColumnWidth(0, 64);
        l.ListView1->setColumnWidth(1, 48);
    });
    lista.Form_Unload();
    EXPECT_EQ(testsupport::ReadFile(ruta), "\"V_TA_VENDEDORES\",\"300|300|\"\r\n"
                                          "\"VT_CLIENTES\",\"600|600|\"\r\n"
                                          "\"V_TA_VENDEDORES\",\"450|450|\"\r\n");  // GrabarCfg is off
    Lib_FrmCons3& grabando = Mostrar(
        kVendedores,
        [](Lib_FrmCons3& l) {
            l.ListView1->setColumnWidth(0, 64);
            l.ListView1->setColumnWidth(1, 48);
        },
        [](Lib_FrmCons3& l) { l.GrabarCfg = true; });
    grabando.Form_Unload();
    EXPECT_EQ(testsupport::ReadFile(ruta), "\"VT_CLIENTES\",\"600|600|\"\r\n\"V_TA_VENDEDORES\",\"960|720|\"\r\n");
    EXPECT_FALSE(std::filesystem::exists(home_.Path() / "CONSULTASLEN.AUX"));
    EXPECT_EQ(grabando.ListView1->topLevelItemCount(), 0);
}

// The articles' stock table keeps its widths under the key of the articles
// view, for reading and for saving.
TEST_F(FrmCons3Test, TheStockArticlesTableUsesTheArticlesViewKey) {
    Run("CREATE VIEW Stk_ma_articulos AS SELECT * FROM VT_MA_ARTICULOS");
    const auto ruta = home_.Path() / "CONSULTASLEN.TSM";
    testsupport::WriteFile(ruta, "\"Stk_ma_articulos\",\"300|300|\"\r\n\"VT_MA_ARTICULOS\",\"960|720|\"\r\n");
    const std::string sql = "SELECT IDARTICULO, DESCRIPCION FROM Stk_ma_articulos ORDER BY IDARTICULO";
    Lib_FrmCons3& lista = Mostrar(
        sql, [](Lib_FrmCons3& l) { l.ListView1->setColumnWidth(0, 40); }, [](Lib_FrmCons3& l) { l.GrabarCfg = true; });
    EXPECT_THAT(lista.AnchosColumnas(), ElementsAre(600, 720));  // 960 read, then the first column narrowed
    lista.Form_Unload();
    EXPECT_EQ(testsupport::ReadFile(ruta),
              "\"Stk_ma_articulos\",\"300|300|\"\r\n\"VT_MA_ARTICULOS\",\"600|720|\"\r\n");
    EXPECT_TRUE(Boxes("MsgBox").empty());
}

// ---- Search-box colours ------------------------------------------------------------------------

TEST_F(FrmCons3Test, TheFocusedSearchBoxIsCyanAndActive) {
    Mostrar(kVendedores, [](Lib_FrmCons3& l) {
        Foco(l.CmbSearch[1], true);
        EXPECT_EQ(l.CmbSearch[1]->palette().color(QPalette::Base), QColor(0, 255, 255));
        EXPECT_EQ(l.ComboActivo(), 1);
        Foco(l.CmbSearch[1], false);
        EXPECT_EQ(l.CmbSearch[1]->palette().color(QPalette::Base), QColor(255, 255, 255));
        EXPECT_EQ(l.ComboActivo(), 1);  // the last box that had the focus
    });
}

// ---- Shortage report ---------------------------------------------------------------------------

TEST_F(FrmCons3Test, F12ReportsTheSelectedArticleAsAShortage) {
    db_.gUsuario = "ana";
    operator_.AnswerMsgBox(ui::vbYes);
    Mostrar(kArticulos, [](Lib_FrmCons3& l) {
        l.CmbSearch[0]->setEditText("A5");
        Tecla(l.ListView1, Qt::Key_F12);
    });
    const auto cajas = Boxes("MsgBox");
    ASSERT_EQ(cajas.size(), 1U);
    EXPECT_EQ(cajas[0].title, "Atención!");
    EXPECT_EQ(cajas[0].style, ui::vbQuestion + ui::vbYesNo);
    EXPECT_EQ(cajas[0].prompt, "Desea informar el articulo A5 Estopa d'algodon\r\ncomo un faltante de stock?");
    // The description's apostrophe is part of the value, not of the statement.
    const auto filas = Filas("SELECT IdArticulo, Descripcion, Usuario FROM V_MV_FALTANTES");
    ASSERT_EQ(filas.size(), 1U);
    EXPECT_EQ(filas[0][0], std::string("A5") + std::string(23, ' '));
    EXPECT_EQ(filas[0][1], "Estopa d'algodon");
    EXPECT_EQ(filas[0][2], "ana");
}

TEST_F(FrmCons3Test, F12DoesNothingWithoutAnArticleToReport) {
    operator_.AnswerMsgBox(ui::vbNo);
    Mostrar(kArticulos, [](Lib_FrmCons3& l) { Tecla(l.ListView1, Qt::Key_F12); });
    EXPECT_EQ(Boxes("MsgBox").size(), 1U);  // answered No
    Mostrar("SELECT IDARTICULO, DESCRIPCION FROM VT_MA_ARTICULOS WHERE 1 = 0",
            [](Lib_FrmCons3& l) { Tecla(l.ListView1, Qt::Key_F12); });
    Mostrar(kVendedores, [](Lib_FrmCons3& l) { Tecla(l.CmbSearch[0], Qt::Key_F12); });
    EXPECT_EQ(Boxes("MsgBox").size(), 1U);
    EXPECT_TRUE(Filas("SELECT * FROM V_MV_FALTANTES").empty());
}

}  // namespace
}  // namespace lookup
