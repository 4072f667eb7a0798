// ConsultaSearch: the statement it builds (definition file, fallback,
// statement path), what it hands the dialogs and what it resets afterwards.
#include <QComboBox>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/consultas_file.h"
#include "lookup/lib_clscons3.h"
#include "lookup/lib_frmcons3.h"
#include "lookup/lib_frmcons3tree.h"
#include "lookup_fixture.h"
#include "support.h"
#include "vb/text.h"

namespace lookup {
namespace {

using foundation::RegistroConsulta;

// What the list dialog was given when it showed.
struct Mostrado {
    std::string sentencia;  // the statement, without the blank its load appends
    std::string filtroInicial;
    std::string campoBusqueda;
    std::string campoDevuelto;
    bool checkBoxes = false;
    bool usaCantidades = false;
    bool ordenarPorLwv = false;
    bool like = false;
    std::string valoresDefault;
    std::string muestraStock;
    vb::Variant stkNivel1;
    ColeccionPtr cmpsDevueltos;
};

class ConsultaSearchTest : public testing::LookupDbTest {
protected:
    ConsultaSearchTest() {
        Run("INSERT INTO VT_CLIENTES (CODIGO, RAZON_SOCIAL, CONTACTO, DADA_DE_BAJA) VALUES "
            "('C1', 'Acme', 'Ana', 0), ('C2', 'Baja SA', 'Beto', 1), ('C3', 'Zeta', 'Ciro', 0)");
        Run("INSERT INTO V_TA_FAMILIAS (IDFAMILIA, DESCRIPCION) VALUES ('01', 'Bebidas'), ('02', 'Almacen')");
        Run("CREATE TABLE T_PRECIOS (ID INTEGER PRIMARY KEY, CODIGO VARCHAR(10), NOMBRE VARCHAR(50), PRECIO MONEY)");
        Run("CREATE TABLE T_CODIGOS (ID INTEGER PRIMARY KEY, CODIGO VARCHAR(10), PRECIO MONEY)");
        Run("CREATE TABLE T_SOLO_ID (ID INTEGER PRIMARY KEY, FECHAHORA_GRABACION DATETIME)");
        Run("CREATE TABLE T_NOMBRES (DETALLE VARCHAR(10), ID INTEGER, NOMBRE VARCHAR(10), OTRO INT)");
    }

    // The service, created on first use (after the test's configuration keys).
    Lib_ClsCons3& Servicio() {
        if (!servicio_) servicio_ = std::make_unique<Lib_ClsCons3>();
        return *servicio_;
    }

    // Turns the definition file on, with these records.
    void Definiciones(const std::vector<RegistroConsulta>& registros) {
        std::string bytes;
        for (const RegistroConsulta& r : registros) bytes += foundation::RegistroConsultaABytes(r);
        DefinicionesEnBytes(bytes);
    }
    void DefinicionesEnBytes(const std::string& bytes) {
        testsupport::WriteFile(home_.Path() / foundation::kArchivoConsultas, bytes);
        Servicio().gUsarMascarasConsultas = true;
        Servicio().gRutaMascaraConsultas = home_.File(foundation::kArchivoConsultas);
    }

    // Expects the list dialog; records what it was given, then runs `accion`
    // on it (by default it only closes).
    void AlMostrarLista(std::function<void(Lib_FrmCons3&)> accion = {}) {
        operator_.OnModal([this, accion = std::move(accion)](QWidget& w) {
            auto& lista = dynamic_cast<Lib_FrmCons3&>(w);
            Mostrado m;
            m.sentencia = lista.SQLInicial().substr(0, lista.SQLInicial().size() - 1);
            m.filtroInicial = lista.FiltroInicial;
            m.campoBusqueda = lista.CampoBusqueda;
            m.campoDevuelto = lista.CampoDevuelto;
            m.checkBoxes = lista.CheckBoxes;
            m.usaCantidades = lista.UsaCantidades;
            m.ordenarPorLwv = lista.OrdenarPorLwv;
            m.like = lista.CfgUsaConsultaLIKE;
            m.valoresDefault = lista.ValoresDefault;
            m.muestraStock = lista.MuestraStock;
            m.stkNivel1 = lista.StkNivel1;
            m.cmpsDevueltos = lista.CmpsDevueltos;
            mostrado_ = m;
            if (accion) accion(lista);
        });
    }

    std::unique_ptr<Lib_ClsCons3> servicio_;
    std::optional<Mostrado> mostrado_;
};

// ---- The statement --------------------------------------------------------------------------

struct CasoSentencia {
    const char* nombre;
    std::vector<RegistroConsulta> registros;  // empty: the definition file is off
    std::string sql;
    std::string campoBusqueda;  // the caller's value
    std::string where;
    std::string opcional;
    std::string sentencia;      // the statement the dialog runs
    std::string campoDespues;   // the caller's CampoBusqueda afterwards
};

std::vector<RegistroConsulta> PorDefecto() { return foundation::RegistrosConsultasPorDefecto(); }

const std::vector<CasoSentencia> kCasosSentencia = {
    {"StatementKeepsItsText", {}, "SELECT CODIGO, RAZON_SOCIAL FROM VT_CLIENTES", "X", "CODIGO = 'C1'", "",
     "SELECT CODIGO, RAZON_SOCIAL FROM VT_CLIENTES", "X"},
    {"StatementReadsTheArticleView", PorDefecto(), "SELECT IDARTICULO FROM V_MA_ARTICULOS", "", "", "",
     "SELECT IDARTICULO FROM VT_MA_ARTICULOS", ""},
    {"LowerCaseStatementToo", {}, "select idarticulo from v_ma_articulos", "", "", "",
     "select idarticulo from VT_MA_ARTICULOS", ""},
    {"CustomersGetTheirDefaultFilter", PorDefecto(), "VT_CLIENTES", "", "", "",
     "SELECT TOP 1000 RAZON_SOCIAL,CODIGO,CONTACTO FROM VT_CLIENTES WHERE Dada_De_Baja = 0 ORDER BY RAZON_SOCIAL",
     "RAZON_SOCIAL"},
    {"WhereReplacesTheDefaultFilter", PorDefecto(), " VT_CLIENTES ", "", "CODIGO = 'C2'", "",
     "SELECT TOP 1000 RAZON_SOCIAL,CODIGO,CONTACTO FROM VT_CLIENTES WHERE  (CODIGO = 'C2')  ORDER BY RAZON_SOCIAL",
     "RAZON_SOCIAL"},
    {"TableNamesMatchWithoutCase", PorDefecto(), "vt_proveedores", "", "", "",
     "SELECT TOP 1000 RAZON_SOCIAL,CODIGO FROM VT_PROVEEDORES WHERE Dada_De_Baja = 0 ORDER BY RAZON_SOCIAL",
     "RAZON_SOCIAL"},
    {"ArticlesReadTheViewWithoutSuspended", PorDefecto(), "V_MA_ARTICULOS", "", "", "",
     "SELECT TOP 1000 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS WHERE SUSPENDIDO = 0 ORDER BY DESCRIPCION",
     "DESCRIPCION"},
    {"ArticlesKeepTheRecordsFilter",
     {{"ARTICULOS", "V_MA_ARTICULOS", "|DESCRIPCION|IDARTICULO|", "PUNTOPEDIDO > 0"}},
     "V_MA_ARTICULOS", "", "", "",
     "SELECT TOP 1000 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS WHERE PUNTOPEDIDO > 0 ORDER BY DESCRIPCION",
     "DESCRIPCION"},
    {"TheCallersSearchColumnOrders", PorDefecto(), "VT_CLIENTES", "CODIGO", "", "",
     "SELECT TOP 1000 RAZON_SOCIAL,CODIGO,CONTACTO FROM VT_CLIENTES WHERE Dada_De_Baja = 0 ORDER BY CODIGO",
     "CODIGO"},
    {"ASingleColumnWithASearchColumn", {{"F", "V_TA_FAMILIAS", "|DESCRIPCION|", ""}}, "V_TA_FAMILIAS",
     "DESCRIPCION", "", "", "SELECT TOP 1000 DESCRIPCION FROM V_TA_FAMILIAS ORDER BY DESCRIPCION", "DESCRIPCION"},
    {"TheRepeatedTechniciansRecord", PorDefecto(), "V_TA_TECNICOS", "", "", "",
     "SELECT TOP 1000 NOMBRE,IDTECNICO FROM V_TA_TECNICOS ORDER BY NOMBRE", "NOMBRE"},
    {"NoRecordTakesTheTablesFields", PorDefecto(), "V_TA_FAMILIAS", "", "", "",
     "SELECT TOP 1000 DESCRIPCION,IDFAMILIA FROM V_TA_FAMILIAS ORDER BY DESCRIPCION", "DESCRIPCION"},
    {"FallbackNamesInReverseOrder", {}, "T_PRECIOS", "", "", "",
     "SELECT TOP 1000 PRECIO,NOMBRE,CODIGO FROM T_PRECIOS ORDER BY NOMBRE", "NOMBRE"},
    {"FallbackSearchesTheFirstFieldKept", {}, "T_CODIGOS", "X", "", "",
     "SELECT TOP 1000 PRECIO,CODIGO FROM T_CODIGOS ORDER BY CODIGO", "CODIGO"},
    {"FallbackSearchesTheLastNameField", {}, "T_NOMBRES", "", "", "",
     "SELECT TOP 1000 OTRO,NOMBRE,DETALLE FROM T_NOMBRES ORDER BY NOMBRE", "NOMBRE"},
    {"FallbackAppliesWhere", {}, "T_PRECIOS", "", "PRECIO > 1", "",
     "SELECT TOP 1000 PRECIO,NOMBRE,CODIGO FROM T_PRECIOS WHERE  (PRECIO > 1)  ORDER BY NOMBRE", "NOMBRE"},
    {"FallbackWithoutFieldsHasNoOrder", {}, "T_SOLO_ID", "", "", "", "SELECT TOP 1000  *  FROM T_SOLO_ID", ""},
    {"OptionalStatementReplacesTheFallback", {}, "T_PRECIOS", "", "", "SELECT CODIGO FROM T_PRECIOS",
     "SELECT CODIGO FROM T_PRECIOS", ""},
    {"ARecordWinsOverTheOptionalStatement", PorDefecto(), "VT_CLIENTES", "", "", "SELECT CODIGO FROM T_PRECIOS",
     "SELECT TOP 1000 RAZON_SOCIAL,CODIGO,CONTACTO FROM VT_CLIENTES WHERE Dada_De_Baja = 0 ORDER BY RAZON_SOCIAL",
     "RAZON_SOCIAL"},
};

void PrintTo(const CasoSentencia& caso, std::ostream* os) { *os << caso.nombre; }

class SentenciaTest : public ConsultaSearchTest, public ::testing::WithParamInterface<CasoSentencia> {};

TEST_P(SentenciaTest, BuildsTheStatement) {
    const CasoSentencia& caso = GetParam();
    if (!caso.registros.empty()) Definiciones(caso.registros);
    std::string campo = caso.campoBusqueda;
    std::string where = caso.where;
    AlMostrarLista();
    Servicio().ConsultaSearch(caso.sql, nullptr, "", &campo, &where, caso.opcional);
    ASSERT_TRUE(mostrado_);
    EXPECT_EQ(mostrado_->sentencia, caso.sentencia);
    EXPECT_EQ(campo, caso.campoDespues);
    EXPECT_EQ(mostrado_->campoBusqueda, caso.campoDespues);
    EXPECT_TRUE(Boxes("MsgBox").empty());
}

INSTANTIATE_TEST_SUITE_P(ConsultaSearch, SentenciaTest, ::testing::ValuesIn(kCasosSentencia),
                         [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(ConsultaSearchTest, WhereIsWrappedForTheCaller) {
    const std::vector<std::pair<std::string, std::string>> casos = {
        {"", ""},
        {"x", "x"},
        {"  x ", "  x "},
        {"a = 1", " (a = 1) "},
        {"(a = 1) OR b = 2", "(a = 1) OR b = 2"},
        {" (a = 1)", " ( (a = 1)) "},
    };
    for (const auto& [antes, despues] : casos) {
        std::string where = antes;
        AlMostrarLista();
        Servicio().ConsultaSearch("SELECT CODIGO FROM VT_CLIENTES", nullptr, "", nullptr, &where);
        EXPECT_EQ(where, despues) << antes;
    }
}

TEST_F(ConsultaSearchTest, TheRowCapComesFromTopConsArt) {
    const std::vector<std::pair<std::optional<std::string>, std::string>> casos = {
        {std::nullopt, "1000"}, {"", "1000"}, {"0", "1000"}, {"abc", "1000"},  {"250", "250"},
        {"12.5", "12"},         {"13.5", "14"}, {"7 filas", "7"}, {"99999999999", "1000"},
    };
    Definiciones(PorDefecto());
    for (const auto& [valor, tope] : casos) {
        Run("DELETE FROM TA_CONFIGURACION");
        if (valor) SetCfg("TopConsArt", *valor);
        AlMostrarLista();
        Servicio().ConsultaSearch("VT_CLIENTES");
        ASSERT_TRUE(mostrado_);
        EXPECT_TRUE(vb::StartsWith(mostrado_->sentencia, "SELECT TOP " + tope + " RAZON_SOCIAL"))
            << (valor ? *valor : "missing") << ": " << mostrado_->sentencia;
    }
}

TEST_F(ConsultaSearchTest, DefinitionTablesIgnoreCharacters0And255) {
    RegistroConsulta registro{"CLIENTES", "", "|CODIGO|RAZON_SOCIAL|", ""};
    std::string bytes = foundation::RegistroConsultaABytes(registro);
    bytes.replace(100, 14, std::string("\0VT_CLIENTES\xFF\0", 14));
    DefinicionesEnBytes(bytes);
    AlMostrarLista();
    Servicio().ConsultaSearch("VT_CLIENTES");
    ASSERT_TRUE(mostrado_);
    EXPECT_EQ(mostrado_->sentencia,
              "SELECT TOP 1000 CODIGO,RAZON_SOCIAL FROM VT_CLIENTES WHERE Dada_De_Baja = 0 ORDER BY CODIGO");
}

TEST_F(ConsultaSearchTest, ADefinitionFileThatCannotBeReadHasNoRecord) {
    const std::vector<std::function<void()>> archivos = {
        // Missing.
        [this] {
            Servicio().gUsarMascarasConsultas = true;
            Servicio().gRutaMascaraConsultas = home_.File("no_existe.tsm");
        },
        // A folder.
        [this] {
            std::filesystem::create_directory(home_.Path() / "carpeta.tsm");
            Servicio().gUsarMascarasConsultas = true;
            Servicio().gRutaMascaraConsultas = home_.File("carpeta.tsm");
        },
        // Empty, and a short record.
        [this] { DefinicionesEnBytes(""); },
        [this] { DefinicionesEnBytes(std::string(150, ' ')); },
    };
    for (const auto& preparar : archivos) {
        preparar();
        AlMostrarLista();
        Servicio().ConsultaSearch("T_PRECIOS");
        ASSERT_TRUE(mostrado_);
        EXPECT_EQ(mostrado_->sentencia, "SELECT TOP 1000 PRECIO,NOMBRE,CODIGO FROM T_PRECIOS ORDER BY NOMBRE");
        mostrado_.reset();
    }
}

TEST_F(ConsultaSearchTest, ARecordWithOneColumnNeedsASearchColumn) {
    for (const char* campos : {"|CODIGO|", "", "||"}) {
        Definiciones({{"T", "VT_CLIENTES", campos, ""}});
        auto cmps = std::make_shared<Coleccion>(Coleccion{vb::Variant("CODIGO")});
        std::string campo;
        std::string where = "a = 1";
        Servicio().Checks = true;
        Servicio().CampoDevuelto = "CODIGO";
        operator_.ClearShown();
        operator_.AnswerMsgBox(ui::vbOK);
        Servicio().ConsultaSearch("VT_CLIENTES", &cmps, "", &campo, &where);
        const auto cajas = Boxes("MsgBox");
        ASSERT_EQ(cajas.size(), 1U) << campos;
        EXPECT_EQ(cajas[0].prompt, "Debe configurar la consulta para esta tabla");
        EXPECT_EQ(cajas[0].title, "Aviso al operador");
        EXPECT_EQ(cajas[0].style, ui::vbInformation + ui::vbOKOnly);
        EXPECT_TRUE(Boxes("ShowModal").empty());
        EXPECT_TRUE(Servicio().Checks);
        EXPECT_EQ(Servicio().CampoDevuelto, "CODIGO");
        ASSERT_TRUE(cmps);
        EXPECT_EQ(cmps->size(), 1U);
        EXPECT_EQ(campo, "");
    }
}

// ---- What the list dialog gets and gives back -------------------------------------------------

TEST_F(ConsultaSearchTest, TheListDialogGetsTheCallersSettings) {
    SetCfg("MostrarStockenConsultas", "si");
    SetCfg("Stk_Nivel1", "255");
    SetCfg("UsaConsultaLIKE", "SI");
    Definiciones(PorDefecto());
    auto cmps = std::make_shared<Coleccion>(Coleccion{vb::Variant("CODIGO")});
    Servicio().CampoDevuelto = "CODIGO";
    Servicio().Checks = true;
    Servicio().UsaCantidades = true;
    AlMostrarLista();
    Servicio().ConsultaSearch("VT_CLIENTES", &cmps, "Ze", nullptr, nullptr, "", false, "|C1|");
    ASSERT_TRUE(mostrado_);
    EXPECT_EQ(mostrado_->filtroInicial, "Ze");
    EXPECT_EQ(mostrado_->campoDevuelto, "CODIGO");
    EXPECT_TRUE(mostrado_->checkBoxes);
    EXPECT_TRUE(mostrado_->usaCantidades);
    EXPECT_TRUE(mostrado_->like);
    EXPECT_FALSE(mostrado_->ordenarPorLwv);  // the statement has its ORDER BY
    EXPECT_EQ(mostrado_->valoresDefault, "|C1|");
    EXPECT_EQ(mostrado_->muestraStock, "si");
    EXPECT_EQ(mostrado_->stkNivel1, vb::Variant("255"));
    EXPECT_TRUE(mostrado_->cmpsDevueltos);
    EXPECT_TRUE(Servicio().UsaCantidades);  // never reset
}

TEST_F(ConsultaSearchTest, AStatementWithoutOrderIsSortedByTheList) {
    AlMostrarLista();
    Servicio().ConsultaSearch("SELECT CODIGO FROM VT_CLIENTES");
    ASSERT_TRUE(mostrado_);
    EXPECT_TRUE(mostrado_->ordenarPorLwv);
}

TEST_F(ConsultaSearchTest, ASingleChoiceComesBackAndTheInputsAreReset) {
    Definiciones(PorDefecto());
    auto cmps = std::make_shared<Coleccion>(Coleccion{vb::Variant("CONTACTO"), vb::Variant("RAZON_SOCIAL")});
    const ColeccionPtr delLlamador = cmps;
    Servicio().CampoDevuelto = "CODIGO";
    ColeccionPtr cantidadesDelDialogo;
    AlMostrarLista([&](Lib_FrmCons3& lista) {
        lista.CmbSearch[0]->setEditText("Zet");  // selects Zeta
        cantidadesDelDialogo = lista.Cantidades;
        lista.CmdAceptar->click();
    });
    Servicio().ConsultaSearch("VT_CLIENTES", &cmps);
    EXPECT_EQ(Servicio().ValorDevuelto, vb::Variant("C3  "));  // sub-items are padded to 4
    ASSERT_TRUE(Servicio().Valores);
    EXPECT_EQ(*Servicio().Valores, (Coleccion{vb::Variant("Ciro"), vb::Variant("Zeta")}));
    EXPECT_EQ(Servicio().Cantidades, cantidadesDelDialogo);  // the dialog's own, empty
    ASSERT_TRUE(Servicio().Cantidades);
    EXPECT_TRUE(Servicio().Cantidades->empty());
    EXPECT_FALSE(cmps);
    EXPECT_TRUE(delLlamador->empty());
    EXPECT_FALSE(Servicio().Checks);
    EXPECT_EQ(Servicio().CampoDevuelto, "");
}

TEST_F(ConsultaSearchTest, CheckedRowsComeBackAndChecksIsReset) {
    Servicio().Checks = true;
    Servicio().CampoDevuelto = "CODIGO";
    AlMostrarLista([](Lib_FrmCons3& lista) {
        lista.ListView1->topLevelItem(0)->setCheckState(0, Qt::Checked);
        lista.ListView1->topLevelItem(2)->setCheckState(0, Qt::Checked);
        lista.CmdAceptar->click();
    });
    Servicio().ConsultaSearch("SELECT CODIGO, RAZON_SOCIAL FROM VT_CLIENTES ORDER BY CODIGO");
    ASSERT_TRUE(Servicio().Valores);
    EXPECT_EQ(*Servicio().Valores, (Coleccion{vb::Variant("C1"), vb::Variant("C3")}));
    EXPECT_FALSE(Servicio().Checks);
    EXPECT_EQ(Servicio().CampoDevuelto, "");
}

TEST_F(ConsultaSearchTest, CancelLeavesNoValues) {
    auto cmps = std::make_shared<Coleccion>(Coleccion{vb::Variant("CODIGO")});
    Servicio().ValorDevuelto = vb::Variant("viejo");
    AlMostrarLista([](Lib_FrmCons3& lista) { lista.CmdCancelar->click(); });
    Servicio().ConsultaSearch("SELECT CODIGO FROM VT_CLIENTES", &cmps);
    EXPECT_EQ(Servicio().ValorDevuelto, vb::Variant(""));
    EXPECT_FALSE(Servicio().Valores);
    EXPECT_FALSE(cmps);
}

// ---- The tree dialog ------------------------------------------------------------------------------

TEST_F(ConsultaSearchTest, TreeViewShowsTheTreeDialog) {
    Servicio().CampoDevuelto = "IDFAMILIA";
    Servicio().Checks = true;
    auto valores = std::make_shared<Coleccion>(Coleccion{vb::Variant("01")});
    auto cmps = std::make_shared<Coleccion>(Coleccion{vb::Variant("X")});
    std::string sql;
    bool casillas = false;
    std::string campoDevuelto;
    operator_.OnModal([&](QWidget& w) {
        auto& arbol = dynamic_cast<Lib_FrmCons3Tree&>(w);
        sql = arbol.SQL;
        casillas = arbol.CheckBoxes;
        campoDevuelto = arbol.CampoDevuelto;
        arbol.ValorDevuelto = vb::Variant("02");
        arbol.Valores = valores;
    });
    Servicio().ConsultaSearch("SELECT IDFAMILIA, DESCRIPCION FROM V_TA_FAMILIAS ORDER BY IDFAMILIA", &cmps, "",
                              nullptr, nullptr, "", true);
    EXPECT_EQ(sql, "SELECT IDFAMILIA, DESCRIPCION FROM V_TA_FAMILIAS ORDER BY IDFAMILIA");
    EXPECT_TRUE(casillas);
    EXPECT_EQ(campoDevuelto, "IDFAMILIA");
    EXPECT_EQ(Servicio().ValorDevuelto, vb::Variant("02"));
    EXPECT_EQ(Servicio().Valores, valores);
    EXPECT_FALSE(Servicio().Checks);
    EXPECT_EQ(Servicio().CampoDevuelto, "");
    EXPECT_FALSE(cmps);
}

}  // namespace
}  // namespace lookup
