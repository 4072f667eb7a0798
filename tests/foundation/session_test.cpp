// Session start-up from the command line, the log-in dialog or the
// configuration file, and the set-up after connecting.
#include <QLineEdit>
#include <QPushButton>
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "foundation/configuracion.h"
#include "foundation/db_dll.h"
#include "foundation/frm_acceso.h"
#include "foundation/session.h"
#include "helpers/helpers.h"
#include "lookup/lib_clscons3.h"
#include "session_fixture.h"
#include "vb/text.h"

namespace foundation {
namespace {

// The terminal name: "PC|USER" in upper case, at most 50 characters.
std::string Terminal() {
    const helpers::ClsEstacion& e = helpers::gEstacion();
    return vb::Left(vb::UCase(e.NombrePC()) + "|" + vb::UCase(e.NombreUsuario()), 50);
}

class IniciaSesionTest : public testing::SessionTest {
protected:
    IniciaSesionTest() {
        const char* argv[] = {"tarvolin"};
        SetLineaComandoProceso(1, argv);
    }

    void Start(std::string line, bool usarIni = false) {
        std::string cadena;
        Start(std::move(line), cadena, usarIni);
    }
    void Start(std::string line, std::string& cadena, bool usarIni = false) {
        SetTerminaPrograma([this](int code) { exitCode_ = code; });
        IniciaSesion(usarIni, line, cadena);
    }

    std::string Line(const std::string& database, const std::string& extra = "") const {
        return "@server=local;@dbname=" + database + ";@usuario=ana;@Password=;" + extra;
    }
    std::string ConsultasPath() const { return home_.File("consultas.tsm"); }
    std::size_t ModalsShown() const {
        std::size_t n = 0;
        for (const ui::RecordedBox& box : operator_.Shown()) n += box.kind == "ShowModal";
        return n;
    }

    std::optional<int> exitCode_;
};

TEST_F(IniciaSesionTest, ACommandLineConnectsWithoutTheDialog) {
    SetCfg("PERIODO", "7");
    Start(Line(DbPath(), " @UsuarioLogeado=someone; @ParametroAdicional=OC|12;"));

    const DB_Dll& db = Db();
    EXPECT_FALSE(exitCode_);
    EXPECT_EQ(ModalsShown(), 0u);
    EXPECT_TRUE(operator_.Shown().empty());
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.gCnn.State(), 1);
    EXPECT_EQ(db.gServidor, "local");
    EXPECT_EQ(db.gDBName, DbPath());
    EXPECT_EQ(db.gConnString, "PROVIDER=SQLOLEDB;Server=local;Database =" + DbPath() + ";UId=ana;Pwd=;");
    EXPECT_TRUE(db.gEsAdmin);
    EXPECT_EQ(gUsuarioLogeado, "ana");  // the user connected, not the key's value
    EXPECT_EQ(gParametroAdicional, "OC|12");
    EXPECT_EQ(gCaja, "1");
    EXPECT_EQ(db.gCnn.CommandTimeout(), 360);
    EXPECT_EQ(db.gCnn.IsolationLevel(), 256);
    EXPECT_EQ(gConexionODBC, "DSN=" + DbPath() + "; UID=ana; PWD=");
    EXPECT_EQ(db.gCnn.DefaultDatabase(), DbPath());

    // The set-up after connecting; the lookup service takes the session's settings.
    EXPECT_EQ(gRutaMascaraConsultas, Home() + "consultas.tsm");
    const lookup::Lib_ClsCons3& consultas = lookup::gConsultas();
    EXPECT_EQ(consultas.gConnString, db.gConnString);
    EXPECT_TRUE(consultas.gUsarMascarasConsultas);
    EXPECT_EQ(consultas.gRutaMascaraConsultas, Home() + "consultas.tsm");
    EXPECT_EQ(std::filesystem::file_size(ConsultasPath()), 9616u);
    EXPECT_TRUE(gConfiguracionLeida);
    EXPECT_EQ(gPeriodo, 7);
    EXPECT_EQ(gArchivoTareas, Home() + "TSDOCTareas.tsm");
    EXPECT_EQ(helpers::gEntorno().RutaApp(), Home());

    // No INI file: toolbar style 1; the terminal is the workstation's.
    EXPECT_EQ(vb::CDbl(gEstiloToolbar), 1.0);
    EXPECT_EQ(gTerminal, Terminal());
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(IniciaSesionTest, AnEmptyLineAsksThroughTheLogInDialog) {
    operator_.OnModal([&](QWidget& widget) {
        auto& form = dynamic_cast<frmAcceso&>(widget);
        form.TxtServidor->setText("local");
        form.TxtDbName->setText(QString::fromStdString(DbPath()));
        form.TxtUserId->setText("ana");
        form.bcAceptar->click();
    });
    Start("");
    EXPECT_FALSE(exitCode_);
    EXPECT_EQ(ModalsShown(), 1u);
    EXPECT_TRUE(Db().gOpenFlag);
    EXPECT_EQ(gUsuarioLogeado, "ana");
    EXPECT_EQ(gCaja, "1");
    EXPECT_TRUE(gConfiguracionLeida);
}

TEST_F(IniciaSesionTest, TheProcessCommandLineIsReadWhenNoneIsGiven) {
    const std::string arg = Line(DbPath());
    const char* argv[] = {"tarvolin", arg.c_str()};
    SetLineaComandoProceso(2, argv);
    Start("");
    EXPECT_FALSE(exitCode_);
    EXPECT_EQ(ModalsShown(), 0u);
    EXPECT_EQ(gUsuarioLogeado, "ana");
}

TEST_F(IniciaSesionTest, CancellingTheLogInEndsTheProgram) {
    operator_.OnModal([](QWidget& widget) { dynamic_cast<frmAcceso&>(widget).bcCancelar->click(); });
    Start("");
    EXPECT_EQ(exitCode_, kSalidaSinConexion);
    EXPECT_FALSE(Db().gOpenFlag);
    // Nothing after the connection ran.
    EXPECT_FALSE(std::filesystem::exists(ConsultasPath()));
    EXPECT_FALSE(gConfiguracionLeida);
}

// On SQLite a user who is not in ta_usuarios is refused: one message, the
// program ends, and nothing after the connection runs.
TEST_F(IniciaSesionTest, AUserNotInTheUsersTableEndsTheProgramOnSqlite) {
    operator_.AnswerMsgBox(ui::vbOK);
    Start("@server=local;@dbname=" + DbPath() + ";@usuario=intruso;@Password=;");
    EXPECT_EQ(exitCode_, kSalidaSinConexion);
    EXPECT_FALSE(Db().gOpenFlag);
    EXPECT_EQ(Db().gCnn.State(), 0);
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_NE(operator_.Shown()[0].prompt.find("\"intruso\" no figura en la tabla ta_usuarios"), std::string::npos);
    EXPECT_EQ(ModalsShown(), 0u);
    EXPECT_NE(ErrorLog().find("intruso"), std::string::npos);
    EXPECT_EQ(gUsuarioLogeado, "");
    EXPECT_FALSE(std::filesystem::exists(ConsultasPath()));
    EXPECT_FALSE(gConfiguracionLeida);
}

TEST_F(IniciaSesionTest, AMissingDatabaseFileShowsTheConnectionError) {
    const std::string missing = home_.File("x.db");
    operator_.AnswerMsgBox(ui::vbNo);
    Start(Line(missing));
    EXPECT_EQ(exitCode_, kSalidaSinConexion);
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_EQ(operator_.Shown()[0].title, " Error de Conexion a Base de Datos");
    EXPECT_NE(operator_.Shown()[0].prompt.find("Descripcion: "), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_FALSE(std::filesystem::exists(ConsultasPath()));
}

// A file that is not the program's database: one message naming the file and
// what is wrong, one line in the error log, the program ends, and the file is
// byte for byte as it was, with no journal or WAL files beside it.
TEST_F(IniciaSesionTest, AFileThatIsNotTheProgramsDatabaseIsReportedOnceAndLeftAsItWas) {
    const std::string otra = home_.File("otra.db");
    sqlite3* conexion = nullptr;
    ASSERT_EQ(sqlite3_open(otra.c_str(), &conexion), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(conexion,
                           "CREATE TABLE notas (texto TEXT); CREATE TABLE ta_usuarios (nombre TEXT); "
                           "INSERT INTO notas VALUES ('hola');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(conexion);
    const std::string antes = testsupport::ReadFile(otra);
    operator_.AnswerMsgBox(ui::vbNo);

    Start(Line(otra));

    EXPECT_EQ(exitCode_, kSalidaSinConexion);
    ASSERT_EQ(operator_.Shown().size(), 1u);
    const std::string& texto = operator_.Shown()[0].prompt;
    EXPECT_NE(texto.find("a la base de datos le faltan las tablas TA_CONFIGURACION: " + otra), std::string::npos) << texto;
    const std::string log = ErrorLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find("Rutina: - OpenServerADODB Mensaje Estado de Sql: 08001 "), std::string::npos) << log;
    EXPECT_NE(log.find(otra), std::string::npos) << log;
    EXPECT_NE(log.find("Respondió : No"), std::string::npos) << log;
    EXPECT_EQ(testsupport::ReadFile(otra), antes);
    EXPECT_FALSE(std::filesystem::exists(otra + "-wal"));
    EXPECT_FALSE(std::filesystem::exists(otra + "-shm"));
    EXPECT_FALSE(std::filesystem::exists(otra + "-journal"));
}

// A start-up that fails tells why in Spanish (the engine's own words may
// follow in parentheses), whatever the database name stands for, without
// ever waiting on it: one connection error box, the program ends, and the
// file is left as it was.
TEST_F(IniciaSesionTest, AStartThatFailsSaysWhyInSpanish) {
    const std::string carpeta = home_.File("carpeta.db");
    std::filesystem::create_directory(carpeta);
    const std::string tuberia = home_.File("tuberia.db");
    ASSERT_EQ(mkfifo(tuberia.c_str(), 0600), 0);
    // A database written in a schema format newer than the engine reads.
    const std::string nueva = home_.File("nueva.db");
    CreateDatabase(nueva);
    std::string bytes = testsupport::ReadFile(nueva);
    bytes[47] = 9;
    testsupport::WriteFile(nueva, bytes);
    struct Caso {
        std::string nombre;
        std::string motivo;
    };
    const Caso casos[] = {
        {carpeta, "no es un archivo sino una carpeta: " + carpeta},
        {tuberia, "no es un archivo sino una tubería (FIFO): " + tuberia},
        {nueva, "la base de datos tiene un formato que el programa no lee (unsupported file format): " + nueva},
        {std::string(40000, 'd'), "la cadena de conexión es demasiado larga"},
        // Names longer than the system allows: one part of the path, and the
        // whole path (130,000 characters).
        {home_.File(std::string(300, 'n') + ".db"),
         "no se pudo abrir el archivo (el nombre es demasiado largo): " + home_.File(std::string(300, 'n') + ".db")},
        {home_.File(std::string(130000, 'd') + ".db"),
         "no se pudo abrir el archivo (el nombre es demasiado largo): " + home_.File(std::string(130000, 'd') + ".db")},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.motivo);
        testing::ResetSession();
        operator_.ClearShown();
        exitCode_.reset();
        std::error_code ec;
        const std::string antes =
            std::filesystem::is_regular_file(caso.nombre, ec) ? testsupport::ReadFile(caso.nombre) : "";
        operator_.AnswerMsgBox(ui::vbNo);
        Start(Line(caso.nombre));
        EXPECT_EQ(exitCode_, kSalidaSinConexion);
        ASSERT_EQ(operator_.Shown().size(), 1u);
        EXPECT_EQ(operator_.Shown()[0].title, " Error de Conexion a Base de Datos");
        const std::string& texto = operator_.Shown()[0].prompt;
        EXPECT_NE(texto.find("Descripcion: " + caso.motivo + "\r"), std::string::npos) << texto.substr(0, 300);
        // The whole text goes to the error log, however long.
        EXPECT_NE(ErrorLog().find(caso.motivo), std::string::npos);
        if (!antes.empty()) {
            EXPECT_EQ(testsupport::ReadFile(caso.nombre), antes);
        }
    }
}

// Another station holding the file: a write under way in rollback-journal
// mode, so that no other station may read it until it ends.
class EstacionQueEscribe {
public:
    explicit EstacionQueEscribe(const std::string& archivo) {
        EXPECT_EQ(sqlite3_open(archivo.c_str(), &db_), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db_, "PRAGMA journal_mode=DELETE; BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db_);
    }
    ~EstacionQueEscribe() { Cierra(); }
    // The write ends and the station closes the file.
    void Cierra() {
        if (!db_) return;
        sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
        db_ = nullptr;
    }

private:
    sqlite3* db_ = nullptr;
};

// The user at the notice of a wait: gives up at its first showing, or sees
// it shown `vecesAntesDeCerrar` times and then the other station closes.
class OperadorQueEspera : public ui::ScriptedOperator {
public:
    explicit OperadorQueEspera(EstacionQueEscribe& estacion, int vecesAntesDeCerrar)
        : estacion_(estacion), vecesAntesDeCerrar_(vecesAntesDeCerrar) {}
    bool Waiting(const std::string& prompt, const std::string& title) override {
        const bool sigue = ScriptedOperator::Waiting(prompt, title);
        if (++veces_ == vecesAntesDeCerrar_) estacion_.Cierra();
        return sigue;
    }
    int veces_ = 0;

private:
    EstacionQueEscribe& estacion_;
    int vecesAntesDeCerrar_;
};

// A start on a file another station holds shows, in Spanish, that it waits
// for it; the user may give up (the connection error box then says why, and
// the program ends, the file left as it was), or the start goes on and
// opens the file once the other station closes it, at whatever moment of
// the opening's retries that happens.
TEST_F(IniciaSesionTest, AStartOnAFileAnotherStationHoldsShowsThatItWaitsAndLetsTheUserGiveUp) {
    {
        EstacionQueEscribe estacion(DbPath());
        OperadorQueEspera operador(estacion, 0);
        operador.GiveUpWaitingAfter(1).AnswerMsgBox(ui::vbNo);
        Start(Line(DbPath()));
        EXPECT_EQ(exitCode_, kSalidaSinConexion);
        ASSERT_EQ(operador.Shown().size(), 2u);
        EXPECT_EQ(operador.Shown()[0].kind, "Waiting");
        EXPECT_NE(operador.Shown()[0].prompt.find("Esperando la base de datos " + DbPath() +
                                                  ":\notra estación la tiene bloqueada"),
                  std::string::npos)
            << operador.Shown()[0].prompt;
        EXPECT_EQ(operador.Shown()[1].title, " Error de Conexion a Base de Datos");
        EXPECT_NE(operador.Shown()[1].prompt.find("la base está bloqueada por otro usuario"), std::string::npos)
            << operador.Shown()[1].prompt;
        EXPECT_NE(ErrorLog().find("la base está bloqueada por otro usuario"), std::string::npos);
        EXPECT_FALSE(Db().gOpenFlag);
    }
    for (const int veces : {1, 2, 5}) {
        SCOPED_TRACE(veces);
        testing::ResetSession();
        exitCode_.reset();
        EstacionQueEscribe estacion(DbPath());
        OperadorQueEspera operador(estacion, veces);
        Start(Line(DbPath()));
        EXPECT_FALSE(exitCode_);
        EXPECT_TRUE(Db().gOpenFlag);
        EXPECT_EQ(operador.veces_, veces);
        ASSERT_EQ(operador.Shown().size(), 1u);  // the notice, once
        EXPECT_EQ(operador.Shown()[0].kind, "Waiting");
        EXPECT_TRUE(gConfiguracionLeida);
    }
}

// A configuration file that is no regular file (a FIFO would hold the
// program for good) is reported once; start-up goes on with its defaults.
TEST_F(IniciaSesionTest, AConfigurationFileThatIsAFifoIsReportedAndStartUpGoesOn) {
    ASSERT_EQ(mkfifo(home_.File("ZE000va.INI").c_str(), 0600), 0);
    operator_.AnswerMsgBox(ui::vbOK);
    Start(Line(DbPath()));
    EXPECT_FALSE(exitCode_);
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_NE(operator_.Shown()[0].prompt.find("No se lee la configuración: " + home_.File("ZE000va.INI") +
                                               " no es un archivo sino una tubería (FIFO)"),
              std::string::npos)
        << operator_.Shown()[0].prompt;
    EXPECT_NE(ErrorLog().find("no es un archivo sino una tubería (FIFO)"), std::string::npos);
    EXPECT_EQ(vb::CDbl(gEstiloToolbar), 1.0);
    EXPECT_TRUE(Db().gOpenFlag);
    EXPECT_TRUE(gConfiguracionLeida);
}

TEST_F(IniciaSesionTest, RetryingAfterAConnectionErrorGoesThroughTheDialog) {
    const std::string notSqlite = home_.File("x.db");
    testsupport::WriteFile(notSqlite, std::string(2048, 'x'));
    operator_.AnswerMsgBox(ui::vbYes).OnModal([&](QWidget& widget) {
        auto& form = dynamic_cast<frmAcceso&>(widget);
        form.TxtDbName->setText(QString::fromStdString(DbPath()));
        form.bcAceptar->click();
    });
    Start(Line(notSqlite));
    EXPECT_FALSE(exitCode_);
    EXPECT_TRUE(Db().gOpenFlag);
    EXPECT_EQ(Db().gDBName, DbPath());
    EXPECT_TRUE(gConfiguracionLeida);
    EXPECT_EQ(testsupport::ReadFile(notSqlite), std::string(2048, 'x'));
}

TEST_F(IniciaSesionTest, AnOracleServerBuildsTheOracleString) {
    std::string cadena;
    Start("@server=#ORCL;@dbname=" + DbPath() + ";@usuario=ana;@Password=p;w;", cadena);
    // The Oracle data source is the database name (here an SQLite file).
    EXPECT_EQ(cadena, "Provider=OraOLEDB.Oracle.1;Data Source=" + DbPath() + ";User Id=ana;Password=p;");
    EXPECT_EQ(Db().gServidor, "ORCL");
    EXPECT_EQ(Db().gConnString, cadena);
    EXPECT_TRUE(Db().gOpenFlag);
}

TEST_F(IniciaSesionTest, AnOracleSourceThatCannotBeOpenedShowsTheDriversMessage) {
    // Oracle goes through an ODBC data source; none is defined on this machine.
    const testsupport::ScopedEnv noUserDsn("ODBCINI", home_.File("odbc.ini"));
    operator_.AnswerMsgBox(ui::vbNo);
    Start("@server=#ORCL;@dbname=TARVOLIN_NO_SUCH_SOURCE;@usuario=ana;@Password=p;");

    EXPECT_EQ(exitCode_, kSalidaSinConexion);
    EXPECT_FALSE(Db().gOpenFlag);
    ASSERT_EQ(operator_.Shown().size(), 1u);
    const ui::RecordedBox& box = operator_.Shown()[0];
    EXPECT_EQ(box.title, " Error de Conexion a Base de Datos");
    EXPECT_EQ(box.style, ui::vbYesNo | ui::vbCritical);
    // The driver manager's own state and message reach the user.
    EXPECT_NE(box.prompt.find(" Estado de Sql: IM002"), std::string::npos) << box.prompt;
    EXPECT_NE(box.prompt.find("Data source name not found"), std::string::npos) << box.prompt;
    EXPECT_NE(box.prompt.find(" - Desea Intentarlo Nuevamente??? "), std::string::npos);
}

TEST_F(IniciaSesionTest, AnUnwritableDefinitionFileIsReportedAndStartUpGoesOn) {
    // A dangling link: the file does not exist and cannot be created.
    std::filesystem::create_symlink(home_.File("missing/consultas.tsm"), ConsultasPath());
    operator_.AnswerMsgBox(ui::vbOK);
    Start(Line(DbPath()));

    EXPECT_FALSE(exitCode_);
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_EQ(operator_.Shown()[0].style & 0xF0, ui::vbCritical);
    EXPECT_NE(operator_.Shown()[0].title.find("IniciaSesion"), std::string::npos);
    EXPECT_NE(ErrorLog().find("IniciaSesion"), std::string::npos) << ErrorLog();
    // The steps that do not depend on the file still ran.
    EXPECT_TRUE(gConfiguracionLeida);
    EXPECT_EQ(Db().gCnn.DefaultDatabase(), DbPath());
}

TEST_F(IniciaSesionTest, AnExistingDefinitionFileIsLeftAlone) {
    testsupport::WriteFile(ConsultasPath(), "x");
    Start(Line(DbPath()));
    EXPECT_EQ(testsupport::ReadFile(ConsultasPath()), "x");
}

TEST_F(IniciaSesionTest, AnOpenConnectionSkipsTheCommandLine) {
    Connect("ana");
    Start("@server=other;@dbname=other.db;@usuario=bob;@Caja=5;");
    EXPECT_FALSE(exitCode_);
    EXPECT_EQ(Db().gDBName, DbPath());
    EXPECT_EQ(gCaja, "");  // the keys were not read
    EXPECT_EQ(gConexionODBC, "DSN=" + DbPath() + "; UID=ana; PWD=");
    EXPECT_TRUE(gConfiguracionLeida);
    EXPECT_EQ(Db().gCnn.DefaultDatabase(), DbPath());
}

TEST_F(IniciaSesionTest, AnEmptyDatabaseNameReadsNoConfiguration) {
    Connect("ana");
    Db().gDBName.clear();
    Db().gCnn.SetDefaultDatabase("before");
    Start("");
    EXPECT_FALSE(gConfiguracionLeida);
    EXPECT_EQ(Db().gCnn.DefaultDatabase(), "");
}

// The database section of the configuration file, for this workstation.
std::string Seccion() {
    const helpers::ClsEstacion& e = helpers::gEstacion();
    return vb::UCase(e.NombrePC()) + "|" + vb::UCase(e.NombreUsuario()) + "BaseDeDatos";
}

TEST_F(IniciaSesionTest, TheConfigurationFileStandsInForAnEmptyLine) {
    const helpers::ClsFunciones& f = helpers::gFunciones();
    testsupport::WriteFile(home_.File("ZE000va.INI"),
                           "[" + Seccion() + "]\nServidor=lo|cal\nDbName=" + DbPath() +
                               "\nUsuario=" + f.CodificaClave("ana") + "\nUserPassWord=" + f.CodificaClave("") +
                               "\n");
    Start("", true);
    EXPECT_FALSE(exitCode_);
    EXPECT_EQ(ModalsShown(), 0u);
    EXPECT_EQ(Db().gServidor, "local");
    EXPECT_EQ(Db().gUsuario, "ana");
    EXPECT_EQ(gCaja, "1");
}

TEST_F(IniciaSesionTest, TheConfigurationFileHasNoBuiltInCredentials) {
    testsupport::WriteFile(home_.File("ZE000va.INI"),
                           "[" + Seccion() + "]\nServidor=local\nDbName=" + DbPath() + "\n");
    operator_.AnswerMsgBox(ui::vbOK);  // no user: on SQLite the log-in is refused
    Start("", true);
    EXPECT_EQ(exitCode_, kSalidaSinConexion);
    EXPECT_EQ(Db().gUsuario, "");
    EXPECT_EQ(Db().gUserPassWord, "");
    EXPECT_EQ(Db().gConnString, "PROVIDER=SQLOLEDB;Server=local;Database =" + DbPath() + ";UId=;Pwd=;");
}

TEST_F(IniciaSesionTest, TheToolbarStyleIsTheLeadingNumber) {
    for (const auto& [value, expected] : {std::pair{"0", 0.0}, {"2.5x", 2.5}, {"abc", 0.0}}) {
        testsupport::WriteFile(home_.File("ZE000va.INI"), "[" + Terminal() + "]\nFlatToolbars=" + value + "\n");
        testing::ResetSession();
        Start(Line(DbPath()));
        EXPECT_EQ(vb::CDbl(gEstiloToolbar), expected) << value;
    }
}

}  // namespace
}  // namespace foundation
