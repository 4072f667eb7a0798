// Opening an SQLite file: what is checked before the program uses it, what a
// file that fails is left as, files the program may not write, and stations
// opening the file at once.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "db_test_support.h"
#include "db/adodb.h"
#include "vb/variant.h"

namespace {

using adodb::Connection;
using dbtest::ErrorOf;
using dbtest::Scalar;

std::string Url(const std::string& path) { return "Provider=SQLOLEDB;Data Source=" + path; }

// Runs SQL on a file directly, outside the layer.
void ExecDirect(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// Every file of a folder by name, with its bytes.
std::map<std::string, std::string> FilesIn(const std::filesystem::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        files[entry.path().filename()] = testsupport::ReadFile(entry.path());
    }
    return files;
}

// A database in WAL mode built by `sql`, left as a program that stopped
// without closing it leaves it: its write-ahead log and the log's index
// beside it, holding what was written.
void WithLeftOverLog(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, ("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;" + sql).c_str(), nullptr,
                           nullptr, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(db);
    std::map<std::string, std::string> left;
    for (const char* side : {"", "-wal", "-shm"}) left[path + side] = testsupport::ReadFile(path + side);
    sqlite3_close(db);  // checkpoints and removes the log; it is put back as it was
    for (const auto& [file, bytes] : left) testsupport::WriteFile(file, bytes);
}

// Overwrites bytes [from, to) of a file.
void Damage(const std::string& path, std::size_t from, std::size_t to) {
    std::string bytes = testsupport::ReadFile(path);
    ASSERT_GT(bytes.size(), to);
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.begin() + static_cast<std::ptrdiff_t>(to),
              '\x5A');
    testsupport::WriteFile(path, bytes);
}

constexpr const char* kTwoThousandRows =
    "CREATE TABLE V_MV_CPTE (ID INT, TEXTO VARCHAR(100)); CREATE TABLE V_MV_CPTEACCIONES (ID INT);"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
    "INSERT INTO V_MV_CPTE SELECT i, printf('%080d', i) FROM n;";

// A file is used only after it proved to be a database that reads and holds
// the tables asked for; any other is left byte for byte as it was, and so are
// the files beside it, and nothing is created beside it.
TEST(AbrirSqlite, AFileThatIsNotTheDatabaseAskedForIsLeftUntouched) {
    const testsupport::TempDir dir;
    const std::string missing = dir.File("missing.db");
    const std::string foreign = dir.File("notes.db");
    const std::string empty = dir.File("empty.db");
    const std::string other = dir.File("other.db");
    const std::string damaged = dir.File("damaged.db");
    const std::string walLeft = dir.File("wal-left.db");
    const std::string walClosed = dir.File("wal-closed.db");
    testsupport::WriteFile(foreign, "These are notes, not a database.\n");
    testsupport::WriteFile(empty, "");
    ExecDirect(other, "CREATE TABLE V_MV_CPTE (ID INT); CREATE TABLE notas (texto TEXT);");
    // The header reads, the schema on the first page does not.
    ExecDirect(damaged, kTwoThousandRows);
    Damage(damaged, 100, 4096);
    // Another program's databases in WAL mode, one with a log left beside it.
    WithLeftOverLog(walLeft, "CREATE TABLE notas (texto TEXT); INSERT INTO notas VALUES ('hola');");
    ExecDirect(walClosed, "PRAGMA journal_mode=WAL; CREATE TABLE notas (texto TEXT);");
    ASSERT_TRUE(std::filesystem::exists(walLeft + "-wal") && std::filesystem::exists(walLeft + "-shm"));

    struct Case {
        std::string path;
        std::vector<std::string> tables;
        std::string message;
    };
    const Case cases[] = {
        {missing, {}, "no se pudo abrir el archivo"},
        {foreign, {}, "el archivo no es una base de datos"},
        {empty, {}, "no es una base de datos"},
        {other, {"v_mv_cpte", "V_MV_CPTEACCIONES", "ta_usuarios"},
         "a la base de datos le faltan las tablas V_MV_CPTEACCIONES, ta_usuarios"},
        {damaged, {"V_MV_CPTE"}, "la base de datos está dañada"},
        {walLeft, {"V_MV_CPTE"}, "a la base de datos le faltan las tablas V_MV_CPTE"},
        {walClosed, {"V_MV_CPTE"}, "a la base de datos le faltan las tablas V_MV_CPTE"},
    };
    const std::map<std::string, std::string> before = FilesIn(dir.Path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Connection cn;
        cn.RequireTables(c.tables);
        const vb::Error e = ErrorOf([&] { cn.Open(Url(c.path)); });
        EXPECT_EQ(e.Number(), adodb::kErrFail);
        EXPECT_NE(e.Description().find(c.message), std::string::npos) << e.Description();
        EXPECT_NE(e.Description().find(c.path), std::string::npos) << e.Description();
        EXPECT_EQ(e.Source(), "SQLite");
        EXPECT_EQ(e.SQLState(), "08001");
        EXPECT_EQ(cn.State(), adodb::adStateClosed);
        ASSERT_EQ(cn.Errors().Count(), 1u);
        EXPECT_EQ(cn.Errors().Item(0).Description, e.Description());
    }
    EXPECT_TRUE(FilesIn(dir.Path()) == before);  // byte for byte; no journal, no WAL files

    // The same file with every table asked for opens, and only then turns to WAL.
    Connection cn;
    cn.RequireTables({"V_MV_CPTE", "NOTAS"});
    cn.RequireTables({"notas"});
    EXPECT_EQ(cn.RequiredTables(), (std::vector<std::string>{"V_MV_CPTE", "NOTAS"}));
    cn.Open(Url(other));
    EXPECT_EQ(Scalar(cn, "PRAGMA journal_mode"), vb::Variant("wal"));
}

// The checks see the database as it is, also what a write-ahead log holds
// that the file does not yet: a log left over, or one another station writes.
TEST(AbrirSqlite, TheChecksReadWhatTheWriteAheadLogHolds) {
    const testsupport::TempDir dir;
    const std::string left = dir.File("left.db");
    const std::string live = dir.File("live.db");
    const char* const tablas = "CREATE TABLE V_MV_CPTE (ID INT); INSERT INTO V_MV_CPTE VALUES (7);";
    WithLeftOverLog(left, tablas);
    ExecDirect(live, "PRAGMA journal_mode=WAL");
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(live.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, (std::string("PRAGMA wal_autocheckpoint=0;") + tablas).c_str(), nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    for (const std::string& path : {left, live}) {
        SCOPED_TRACE(path);
        Connection cn;
        cn.RequireTables({"V_MV_CPTE"});
        cn.Open(Url(path));
        EXPECT_EQ(Scalar(cn, "SELECT ID FROM V_MV_CPTE"), vb::Variant(7));
    }
    sqlite3_close(other);
}

// Start-up reads the header and the schema, not every page: a file damaged
// elsewhere opens, and the damage is reported, in Spanish, by the statement
// that reads it.
TEST(AbrirSqlite, APageDamagedBeyondTheSchemaIsReportedWhenRead) {
    const testsupport::TempDir dir;
    const std::string path = dir.File("damaged.db");
    ExecDirect(path, kTwoThousandRows);
    Damage(path, 12288, 40000);
    Connection cn;
    cn.RequireTables({"V_MV_CPTE", "V_MV_CPTEACCIONES"});
    cn.Open(Url(path));
    EXPECT_EQ(Scalar(cn, "SELECT COUNT(*) FROM V_MV_CPTEACCIONES"), vb::Variant(0));
    const vb::Error e = ErrorOf([&] { Scalar(cn, "SELECT COUNT(*), MAX(TEXTO) FROM V_MV_CPTE"); });
    EXPECT_EQ(e.Number(), adodb::kErrFail);
    EXPECT_EQ(e.NativeError() & 0xFF, SQLITE_CORRUPT);
    EXPECT_EQ(e.Description().rfind("la base de datos está dañada (", 0), 0u) << e.Description();
}

// Runs `body` in a child process as a user other than the file's owner
// (nobody, when the tests run as root); true when it returned true.
bool AsAnotherUser(const std::function<bool()>& body) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        bool ok = false;
        try {
            ok = (geteuid() != 0 || (setgid(65534) == 0 && setuid(65534) == 0)) && body();
        } catch (const vb::Error& e) {
            std::fprintf(stderr, "%s\n", e.Description().c_str());
        } catch (...) {
        }
        _exit(ok ? 0 : 1);  // the child never returns to the tests
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A database the program may not write (the file, or its folder) is read as
// it stands: its rows show, a change fails, and nothing is left beside it
// (a log owned by this user would stop the stations that may write).
TEST(AbrirSqlite, ADatabaseThatMayNotBeWrittenIsReadWithNothingBesideIt) {
    struct Case {
        const char* name;
        std::filesystem::perms file;
        std::filesystem::perms folder;
    };
    using std::filesystem::perms;
    const Case cases[] = {
        {"file read-only", perms::owner_read | perms::group_read | perms::others_read, perms::all},
        {"folder read-only", perms::all & ~(perms::owner_exec | perms::group_exec | perms::others_exec),
         perms::owner_read | perms::owner_exec | perms::group_read | perms::group_exec | perms::others_read |
             perms::others_exec},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testsupport::TempDir dir;
        const std::string path = dir.File("empresa.db");
        {
            dbtest::CreateEmptyDatabase(path);
            Connection cn;
            cn.Open(Url(path));  // turns it to WAL mode, as the program's files are
            cn.Execute("CREATE TABLE V_MV_CPTE (ID INT)\r\nINSERT INTO V_MV_CPTE VALUES (1)");
        }
        const std::map<std::string, std::string> before = FilesIn(dir.Path());
        ASSERT_EQ(before.size(), 1u);
        std::filesystem::permissions(path, c.file);
        std::filesystem::permissions(dir.Path(), c.folder);
        const bool read = AsAnotherUser([&] {
            Connection cn;
            cn.RequireTables({"V_MV_CPTE"});
            cn.Open(Url(path));
            const bool rows = Scalar(cn, "SELECT COUNT(*) FROM V_MV_CPTE") == vb::Variant(1);
            const bool refused = testsupport::ErrorNumberOf([&] { cn.Execute("DELETE FROM V_MV_CPTE"); }) != 0;
            if (!rows || !refused) std::fprintf(stderr, "rows read: %d, change refused: %d\n", rows, refused);
            return rows && refused;
        });
        std::filesystem::permissions(dir.Path(), perms::all);
        EXPECT_TRUE(read);
        EXPECT_TRUE(FilesIn(dir.Path()) == before);
    }
}

// Stations that start while another holds the file wait for it (the busy
// timeout holds from the first read) instead of failing with "database is
// locked". Each station is a process of its own.
TEST(AbrirSqlite, StationsOpeningAtOnceWaitForTheFile) {
    constexpr int kEstaciones = 6;
    const testsupport::TempDir dir;
    const std::string path = dir.File("empresa.db");
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    // The stations are started before this process opens the file.
    std::vector<pid_t> estaciones;
    for (int i = 0; i < kEstaciones; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            close(go[1]);
            char c;
            const bool started = read(go[0], &c, 1) == 0;  // the pipe closes: all start together
            bool ok = false;
            try {
                Connection cn;
                cn.RequireTables({"V_MV_CPTE"});
                cn.Open(Url(path));
                ok = started && Scalar(cn, "SELECT COUNT(*) FROM V_MV_CPTE") == vb::Variant(1);
            } catch (const vb::Error& e) {
                std::fprintf(stderr, "station %d: %s\n", i, e.Description().c_str());
            } catch (...) {
            }
            _exit(ok ? 0 : 1);
        }
        ASSERT_GT(child, 0);
        estaciones.push_back(child);
    }
    close(go[0]);
    ExecDirect(path, "CREATE TABLE V_MV_CPTE (ID INT); INSERT INTO V_MV_CPTE VALUES (1);");
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    close(go[1]);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(holder);
    int opened = 0;
    for (const pid_t child : estaciones) {
        int status = 0;
        if (waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0) ++opened;
    }
    EXPECT_EQ(opened, kEstaciones);
    Connection cn;
    cn.Open(Url(path));
    EXPECT_EQ(Scalar(cn, "PRAGMA journal_mode"), vb::Variant("wal"));
}

}  // namespace
