// The configuration table: Cfg, the yes/no readings, the start-up keys, and
// the helpers that read configuration keys.
#include "foundation/comunes.h"
#include "foundation/configuracion.h"
#include "foundation/db_dll.h"
#include "foundation/session.h"
#include "session_fixture.h"
#include "vb/regional.h"

namespace foundation {
namespace {

class ConfiguracionTest : public testing::SessionTest {
protected:
    ~ConfiguracionTest() override { Db().gCnn.SetStatementLogger({}); }
    // Connects and records every statement the connection runs.
    void ConnectAndLog() {
        Connect("ana");
        Db().gCnn.SetStatementLogger([this](const std::string& sql) { statements_.push_back(sql); });
    }
    std::vector<std::string> statements_;
};

TEST(YesNoReadings, ThreeWaysOfReadingASwitch) {
    const struct {
        const char* value;
        bool si, definidoYNoNo, noNo;
    } cases[] = {
        {"SI", true, true, true},     {"si", true, true, true},    {" SI", false, true, true},
        {"NO", false, false, false},  {"No", false, false, false}, {" NO", false, true, false},
        {"", false, false, true},     {" ", false, false, true},   {"X", false, true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EsSI(c.value), c.si) << '"' << c.value << '"';
        EXPECT_EQ(DefinidoYNoEsNO(c.value), c.definidoYNoNo) << '"' << c.value << '"';
        EXPECT_EQ(NoEsNO(c.value), c.noNo) << '"' << c.value << '"';
    }
}

TEST_F(ConfiguracionTest, CfgGivesTheValueOrOneBlank) {
    Sql("INSERT INTO TA_CONFIGURACION VALUES ('UNO', ' a ', 'aux'), ('NULO', NULL, NULL), "
        "('O''Brien', 'quoted', ''), ('[FECHA DESDE]', '01/01/2024', '')");
    ConnectAndLog();
    gTablaConfiguracion = "  ";
    std::string aux = "kept";
    EXPECT_EQ(Cfg(" UNO ", aux), " a ");
    EXPECT_EQ(aux, "aux");
    EXPECT_EQ(gTablaConfiguracion, "TA_CONFIGURACION");
    EXPECT_EQ(Cfg("NULO", aux), "");
    EXPECT_EQ(aux, "");
    aux = "kept";
    EXPECT_EQ(Cfg("FALTA", aux), " ");
    EXPECT_EQ(aux, "");
    // A quote in the key is part of the key.
    EXPECT_EQ(Cfg("O'Brien", aux), "quoted");
    EXPECT_EQ(Cfg("x' OR '1'='1", aux), " ");
    EXPECT_TRUE(operator_.Shown().empty());

    gTablaConfiguracion = "ta_configuracion";
    statements_.clear();
    EXPECT_EQ(Cfg("[fecha desde]", aux), "01/01/2024");
    ASSERT_FALSE(statements_.empty());
    EXPECT_EQ(statements_.front(),
              "SELECT VALOR, VALORAUX FROM TA_CONFIGURACION WHERE CLAVE = '[FECHA DESDE]'");
}

TEST_F(ConfiguracionTest, CfgReportsAFailureAndGivesEmptyText) {
    ConnectAndLog();
    gTablaConfiguracion = "NO_SUCH_TABLE";
    // The recordset's own report, then Cfg's.
    operator_.AnswerMsgBox(ui::vbAbort).AnswerMsgBox(ui::vbRetry);
    std::string aux = "kept";
    EXPECT_EQ(Cfg("UNO", aux), "");
    EXPECT_EQ(aux, "kept");
    ASSERT_EQ(operator_.Shown().size(), 2u);
    EXPECT_NE(operator_.Shown()[1].title.find("Cfg"), std::string::npos);
}

TEST_F(ConfiguracionTest, MissingKeysTakeTheirDefaults) {
    Connect("ana");
    gUsuarioLogeado = "nadie";  // not in ta_usuarios (a server's log-in lets such a user in)
    LeeConfiguracion(Home());
    EXPECT_EQ(gTablaConfiguracion, "ta_configuracion");
    EXPECT_FALSE(gMostrarStockenConsultas);
    EXPECT_EQ(gTituloClientes, "");
    EXPECT_EQ(gArchivoTareas, Home() + "TSDOCTareas.tsm");
    EXPECT_EQ(gCantidadDecimales, " ");
    EXPECT_FALSE(gUsaCCosto);
    EXPECT_EQ(gUNegocio, "   1");
    EXPECT_EQ(gPeriodo, 0);
    EXPECT_FALSE(gValidaCodigoBarra);
    EXPECT_TRUE(gConfiguracionLeida);
    EXPECT_EQ(gColorFondo, 0xFFFF00);
    EXPECT_EQ(gColorLetra, 0);
    EXPECT_TRUE(gModuloOrdenDeTrabajo);
    EXPECT_FALSE(gV_ModificaCPrecio);
    EXPECT_FALSE(gMADERERA);
    EXPECT_EQ(gMAD_TIRAS, "");
    EXPECT_EQ(gMaxDto, vb::Currency());
    EXPECT_FALSE(gSSBloqueoActivo);
    EXPECT_EQ(gTopDefault, "1000");
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(ConfiguracionTest, ReadsEveryKindOfKey) {
    const std::pair<const char*, const char*> rows[] = {
        {"MostrarStockenConsultas", "si"}, {"TituloClientes", "  Clientes "}, {"USACCOSTO", " SI"},
        {"CantidadDecimales", " 3"},       {"UNIDADDEMEDIDA_KG", " KG "},     {"PERIODO", "2.5"},
        {"VALIDACODIGOBARRA", " si "},     {"CFondo", "255"},                 {"CLetra", "0"},
        {"ModuloOrdenDeTrabajo", "No"},    {"V_ModificaCPrecio", " NO"},      {"C_ModificaCPrecio", "NO"},
        {"MADERERA", "X"},                 {"MAD_TIRAS", " T "},              {"MaxDto", "12,5"},
        {"PideClave_StockNeg", ""},        {"SS_BloqueoActivo", "SI"},        {"Top_Default", " 50"},
    };
    for (const auto& [clave, valor] : rows) SetCfg(clave, valor);
    Connect("ana");
    gUsuarioLogeado = "ana";
    LeeConfiguracion(Home());
    EXPECT_TRUE(gMostrarStockenConsultas);
    EXPECT_EQ(gTituloClientes, "Clientes");
    EXPECT_FALSE(gUsaCCosto);  // the "SI" test does not trim
    EXPECT_EQ(gCantidadDecimales, " 3");
    EXPECT_EQ(gUnidadMedidaKG, "KG");
    EXPECT_EQ(gPeriodo, 2);  // halves to even
    EXPECT_TRUE(gValidaCodigoBarra);
    EXPECT_EQ(gColorFondo, 255);
    EXPECT_EQ(gColorLetra, 0);
    EXPECT_FALSE(gModuloOrdenDeTrabajo);
    EXPECT_TRUE(gV_ModificaCPrecio);
    EXPECT_FALSE(gC_ModificaCPrecio);
    EXPECT_TRUE(gMADERERA);
    EXPECT_EQ(gMAD_TIRAS, "T");
    EXPECT_EQ(gMaxDto, vb::Currency::FromTicks(125000));
    EXPECT_FALSE(gPideClaveStockNeg);
    EXPECT_TRUE(gSSBloqueoActivo);
    EXPECT_EQ(gTopDefault, " 50");
    EXPECT_EQ(gUNegocio, "2   ");
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(ConfiguracionTest, PeriodRoundsHalvesToEven) {
    const std::pair<const char*, int> cases[] = {{"3.5", 4}, {"2.5", 2}, {" 12 ", 12}, {"-1.5", -2}, {"32767", 32767}};
    Connect("ana");
    for (const auto& [valor, expected] : cases) {
        Sql("DELETE FROM TA_CONFIGURACION");
        SetCfg("PERIODO", valor);
        LeeConfiguracion(Home());
        EXPECT_EQ(gPeriodo, expected) << valor;
    }
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(ConfiguracionTest, AValueThatDoesNotReadTakesTheDefaultAndIsLogged) {
    const struct {
        const char* clave;
        const char* valor;
    } cases[] = {{"PERIODO", "abc"}, {"PERIODO", "40000"}, {"CFondo", "zz"}, {"CLetra", "9999999999"},
                 {"MaxDto", "10%"}};
    Connect("ana");
    for (const auto& c : cases) {
        Sql("DELETE FROM TA_CONFIGURACION");
        SetCfg(c.clave, c.valor);
        gPeriodo = 99;
        gColorFondo = 1;
        gColorLetra = 1;
        gMaxDto = vb::Currency::FromTicks(1);
        std::filesystem::remove(home_.File("TSERR.LOG"));
        LeeConfiguracion(Home());
        EXPECT_EQ(gPeriodo, 0);
        EXPECT_EQ(gColorFondo, 0xFFFF00);
        EXPECT_EQ(gColorLetra, 0);
        EXPECT_EQ(gMaxDto, vb::Currency());
        const std::string log = ErrorLog();
        EXPECT_NE(log.find(c.clave), std::string::npos) << log;
        EXPECT_NE(log.find(c.valor), std::string::npos) << log;
        EXPECT_NE(log.find("LeeConfiguracion"), std::string::npos) << log;
    }
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(ConfiguracionTest, TopDefaultOfBlanksIsAThousand) {
    SetCfg("Top_Default", "  ");
    Connect("ana");
    LeeConfiguracion(Home());
    EXPECT_EQ(gTopDefault, "1000");
}

TEST_F(ConfiguracionTest, BusinessUnitOfTheLoggedInUser) {
    Sql("INSERT INTO ta_usuarios (nombre, Administrador, UNegocio) VALUES ('bob', '0', NULL), ('eva', '0', '  ')");
    Connect("ana");
    const std::pair<const char*, const char*> cases[] = {{"ana", "2   "}, {"bob", "   1"}, {"eva", "   1"}, {"x", "   1"}};
    for (const auto& [user, expected] : cases) {
        gUsuarioLogeado = user;
        LeeConfiguracion(Home());
        EXPECT_EQ(gUNegocio, expected) << user;
    }
}

TEST_F(ConfiguracionTest, FormatoHoraDecimalUsesTheConfiguredSeparator) {
    Connect("ana");
    gTablaConfiguracion = "ta_configuracion";
    long horas = -1, mins = -1;
    EXPECT_EQ(FormatoHoraDecimal(125, horas, mins), "02:05");
    EXPECT_EQ(horas, 2);
    EXPECT_EQ(mins, 5);
    EXPECT_EQ(FormatoHoraDecimal(5, horas, mins), "00:05");
    EXPECT_EQ(horas, 0);
    EXPECT_EQ(mins, 5);

    SetCfg("SeparadorHora", "h");
    EXPECT_EQ(FormatoHoraDecimal(125, horas, mins), "02h05");

    Sql("UPDATE TA_CONFIGURACION SET VALOR = '.' WHERE CLAVE = 'SeparadorHora'");
    for (const char* decimal : {".", ","}) {
        vb::Regional regional;
        regional.decimalSeparator = decimal;
        regional.thousandsSeparator = std::string(decimal) == "." ? "," : ".";
        vb::ScopedRegional scoped(regional);
        horas = mins = -1;
        EXPECT_EQ(FormatoHoraDecimal(90, horas, mins), "1.50");
        EXPECT_EQ(FormatoHoraDecimal(30, horas, mins), ".50");
        EXPECT_EQ(horas, -1);
        EXPECT_EQ(mins, -1);
    }
}

}  // namespace
}  // namespace foundation
