// The list lookup dialog: searching, sorting, choosing rows and quantities,
// driven from the keyboard and the buttons while it shows.
#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lista_fixture.h"
#include "vb/regional.h"
#include "vb/text.h"

namespace lookup {
namespace {

using testing::kArticulos;
using testing::kVendedores;
using testing::ListaTest;

using Strings = std::vector<std::string>;
using BusquedaTest = ListaTest;

// ---- Incremental search ------------------------------------------------------------------------

TEST_F(BusquedaTest, TypingSelectsTheFirstRowThatBeginsWithTheText) {
    Mostrar(kVendedores, [](Lib_FrmCons3& l) {
        l.CmbSearch[0]->setEditText("12");
        EXPECT_EQ(Seleccionada(l), "120");
        l.CmbSearch[0]->setEditText("9");  // no match: the selection stays
        EXPECT_EQ(Seleccionada(l), "120");
        l.CmbSearch[1]->setEditText(" car");  // a sub-item, trimmed, without case
        EXPECT_EQ(Seleccionada(l), "123");
        l.CmbSearch[1]->setEditText("");  // the empty text begins every text
        EXPECT_EQ(Seleccionada(l), "100");
        EXPECT_EQ(l.Busqueda(1, "Da"), 4);
        EXPECT_EQ(l.Busqueda(0, "3"), 5);
        EXPECT_EQ(l.Busqueda(7, "3"), 0);
    });
}

TEST_F(BusquedaTest, TheInitialFilterSearchesTheFirstBox) {
    Lib_FrmCons3& lista = Mostrar(kVendedores, {}, [](Lib_FrmCons3& l) { l.FiltroInicial = "2"; });
    EXPECT_EQ(lista.CmbSearch[0]->currentText().toStdString(), "2");
    EXPECT_EQ(Seleccionada(lista), "200");
}

TEST_F(BusquedaTest, KeysOnTheListTypeIntoTheActiveSearchBox) {
    Mostrar(kVendedores, [](Lib_FrmCons3& l) {
        const auto texto = [&](std::size_t caja) { return l.CmbSearch[caja]->currentText().toStdString(); };
        Tecla(l.ListView1, Qt::Key_1);
        Tecla(l.ListView1, Qt::Key_2);
        EXPECT_EQ(texto(0), "12");
        EXPECT_EQ(Seleccionada(l), "120");
        Tecla(l.ListView1, Qt::Key_3, Qt::KeypadModifier);  // the keypad types digits
        EXPECT_EQ(texto(0), "123");
        EXPECT_EQ(Seleccionada(l), "123");
        Tecla(l.ListView1, Qt::Key_Backspace);  // takes the last character off
        EXPECT_EQ(texto(0), "12");
        Tecla(l.ListView1, Qt::Key_Space);  // no check boxes: a blank
        EXPECT_EQ(texto(0), "12 ");
        Tecla(l.ListView1, Qt::Key_F5);  // a function key types nothing
        EXPECT_EQ(texto(0), "12 ");
        Foco(l.CmbSearch[1], true);
        Tecla(l.ListView1, Qt::Key_D);
        Tecla(l.ListView1, Qt::Key_A);
        EXPECT_EQ(texto(1), "DA");  // letters as capitals
        EXPECT_EQ(Seleccionada(l), "200");
    });
    EXPECT_TRUE(Boxes("MsgBox").empty());
}

// ---- Server search (F5) ------------------------------------------------------------------------

TEST_F(BusquedaTest, F5AsksTheServerAndFiltersAddUpUntilNuevaBusqueda) {
    Mostrar(kVendedores, [](Lib_FrmCons3& l) {
        l.CmbSearch[0]->setEditText("12");
        Tecla(l.CmbSearch[0], Qt::Key_F5);
        EXPECT_EQ(l.SQL, "SELECT IDVENDEDOR, NOMBRE FROM V_TA_VENDEDORES  where IDVENDEDOR like '12%' "
                         "ORDER BY IDVENDEDOR  ");
        EXPECT_EQ(Columna(l), (Strings{"120", "123"}));
        EXPECT_EQ(l.CmbSearch[0]->currentText().toStdString(), "");
        l.CmbSearch[1]->setEditText("c*a");  // "*" is a wildcard
        Tecla(l.CmbSearch[1], Qt::Key_F5);
        EXPECT_EQ(l.SQL, "SELECT IDVENDEDOR, NOMBRE FROM V_TA_VENDEDORES  where IDVENDEDOR like '12%'  and "
                         "NOMBRE like 'c%a%' ORDER BY IDVENDEDOR   ");
        EXPECT_EQ(Columna(l), (Strings{"123"}));
        l.CmdNueva->click();
        EXPECT_EQ(l.SQL, std::string(kVendedores) + "  ");
        EXPECT_EQ(Columna(l).size(), 5U);
        EXPECT_TRUE(l.isVisible());
    });
    EXPECT_TRUE(Boxes("MsgBox").empty());
}

TEST_F(BusquedaTest, F5TakesAnApostropheAsText) {
    Mostrar(kVendedores, [](Lib_FrmCons3& l) {
        l.CmbSearch[1]->setEditText("D'A");
        Tecla(l.CmbSearch[1], Qt::Key_F5);
        EXPECT_EQ(Columna(l), (Strings{"300"}));
    });
    EXPECT_TRUE(Boxes("MsgBox").empty());
}

struct CasoF5 {
    const char* nombre;
    std::string sql;
    bool like;
    std::size_t caja;
    std::string texto;
    std::string condicion;  // what the statement gains
    Strings filas;
};

void PrintTo(const CasoF5& caso, std::ostream* os) { *os << caso.nombre; }

class F5Test : public ListaTest, public ::testing::WithParamInterface<CasoF5> {};

TEST_P(F5Test, BuildsTheFilter) {
    const CasoF5& caso = GetParam();
    Mostrar(caso.sql, [&](Lib_FrmCons3& l) {
        l.CmbSearch[caso.caja]->setEditText(QString::fromStdString(caso.texto));
        Tecla(l.CmbSearch[caso.caja], Qt::Key_F5);
        EXPECT_NE(l.SQL.find(caso.condicion), std::string::npos) << l.SQL;
        EXPECT_EQ(Columna(l), caso.filas);
    }, [&](Lib_FrmCons3& l) { l.CfgUsaConsultaLIKE = caso.like; });
    EXPECT_TRUE(Boxes("MsgBox").empty());
}

INSTANTIATE_TEST_SUITE_P(
    FrmCons3, F5Test,
    ::testing::Values(
        CasoF5{"AnywhereWithLike", testing::kVendedores, true, 1, "ar", " where NOMBRE like '%ar%' ORDER BY",
               {"123", "200"}},
        CasoF5{"AfterAWhere", "SELECT IDVENDEDOR, NOMBRE FROM V_TA_VENDEDORES WHERE IDVENDEDOR > '110'", false, 1,
               "d", "WHERE IDVENDEDOR > '110'  and NOMBRE like 'd%' ", {"200", "300"}},
        CasoF5{"OrderWithoutOrderBy", "SELECT IDVENDEDOR, NOMBRE AS NOMBRE_ORDER FROM V_TA_VENDEDORES", false, 0,
               "1", "FROM V_TA_VENDEDORES  where IDVENDEDOR like '1%' ", {"100", "120", "123"}},
        CasoF5{"ArticleColumnsArePrefixed",
               "SELECT v_ma_articulos.IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS ORDER BY IDARTICULO", false, 0,
               "A2", " where v_ma_articulos.IDARTICULO like 'A2%' ORDER BY", {"A2"}}),
    [](const auto& info) { return std::string(info.param.nombre); });

// ---- Sorting -----------------------------------------------------------------------------------

TEST_F(BusquedaTest, EachHeaderClickTurnsTheOneSortOrderOver) {
    Mostrar(kVendedores, [](Lib_FrmCons3& l) {
        emit l.ListView1->header()->sectionClicked(0);
        EXPECT_EQ(Columna(l), (Strings{"300", "200", "123", "120", "100"}));
        emit l.ListView1->header()->sectionClicked(0);
        EXPECT_EQ(Columna(l), (Strings{"100", "120", "123", "200", "300"}));
        emit l.ListView1->header()->sectionClicked(1);  // the other column, the order turned again
        EXPECT_EQ(Columna(l, 2), (Strings{"Dario", "D'Angelo", "Carla", "Beto", "Ana "}));
    });
}

TEST_F(BusquedaTest, ASelfSortingListSortsWithoutCase) {
    Run("INSERT INTO V_TA_TECNICOS (IDTECNICO, NOMBRE) VALUES ('1', 'beto'), ('2', 'Ana'), ('3', 'carla')");
    Lib_FrmCons3& lista = Mostrar("SELECT NOMBRE, IDTECNICO FROM V_TA_TECNICOS", {},
                                  [](Lib_FrmCons3& l) { l.OrdenarPorLwv = true; });
    EXPECT_EQ(Columna(lista), (Strings{"Ana", "beto", "carla"}));
    EXPECT_EQ(Seleccionada(lista), "Ana");
}

// ---- Choosing ----------------------------------------------------------------------------------

TEST_F(BusquedaTest, AcceptReturnsTheChosenRowsValues) {
    struct Caso {
        std::string campoDevuelto;
        Strings cmpsDevueltos;
        bool conCmps;
        vb::Variant valor;
        Strings valores;
    };
    const std::vector<Caso> casos = {
        {"NOMBRE", {}, false, vb::Variant("Carla"), {}},
        {"IDVENDEDOR", {"NOMBRE", "IDVENDEDOR"}, true, vb::Variant("123"), {"Carla", "123"}},
        {"", {"IDVENDEDOR", "NOMBRE"}, true, vb::Variant("Carla"), {"123", "Carla"}},  // the last one
        {"", {}, false, vb::Variant(""), {}},
        {"NO_EXISTE", {"NO_EXISTE"}, true, vb::Variant(""), {""}},
    };
    for (const Caso& caso : casos) {
        Lib_FrmCons3& lista = Mostrar(
            kVendedores,
            [](Lib_FrmCons3& l) {
                l.CmbSearch[0]->setEditText("123");
                Tecla(l.ListView1, Qt::Key_Return);
                EXPECT_FALSE(l.isVisible());
            },
            [&](Lib_FrmCons3& l) {
                l.CampoDevuelto = caso.campoDevuelto;
                if (caso.conCmps) {
                    l.CmpsDevueltos = std::make_shared<Coleccion>();
                    for (const std::string& c : caso.cmpsDevueltos) l.CmpsDevueltos->push_back(vb::Variant(c));
                }
            });
        EXPECT_EQ(lista.ValorDevuelto, caso.valor) << caso.campoDevuelto;
        Coleccion esperados;
        for (const std::string& v : caso.valores) esperados.push_back(vb::Variant(v));
        ASSERT_TRUE(lista.Valores);
        EXPECT_EQ(*lista.Valores, esperados) << caso.campoDevuelto;
    }
}

TEST_F(BusquedaTest, ADoubleClickAccepts) {
    Lib_FrmCons3& lista = Mostrar(kVendedores, [](Lib_FrmCons3& l) {
        QTreeWidgetItem* fila = l.ListView1->topLevelItem(3);
        l.ListView1->setCurrentItem(fila);
        emit l.ListView1->itemDoubleClicked(fila, 0);
        EXPECT_FALSE(l.isVisible());
    }, [](Lib_FrmCons3& l) { l.CampoDevuelto = "IDVENDEDOR"; });
    EXPECT_EQ(lista.ValorDevuelto, vb::Variant("200"));
}

TEST_F(BusquedaTest, CheckedRowsReturnTheirValuesInListOrder) {
    struct Caso {
        std::string campoDevuelto;
        Strings valores;
        std::string campoDespues;
    };
    const std::vector<Caso> casos = {
        {"NOMBRE", {"Beto", "Dario"}, "NOMBRE"},
        {"", {"120", "200"}, "IDVENDEDOR"},  // the first column
        {"NO_EXISTE", {"", ""}, "NO_EXISTE"},
    };
    for (const Caso& caso : casos) {
        Lib_FrmCons3& lista = Mostrar(
            kVendedores,
            [](Lib_FrmCons3& l) {
                l.ListView1->setCurrentItem(l.ListView1->topLevelItem(3));
                Tecla(l.ListView1, Qt::Key_Space);  // the list toggles the check
                l.ListView1->topLevelItem(1)->setCheckState(0, Qt::Checked);
                EXPECT_EQ(Marcadas(l), (Strings{"120", "200"}));
                EXPECT_EQ(l.CmbSearch[0]->currentText().toStdString(), "");
                l.CmdAceptar->click();
            },
            [&](Lib_FrmCons3& l) {
                l.CheckBoxes = true;
                l.CampoDevuelto = caso.campoDevuelto;
                l.ValorDevuelto = vb::Variant("sin tocar");
            });
        ASSERT_TRUE(lista.Valores);
        Coleccion esperados;
        for (const std::string& v : caso.valores) esperados.push_back(vb::Variant(v));
        EXPECT_EQ(*lista.Valores, esperados) << caso.campoDevuelto;
        EXPECT_EQ(lista.CampoDevuelto, caso.campoDespues);
        EXPECT_EQ(lista.ValorDevuelto, vb::Variant("sin tocar"));
    }
}

TEST_F(BusquedaTest, DefaultValuesCheckTheRowsThatHoldThem) {
    Run("INSERT INTO V_TA_VENDEDORES (IDVENDEDOR, NOMBRE) VALUES ('1234', 'X'), ('23', 'Y'), ('', 'Z'), ('9', 'W')");
    const std::string sql = "SELECT IDVENDEDOR, NOMBRE FROM V_TA_VENDEDORES WHERE NOMBRE IN ('X','Y','Z','W') "
                            "ORDER BY NOMBRE";
    const auto marcadas = [&](const std::string& porDefecto, bool casillas) {
        return Marcadas(Mostrar(sql, {}, [&](Lib_FrmCons3& l) {
            l.CheckBoxes = casillas;
            l.CampoDevuelto = "IDVENDEDOR";
            l.ValoresDefault = porDefecto;
        }));
    };
    // A row is checked when its value is one of the tokens: 23 is no token of
    // |1234|, and an empty value matches nothing.
    const std::vector<std::pair<std::string, Strings>> casos = {
        {"|1234|", {"1234"}},    {"1234", {"1234"}},  {"|23|9|", {"9", "23"}}, {"| 23 |", {"23"}},
        {"|123|234|", {}},       {"||", {}},          {"", {}},
    };
    for (const auto& [porDefecto, esperadas] : casos) EXPECT_EQ(marcadas(porDefecto, true), esperadas) << porDefecto;
    EXPECT_EQ(marcadas("|1234|", false), Strings{});
    // Accept hands back exactly the rows checked beforehand.
    Lib_FrmCons3& lista = Mostrar(sql, [](Lib_FrmCons3& l) { l.CmdAceptar->click(); }, [](Lib_FrmCons3& l) {
        l.CheckBoxes = true;
        l.CampoDevuelto = "IDVENDEDOR";
        l.ValoresDefault = "|1234|";
    });
    ASSERT_TRUE(lista.Valores);
    ASSERT_EQ(lista.Valores->size(), 1U);
    EXPECT_EQ(vb::TextOf(lista.Valores->front()), "1234");
}

TEST_F(BusquedaTest, CancelReturnsNothing) {
    for (const bool conEscape : {false, true}) {
        Lib_FrmCons3& lista = Mostrar(kVendedores, [&](Lib_FrmCons3& l) {
            if (conEscape) {
                Tecla(l.ListView1, Qt::Key_Escape);
            } else {
                l.CmdCancelar->click();
            }
            EXPECT_FALSE(l.isVisible());
        }, [](Lib_FrmCons3& l) {
            l.CampoDevuelto = "IDVENDEDOR";
            l.CmpsDevueltos = std::make_shared<Coleccion>(Coleccion{vb::Variant("NOMBRE")});
        });
        EXPECT_EQ(lista.ValorDevuelto, vb::Variant(""));
        EXPECT_FALSE(lista.Valores);
        EXPECT_FALSE(lista.CmpsDevueltos);
    }
}

// ---- Quantities --------------------------------------------------------------------------------

class CantidadesTest : public ListaTest {
protected:
    static constexpr const char* kConCantidad =
        "SELECT IDARTICULO, DESCRIPCION, '' AS [**Cantidad**] FROM V_MA_ARTICULOS ORDER BY IDARTICULO";

    static std::string Cantidad(const Lib_FrmCons3& l) { return l.FilaSeleccionada()->text(2).toStdString(); }

    vb::ScopedRegional regional_{vb::Regional{}};  // "," decimal separator
};

TEST_F(CantidadesTest, InsertAndDeleteCountTheSelectedRow) {
    Mostrar(kConCantidad, [](Lib_FrmCons3& l) {
        Tecla(l.ListView1, Qt::Key_Insert);
        EXPECT_EQ(Cantidad(l), "1,0");
        EXPECT_EQ(Marcadas(l), (Strings{"A1"}));
        Tecla(l.ListView1, Qt::Key_Insert);
        EXPECT_EQ(Cantidad(l), "2,0");
        Tecla(l.ListView1, Qt::Key_Delete);
        Tecla(l.ListView1, Qt::Key_Delete);
        EXPECT_EQ(Cantidad(l), "0.00");
        EXPECT_EQ(Marcadas(l), Strings{});
        Tecla(l.ListView1, Qt::Key_Delete, Qt::ShiftModifier);  // not a quantity key
        EXPECT_EQ(Cantidad(l), "0.00");
    }, [](Lib_FrmCons3& l) { l.UsaCantidades = true; });
    EXPECT_TRUE(Boxes("MsgBox").empty());
}

TEST_F(CantidadesTest, ShiftInsertAsksForTheQuantity) {
    operator_.AnswerInputBox("2,5").AnswerInputBox(std::nullopt).AnswerInputBox("0");
    Mostrar(kConCantidad, [](Lib_FrmCons3& l) {
        l.CmbSearch[0]->setEditText("A2");
        Tecla(l.ListView1, Qt::Key_Insert, Qt::ShiftModifier);
        EXPECT_EQ(Cantidad(l), "2,50");
        EXPECT_EQ(Marcadas(l), (Strings{"A2"}));
        Tecla(l.ListView1, Qt::Key_Insert);  // a fraction read back keeps its decimals
        EXPECT_EQ(Cantidad(l), "3,5");
        Tecla(l.ListView1, Qt::Key_Insert, Qt::ShiftModifier);  // cancelled: unchanged
        EXPECT_EQ(Cantidad(l), "3,5");
        l.CmbSearch[0]->setEditText("A3");
        Tecla(l.ListView1, Qt::Key_Insert, Qt::ShiftModifier);
        EXPECT_EQ(Cantidad(l), "0,00");
        EXPECT_EQ(Marcadas(l), (Strings{"A2", "A3"}));
    }, [](Lib_FrmCons3& l) { l.UsaCantidades = true; });
    const auto cajas = Boxes("InputBox");
    ASSERT_EQ(cajas.size(), 3U);
    EXPECT_EQ(cajas[0].prompt, "Ingrese la Cantidad del Articulo...");
    EXPECT_EQ(cajas[0].title, "Carga de Datos");
}

TEST_F(CantidadesTest, QuantityKeysNeedTheSwitchAndTheColumn) {
    Mostrar(kConCantidad, [](Lib_FrmCons3& l) {
        Tecla(l.ListView1, Qt::Key_Insert);
        EXPECT_EQ(Cantidad(l), "");
    });
    EXPECT_TRUE(Boxes("MsgBox").empty());
    operator_.AnswerMsgBox(ui::vbAbort);
    Mostrar(kVendedores, [](Lib_FrmCons3& l) {
        Tecla(l.ListView1, Qt::Key_Insert);
        EXPECT_EQ(Marcadas(l), Strings{});
    }, [](Lib_FrmCons3& l) { l.UsaCantidades = true; });
    const auto cajas = Boxes("MsgBox");
    ASSERT_EQ(cajas.size(), 1U);
    EXPECT_NE(cajas[0].title.find("ListView1_KeyDown"), std::string::npos);
}

}  // namespace
}  // namespace lookup
