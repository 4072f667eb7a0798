#include "session_fixture.h"

#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>

#include "foundation/configuracion.h"
#include "foundation/db_dll.h"
#include "foundation/session.h"

namespace foundation::testing {

namespace {

constexpr const char* kTables = R"(
CREATE TABLE ta_usuarios (
  nombre VARCHAR(50) COLLATE RTRIM PRIMARY KEY,
  Administrador VARCHAR(5),
  UNegocio CHAR(4)
);
CREATE TABLE TA_CONFIGURACION (
  CLAVE VARCHAR(100) COLLATE NOCASE,
  VALOR VARCHAR(255),
  VALORAUX VARCHAR(255)
);
INSERT INTO ta_usuarios (nombre, Administrador, UNegocio) VALUES ('ana', '1', '2');
)";

void Exec(const std::string& path, const std::string& sql, int flags) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        const std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + path + ": " + message);
    }
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error("SQL failed: " + message + "\n" + sql);
}

}  // namespace

void ResetSession() {
    DB_Dll& db = Db();
    db.gCnn.Close();
    db.gCnn.Errors().Clear();
    db.gOpenFlag = false;
    db.gProveedor.clear();
    db.gServidor.clear();
    db.gDBName.clear();
    db.gUsuario.clear();
    db.gEsAdmin = false;
    db.gUserPassWord.clear();
    db.gConnString.clear();
    db.gExtended.clear();
    db.gLogErr.clear();
    gUsuarioLogeado.clear();
    gCaja.clear();
    gConexionODBC.clear();
    gTablaConfiguracion.clear();
    gConfiguracionLeida = false;
    SetTerminaPrograma([](int code) { FAIL() << "the program was ended with status " << code; });
}

void SessionTest::CreateDatabase(const std::string& path) {
    Exec(path, kTables, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
}

SessionTest::SessionTest() {
    ResetSession();
    CreateDatabase(DbPath());
}

SessionTest::~SessionTest() {
    ResetSession();
    SetTerminaPrograma(nullptr);
}

void SessionTest::Sql(const std::string& sql) const { Exec(DbPath(), sql, SQLITE_OPEN_READWRITE); }

void SessionTest::SetCfg(const std::string& clave, const std::string& valor) const {
    auto quoted = [](const std::string& s) {
        std::string out = "'";
        for (char c : s) out += c == '\'' ? std::string("''") : std::string(1, c);
        return out + "'";
    };
    Sql("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES (" + quoted(clave) + ", " + quoted(valor) + ")");
}

void SessionTest::Connect(const std::string& user) {
    DB_Dll& db = Db();
    db.gServidor = "local";
    db.gDBName = DbPath();
    db.gUsuario = user;
    std::string built;
    db.OpenServerADODB(false, 3, built, true);
    ASSERT_TRUE(db.gOpenFlag);
    ASSERT_EQ(db.gCnn.State(), 1);
}

std::string SessionTest::ErrorLog() const {
    const auto path = home_.Path() / "TSERR.LOG";
    return std::filesystem::exists(path) ? testsupport::ReadFile(path) : std::string();
}

}  // namespace foundation::testing
