// The main window's start-up on a database file: the tables it checks before
// it uses the file, and damage start-up does not read, found by the list.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "authorization/frm_autorizar_np_bloq.h"
#include "foundation/db_dll.h"
#include "foundation/session.h"
#include "support.h"
#include "ui/msgbox.h"

namespace authorization {
namespace {

// Start-up with the process command line naming a database file; the program's
// end is an exception here.
class ArranqueTest : public ::testing::Test {
protected:
    struct Fin {
        int codigo;
    };
    ArranqueTest() {
        foundation::SetTerminaPrograma([](int codigo) { throw Fin{codigo}; });
    }
    ~ArranqueTest() override {
        foundation::Db().gCnn.Close();
        foundation::Db().gOpenFlag = false;
        foundation::SetTerminaPrograma(nullptr);
    }

    void Sql(const std::string& sql) const {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(archivo_.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
    // Form_Load as main runs it; the exit status, or -1 when it did not end the program.
    int Arranca() {
        std::string programa = "tarvolin";
        std::string linea = "@server=local;@dbname=" + archivo_ + ";@usuario=ana;@Password=;";
        char* argv[] = {programa.data(), linea.data()};
        foundation::SetLineaComandoProceso(2, argv);
        try {
            ventana_.Form_Load();
        } catch (const Fin& fin) {
            return fin.codigo;
        }
        return -1;
    }
    std::vector<std::string> LineasDelLog() const {
        const std::filesystem::path log = home_.Path() / "TSERR.LOG";
        std::vector<std::string> lineas;
        if (!std::filesystem::exists(log)) return lineas;
        const std::string texto = testsupport::ReadFile(log);
        for (std::size_t desde = 0; desde < texto.size();) {
            const std::size_t fin = std::min(texto.find('\n', desde), texto.size());
            lineas.push_back(texto.substr(desde, fin - desde));
            desde = fin + 1;
        }
        return lineas;
    }

    testsupport::TempDir home_;
    testsupport::ScopedEnv homeEnv_{"TARVOLIN_HOME", home_.Path().string()};
    std::string archivo_ = home_.File("empresa.db");
    ui::ScriptedOperator operador_;
    FrmAutorizarNPBloq ventana_;
};

// The session's tables are not enough: a file without the window's own is
// refused before anything is written to it.
TEST_F(ArranqueTest, AFileWithTheSessionsTablesButNotTheWindowsIsRefusedAndLeftAsItWas) {
    Sql("CREATE TABLE ta_usuarios (nombre VARCHAR(50) COLLATE RTRIM PRIMARY KEY, Administrador VARCHAR(5), "
        "UNegocio CHAR(4)); CREATE TABLE TA_CONFIGURACION (CLAVE VARCHAR(100) COLLATE NOCASE, VALOR VARCHAR(255), "
        "VALORAUX VARCHAR(255)); INSERT INTO ta_usuarios VALUES ('ana', '1', '2');");
    const std::string antes = testsupport::ReadFile(archivo_);
    operador_.AnswerMsgBox(ui::vbNo);

    EXPECT_EQ(Arranca(), foundation::kSalidaSinConexion);

    ASSERT_EQ(operador_.Shown().size(), 1u);
    const std::string& texto = operador_.Shown()[0].prompt;
    EXPECT_NE(texto.find("a la base de datos le faltan las tablas V_MV_CPTE, V_MV_CPTEACCIONES: " + archivo_),
              std::string::npos)
        << texto;
    EXPECT_EQ(LineasDelLog().size(), 1u);
    EXPECT_EQ(testsupport::ReadFile(archivo_), antes);
    for (const char* lado : {"-wal", "-shm", "-journal"}) EXPECT_FALSE(std::filesystem::exists(archivo_ + lado));
}

// Pages of the list that start-up does not read are damaged: the program
// starts, and the list's first read of them tells the user, in Spanish, with
// a line in the error log.
TEST_F(ArranqueTest, DamageStartUpDoesNotReadIsReportedWhenTheListReadsIt) {
    Sql(testsupport::ReadFile(testsupport::SourceDir() / "db" / "schema.sql"));
    Sql("INSERT INTO ta_usuarios (nombre, Administrador) VALUES ('ana', '1');"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
        "INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, FECHA, FECHAESTFIN, NOMBRE, IMPORTE, OBSERVACIONES, "
        "BLOQUEADA) SELECT i, 'NP', printf('0001-%08d', i), '2024-01-01 00:00:00', '2024-02-01 00:00:00', "
        "'Cliente ' || i, i, printf('%060d', i), 1 FROM n;");
    // The pages written after the schema's roots, but for the last ones.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(archivo_.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT MAX(rootpage), (SELECT page_size FROM pragma_page_size) FROM sqlite_schema", -1,
                       &st, nullptr);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    const std::size_t raices = static_cast<std::size_t>(sqlite3_column_int(st, 0));
    const std::size_t pagina = static_cast<std::size_t>(sqlite3_column_int(st, 1));
    sqlite3_finalize(st);
    sqlite3_close(db);
    std::string bytes = testsupport::ReadFile(archivo_);
    ASSERT_GT(bytes.size(), (raices + 20) * pagina);
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>((raices + 2) * pagina),
              bytes.end() - static_cast<std::ptrdiff_t>(4 * pagina), '\x5A');
    testsupport::WriteFile(archivo_, bytes);
    for (int i = 0; i < 8; ++i) operador_.AnswerMsgBox(ui::vbOK);

    EXPECT_EQ(Arranca(), -1);

    ASSERT_FALSE(operador_.Shown().empty());
    const std::string& texto = operador_.Shown()[0].prompt;
    EXPECT_NE(texto.find("la base de datos está dañada ("), std::string::npos) << texto;
    const std::vector<std::string> log = LineasDelLog();
    EXPECT_EQ(log.size(), operador_.Shown().size());
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log[0].find("la base de datos está dañada ("), std::string::npos) << log[0];
}

}  // namespace
}  // namespace authorization
