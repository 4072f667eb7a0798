// The tree lookup dialog: the hierarchy of codes, the validated single and
// checked choices, cancel, check propagation and the two searches.
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <optional>

#include "lookup/lib_frmcons3tree.h"
#include "lookup_fixture.h"
#include "vb/text.h"

namespace lookup {
namespace {

using testing::LookupDbTest;

constexpr const char* kArbol = "SELECT CODIGO, DESCRIPCION FROM ARBOL ORDER BY ORDEN";

// The tree as text: each node's key, its children between braces.
std::string Forma(const QTreeWidgetItem& nodo) {
    std::string texto = Lib_FrmCons3Tree::ClaveDeNodo(nodo);
    if (nodo.childCount() == 0) return texto;
    texto += "{";
    for (int i = 0; i < nodo.childCount(); ++i) texto += (i ? "," : "") + Forma(*nodo.child(i));
    return texto + "}";
}

std::string Forma(const Lib_FrmCons3Tree& dlg) {
    std::string texto;
    for (int i = 0; i < dlg.TreeV->topLevelItemCount(); ++i) texto += (i ? "|" : "") + Forma(*dlg.TreeV->topLevelItem(i));
    return texto;
}

void Tecla(QWidget* destino, int tecla) {
    QKeyEvent evento(QEvent::KeyPress, tecla, Qt::NoModifier);
    QCoreApplication::sendEvent(destino, &evento);
}

class TreeDialogTest : public LookupDbTest {
protected:
    TreeDialogTest() {
        Run("CREATE TABLE ARBOL (ORDEN INT, CODIGO VARCHAR(10), DESCRIPCION VARCHAR(50))");
    }

    // One row per code, in this order, described "Desc <code>"; a code
    // followed by "=" takes a Null description.
    void Filas(const std::vector<std::string>& codigos) {
        int orden = 0;
        for (const std::string& codigo : codigos) {
            const bool nulo = vb::EndsWith(codigo, "=");
            const std::string c = nulo ? codigo.substr(0, codigo.size() - 1) : codigo;
            Run("INSERT INTO ARBOL VALUES (" + std::to_string(++orden) + ", '" + c + "', " +
                (nulo ? std::string("NULL") : "'Desc " + c + "'") + ")");
        }
    }

    // Opens the dialog on kArbol and lets `accion` act on it while shown.
    void Mostrar(Lib_FrmCons3Tree& dlg, std::function<void(Lib_FrmCons3Tree&)> accion) {
        if (dlg.SQL.empty()) dlg.SQL = kArbol;
        operator_.OnModal([&dlg, accion](QWidget&) { accion(dlg); });
        ui::ShowModal(dlg);
    }
};

// ---- Building the hierarchy ----------------------------------------------------------

struct CasoArbol {
    const char* nombre;
    std::vector<std::string> codigos;
    std::vector<int> respuestas;  // answers to error boxes, in order
    std::string forma;
};

class TreeShapeTest : public TreeDialogTest, public ::testing::WithParamInterface<CasoArbol> {};

TEST_P(TreeShapeTest, CodesNestByLength) {
    const CasoArbol& caso = GetParam();
    Filas(caso.codigos);
    for (int r : caso.respuestas) operator_.AnswerMsgBox(r);
    Lib_FrmCons3Tree dlg;
    dlg.SQL = kArbol;
    dlg.Form_Load();
    EXPECT_EQ(Forma(dlg), caso.forma);
    EXPECT_EQ(Boxes("MsgBox").size(), caso.respuestas.size());
    for (const ui::RecordedBox& box : Boxes("MsgBox")) EXPECT_TRUE(vb::Contains(box.title, "ArmarTreeVAutomatico"));
    ASSERT_TRUE(dlg.Valores);
    EXPECT_TRUE(dlg.Valores->empty());
}

INSTANTIATE_TEST_SUITE_P(
    Casos, TreeShapeTest,
    ::testing::Values(
        CasoArbol{"DosNiveles", {"01", "0101", "0102", "02", "0201"}, {}, "A{A01{A0101,A0102},A02{A0201}}"},
        CasoArbol{"SubeUnNivel", {"01", "0101", "02"}, {}, "A{A01{A0101},A02}"},
        CasoArbol{"SinPadre", {"0101", "02"}, {}, "A{A0101,A02}"},
        CasoArbol{"UnLargoEnOrdenDeFilas", {"03", "01", "02"}, {}, "A{A03,A01,A02}"},
        CasoArbol{"SubeDosNiveles", {"1", "11", "111", "2"}, {}, "A{A1{A11{A111}},A2}"},
        CasoArbol{"SoloLaRaiz", {}, {}, "A"},
        // A repeated code fails on its key: Ignore passes over that row, Abort
        // leaves the tree as far as it got.
        CasoArbol{"RepetidoIgnorado", {"01", "01", "02"}, {5}, "A{A01,A02}"},
        CasoArbol{"RepetidoAbandona", {"01", "01", "02"}, {3}, "A{A01}"},
        CasoArbol{"CodigoVacioIgnorado", {"", "01"}, {5}, "A{A01}"}),
    [](const ::testing::TestParamInfo<CasoArbol>& info) { return info.param.nombre; });

TEST_F(TreeDialogTest, NodeTextsAndTheRoot) {
    Filas({"01", "02="});
    Lib_FrmCons3Tree dlg;
    dlg.SQL = kArbol;
    dlg.Form_Load();
    const QTreeWidgetItem* raiz = dlg.Nodo("A");
    ASSERT_TRUE(raiz);
    EXPECT_EQ(raiz->text(0).toStdString(), "Consulta...");
    EXPECT_TRUE(raiz->isExpanded());
    EXPECT_EQ(dlg.Nodo("A01")->text(0).toStdString(), "01 - Desc 01");
    EXPECT_EQ(dlg.Nodo("A02")->text(0).toStdString(), "02 - ");  // Null description
    EXPECT_EQ(Lib_FrmCons3Tree::CodigoDeNodo(*dlg.Nodo("A02")), "02");
    EXPECT_EQ(dlg.windowTitle().toStdString(), "Consulta...");
}

TEST_F(TreeDialogTest, AStatementThatFailsLeavesTheRootAfterOneReport) {
    operator_.AnswerMsgBox(3).AnswerMsgBox(5);  // AbrirRecordset's own box, then the read
    Lib_FrmCons3Tree dlg;
    dlg.SQL = "SELECT CODIGO FROM NO_EXISTE";
    dlg.Form_Load();
    EXPECT_EQ(Forma(dlg), "A");
    EXPECT_EQ(Boxes("MsgBox").size(), 2u);
}

// ---- Choice ----------------------------------------------------------------------------

struct CasoEleccion {
    const char* nombre;
    const char* campo;
    const char* elegido;  // key of the selected node
    std::optional<std::string> valor;  // nullopt: ValorDevuelto untouched
};

class TreeSingleChoiceTest : public TreeDialogTest, public ::testing::WithParamInterface<CasoEleccion> {};

TEST_P(TreeSingleChoiceTest, TheChosenCodeIsValidatedAgainstItsTable) {
    const CasoEleccion& caso = GetParam();
    Filas({"01", "0101", "02", "03"});
    Run("INSERT INTO V_TA_FAMILIAS (IDFAMILIA, DESCRIPCION) VALUES ('01', 'Familia')");
    Run("INSERT INTO ma_posiciones (iddeposito, idposicion, descripcion) VALUES ('1', '0101', 'Estante')");
    Run("INSERT INTO TA_CCOSTO (CODIGO, DESCRIPCION) VALUES ('02', 'Centro')");
    Lib_FrmCons3Tree dlg;
    dlg.CampoDevuelto = caso.campo;
    dlg.ValorDevuelto = "sin tocar";
    Mostrar(dlg, [&](Lib_FrmCons3Tree& d) {
        d.TreeV->setCurrentItem(d.Nodo(caso.elegido));
        d.CmdAceptar->click();
    });
    EXPECT_EQ(dlg.ValorDevuelto, vb::Variant(caso.valor.value_or("sin tocar")));
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(Boxes("MsgBox").empty());
}

INSTANTIATE_TEST_SUITE_P(
    Casos, TreeSingleChoiceTest,
    ::testing::Values(CasoEleccion{"Familia", "IDFAMILIA", "A01", "01"},
                      CasoEleccion{"FamiliaEnMinusculas", "idfamilia", "A01", "01"},
                      CasoEleccion{"FamiliaInexistente", "IDFAMILIA", "A03", ""},
                      CasoEleccion{"Posicion", "IDPOSICION", "A0101", "0101"},
                      CasoEleccion{"PosicionInexistente", "IDPOSICION", "A01", ""},
                      CasoEleccion{"CentroDeCosto", "CODIGO", "A02", "02"},
                      CasoEleccion{"LaRaizNoEsValida", "CODIGO", "A", ""},
                      CasoEleccion{"OtraColumnaNoDevuelveNada", "IDARTICULO", "A01", std::nullopt}),
    [](const ::testing::TestParamInfo<CasoEleccion>& info) { return info.param.nombre; });

struct CasoMarcado {
    const char* nombre;
    const char* campo;
    std::vector<const char*> marcados;
    std::vector<std::string> valores;
};

class TreeCheckedChoiceTest : public TreeDialogTest, public ::testing::WithParamInterface<CasoMarcado> {};

TEST_P(TreeCheckedChoiceTest, CheckedCodesInNodeOrder) {
    const CasoMarcado& caso = GetParam();
    Filas({"01", "0101", "02", "03"});
    Run("INSERT INTO ma_posiciones (iddeposito, idposicion, descripcion) VALUES ('1', '03', 'Estante')");
    Run("INSERT INTO ma_posiciones (iddeposito, idposicion, descripcion) VALUES ('1', '01', 'Pasillo')");
    Lib_FrmCons3Tree dlg;
    dlg.CampoDevuelto = caso.campo;
    dlg.CheckBoxes = true;
    dlg.ValorDevuelto = "sin tocar";
    Mostrar(dlg, [&](Lib_FrmCons3Tree& d) {
        for (const char* clave : caso.marcados) d.Nodo(clave)->setCheckState(0, Qt::Checked);
        d.CmdAceptar->click();
    });
    ASSERT_TRUE(dlg.Valores);
    std::vector<std::string> valores;
    for (const vb::Variant& v : *dlg.Valores) valores.push_back(vb::TextOf(v));
    EXPECT_EQ(valores, caso.valores);
    EXPECT_EQ(dlg.ValorDevuelto, vb::Variant("sin tocar"));
    EXPECT_FALSE(dlg.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Casos, TreeCheckedChoiceTest,
    ::testing::Values(
        // Checking 01 checks 0101 below it as well.
        CasoMarcado{"CodigoSinValidar", "CODIGO", {"A03", "A01"}, {"01", "0101", "03"}},
        CasoMarcado{"FamiliaSinValidar", "IDFAMILIA", {"A02"}, {"02"}},
        CasoMarcado{"SoloPosicionesExistentes", "IDPOSICION", {"A01", "A02", "A03"}, {"01", "03"}},
        CasoMarcado{"LaRaizMarcadaDaUnCodigoVacio", "CODIGO", {"A0101", "A"}, {"", "01", "0101", "02", "03"}},
        CasoMarcado{"OtraColumnaNada", "IDARTICULO", {"A01"}, {}}),
    [](const ::testing::TestParamInfo<CasoMarcado>& info) { return info.param.nombre; });

TEST_F(TreeDialogTest, AcceptingWithNothingSelectedGoesToTheErrorRoutine) {
    Filas({"01"});
    Run("INSERT INTO V_TA_FAMILIAS (IDFAMILIA, DESCRIPCION) VALUES ('01', 'Familia')");
    Lib_FrmCons3Tree dlg;
    dlg.CampoDevuelto = "IDFAMILIA";
    dlg.ValorDevuelto = "antes";
    bool visibleTrasAbortar = false;
    operator_.AnswerMsgBox(3).AnswerMsgBox(5);
    Mostrar(dlg, [&](Lib_FrmCons3Tree& d) {
        d.TreeV->clearSelection();
        d.CmdAceptar->click();  // Abort: the dialog stays open
        visibleTrasAbortar = d.isVisible();
        d.CmdAceptar->click();  // Ignore: no code, so nothing valid, and it closes
    });
    EXPECT_TRUE(visibleTrasAbortar);
    ASSERT_EQ(Boxes("MsgBox").size(), 2u);
    EXPECT_TRUE(vb::Contains(Boxes("MsgBox")[0].title, "HScroll1_Change"));
    EXPECT_TRUE(vb::Contains(Boxes("MsgBox")[0].prompt, "(91)"));
    EXPECT_EQ(dlg.ValorDevuelto, vb::Variant(""));
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(TreeDialogTest, CancelarAndEscReleaseTheResults) {
    Filas({"01"});
    for (bool conEsc : {false, true}) {
        Lib_FrmCons3Tree dlg;
        dlg.CheckBoxes = true;
        dlg.CampoDevuelto = "CODIGO";
        dlg.ValorDevuelto = "antes";
        dlg.CmpsDevueltos = std::make_shared<Coleccion>();
        Mostrar(dlg, [&](Lib_FrmCons3Tree& d) {
            d.Nodo("A01")->setCheckState(0, Qt::Checked);
            if (conEsc) {
                Tecla(d.TreeV, Qt::Key_Escape);
            } else {
                d.CmdCancelar->click();
            }
        });
        EXPECT_EQ(dlg.ValorDevuelto, vb::Variant("")) << conEsc;
        EXPECT_FALSE(dlg.Valores) << conEsc;
        EXPECT_FALSE(dlg.CmpsDevueltos) << conEsc;
        EXPECT_FALSE(dlg.isVisible()) << conEsc;
        EXPECT_EQ(dlg.result(), QDialog::Rejected) << conEsc;
    }
}

TEST_F(TreeDialogTest, DoubleClickAccepts) {
    Filas({"01"});
    Run("INSERT INTO TA_CCOSTO (CODIGO, DESCRIPCION) VALUES ('01', 'Centro')");
    Lib_FrmCons3Tree dlg;
    dlg.CampoDevuelto = "CODIGO";
    Mostrar(dlg, [](Lib_FrmCons3Tree& d) {
        d.TreeV->setCurrentItem(d.Nodo("A01"));
        emit d.TreeV->itemDoubleClicked(d.Nodo("A01"), 0);
    });
    EXPECT_EQ(dlg.ValorDevuelto, vb::Variant("01"));
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

// ---- Check propagation -------------------------------------------------------------------

TEST_F(TreeDialogTest, ACheckReachesThreeLevelsDown) {
    Filas({"1", "11", "111", "1111", "11111", "2"});
    Lib_FrmCons3Tree dlg;
    dlg.SQL = kArbol;
    dlg.CheckBoxes = true;
    dlg.Form_Load();
    auto estado = [&](const char* clave) { return dlg.Nodo(clave)->checkState(0) == Qt::Checked; };

    dlg.Nodo("A11111")->setCheckState(0, Qt::Checked);  // a leaf: nothing above changes
    EXPECT_FALSE(estado("A1111"));
    dlg.Nodo("A1")->setCheckState(0, Qt::Checked);
    EXPECT_TRUE(estado("A11"));
    EXPECT_TRUE(estado("A111"));
    EXPECT_TRUE(estado("A1111"));
    EXPECT_FALSE(estado("A"));
    EXPECT_FALSE(estado("A2"));
    dlg.Nodo("A1")->setCheckState(0, Qt::Unchecked);
    EXPECT_FALSE(estado("A11"));
    EXPECT_FALSE(estado("A1111"));
    EXPECT_TRUE(estado("A11111"));  // four levels down: kept
    dlg.Nodo("A11111")->setCheckState(0, Qt::Unchecked);
    dlg.Nodo("A11")->setCheckState(0, Qt::Checked);  // A11111 is three levels below A11
    EXPECT_TRUE(estado("A11111"));
    EXPECT_FALSE(estado("A1"));
}

TEST_F(TreeDialogTest, WithoutCheckBoxesNodesHaveNone) {
    Filas({"01"});
    Lib_FrmCons3Tree dlg;
    dlg.SQL = kArbol;
    dlg.Form_Load();
    EXPECT_FALSE(dlg.Nodo("A01")->data(0, Qt::CheckStateRole).isValid());
}

// ---- Searches ------------------------------------------------------------------------------

struct CasoBusqueda {
    const char* nombre;
    std::string sql;
    std::vector<std::string> textos;  // one server search each
    std::string resultado;
};

class TreeServerSearchTest : public TreeDialogTest, public ::testing::WithParamInterface<CasoBusqueda> {};

TEST_P(TreeServerSearchTest, TheConditionGoesBeforeTheOrderByPart) {
    const CasoBusqueda& caso = GetParam();
    Filas({"01", "02"});
    Lib_FrmCons3Tree dlg;
    dlg.SQL = caso.sql;
    dlg.Form_Load();
    for (const std::string& texto : caso.textos) {
        dlg.CmbSearch->setEditText(QString::fromStdString(texto));
        dlg.BusquedaServidor();
    }
    EXPECT_EQ(dlg.SQL, caso.resultado);
    EXPECT_TRUE(dlg.CmbSearch->currentText().isEmpty());
    EXPECT_TRUE(Boxes("MsgBox").empty());  // every statement built still runs
}

INSTANTIATE_TEST_SUITE_P(
    Casos, TreeServerSearchTest,
    ::testing::Values(
        CasoBusqueda{"ConWhereYOrden",
                     "SELECT CODIGO, DESCRIPCION FROM ARBOL WHERE ORDEN > 0 ORDER BY ORDEN",
                     {"ab"},
                     "SELECT CODIGO, DESCRIPCION FROM ARBOL WHERE ORDEN > 0  and Descripcion like '%ab%' ORDER BY ORDEN"},
        CasoBusqueda{"DosBusquedasSeSuman",
                     "SELECT CODIGO, DESCRIPCION FROM ARBOL WHERE ORDEN > 0 ORDER BY ORDEN",
                     {"ab", "c"},
                     "SELECT CODIGO, DESCRIPCION FROM ARBOL WHERE ORDEN > 0  and Descripcion like '%ab%'  and "
                     "Descripcion like '%c%' ORDER BY ORDEN"},
        CasoBusqueda{"SinWhere", "select codigo, descripcion from arbol order by orden", {"x"},
                     "select codigo, descripcion from arbol  where Descripcion like '%x%' order by orden"},
        CasoBusqueda{"SinOrden", "SELECT CODIGO, DESCRIPCION FROM ARBOL", {"x"},
                     "SELECT CODIGO, DESCRIPCION FROM ARBOL where Descripcion like '%x%' "},
        // A quote typed in the box stays inside the pattern.
        CasoBusqueda{"ApostrofeEnElTexto", "SELECT CODIGO, DESCRIPCION FROM ARBOL", {"d'01"},
                     "SELECT CODIGO, DESCRIPCION FROM ARBOL where Descripcion like '%d''01%' "},
        // "order" inside a name is no ORDER BY part.
        CasoBusqueda{"OrderSinBy", "SELECT CODIGO AS ORDERED, DESCRIPCION FROM ARBOL", {"x"},
                     "SELECT CODIGO AS ORDERED, DESCRIPCION FROM ARBOL where Descripcion like '%x%' "}),
    [](const ::testing::TestParamInfo<CasoBusqueda>& info) { return info.param.nombre; });

TEST_F(TreeDialogTest, F5SearchesTheServerAndReloads) {
    Filas({"01", "02", "03"});
    Run("UPDATE ARBOL SET DESCRIPCION = 'Tornillos' WHERE CODIGO = '02'");
    Lib_FrmCons3Tree dlg;
    dlg.CheckBoxes = true;
    dlg.CampoDevuelto = "CODIGO";
    Mostrar(dlg, [](Lib_FrmCons3Tree& d) {
        d.Nodo("A01")->setCheckState(0, Qt::Checked);
        d.CmbSearch->setEditText("TORN");
        Tecla(d.CmbSearch->lineEdit(), Qt::Key_F5);
        EXPECT_EQ(Forma(d), "A{A02}");
        EXPECT_TRUE(d.Valores && d.Valores->empty());
        d.CmdNueva->click();  // rebuilds from the statement as the search left it
        EXPECT_EQ(Forma(d), "A{A02}");
        d.CmdAceptar->click();
    });
    EXPECT_TRUE(dlg.Valores->empty());
    EXPECT_EQ(dlg.CmbSearch->property("Tag").toString().toStdString(), "Descripcion");
}

// "Nueva Busqueda" rebuilds the tree and leaves the returned values alone.
TEST_F(TreeDialogTest, NuevaBusquedaLeavesTheReturnedValuesAlone) {
    Filas({"01", "02"});
    Lib_FrmCons3Tree dlg;
    dlg.CheckBoxes = true;
    dlg.ValorDevuelto = "antes";
    std::shared_ptr<Coleccion> antes;
    Mostrar(dlg, [&](Lib_FrmCons3Tree& d) {
        antes = d.Valores;
        ASSERT_TRUE(antes);
        antes->push_back(vb::Variant("01"));
        Run("INSERT INTO ARBOL VALUES (3, '03', 'Desc 03')");
        d.CmdNueva->click();
        EXPECT_EQ(Forma(d), "A{A01,A02,A03}");
        EXPECT_EQ(d.Valores, antes);
        EXPECT_EQ(d.ValorDevuelto, vb::Variant("antes"));
        d.hide();
    });
    ASSERT_EQ(dlg.Valores, antes);
    ASSERT_EQ(antes->size(), 1U);
    EXPECT_EQ(vb::TextOf(antes->front()), "01");
}

TEST_F(TreeDialogTest, ArrowKeysInTheSearchBoxMoveToTheTree) {
    Filas({"01"});
    Lib_FrmCons3Tree dlg;
    Mostrar(dlg, [](Lib_FrmCons3Tree& d) {
        d.activateWindow();
        d.CmbSearch->setFocus();
        Tecla(d.CmbSearch->lineEdit(), Qt::Key_Down);
        EXPECT_EQ(d.focusWidget(), d.TreeV);
        d.CmdCancelar->click();
    });
}

TEST_F(TreeDialogTest, TypingSelectsTheFirstNodeThatBeginsWithTheText) {
    Filas({"01", "0101", "02", "03"});
    Run("UPDATE ARBOL SET DESCRIPCION = 'Bulones' WHERE CODIGO = '0101'");
    Run("UPDATE ARBOL SET DESCRIPCION = 'bujes' WHERE CODIGO = '03'");
    Lib_FrmCons3Tree dlg;
    dlg.SQL = kArbol;
    dlg.Form_Load();
    auto elegido = [&] {
        const auto items = dlg.TreeV->selectedItems();
        return items.isEmpty() ? std::string("-") : Lib_FrmCons3Tree::ClaveDeNodo(*items.front());
    };
    struct Caso {
        const char* texto;
        const char* clave;
    };
    for (const Caso& caso : std::vector<Caso>{{"bu", "A0101"},     // description, any case
                                              {"BUJ", "A03"},
                                              {"02", "A02"},        // code
                                              {"zz", "A02"},        // no match: unchanged
                                              {"", "A"},            // the root
                                              {"consulta", "A"}}) {
        dlg.CmbSearch->setEditText(caso.texto);
        EXPECT_EQ(elegido(), caso.clave) << caso.texto;
    }
    EXPECT_TRUE(dlg.Nodo("A01")->isExpanded());  // the parent of a chosen node is opened
}

}  // namespace
}  // namespace lookup
