// Opening an SQLite file: what is checked before the program uses it, what a
// file that fails is left as, files the program may not write, stations
// opening the file at once or while others open, close and write it, and a
// disk found full.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "db_test_support.h"
#include "db/adodb.h"
#include "engines.h"
#include "vb/conv.h"
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

// A process of its own that runs `body` and ends with its result: status 0
// when it returned true. Output goes to stderr.
pid_t InProcess(const std::function<bool()>& body) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child != 0) return child;
    bool ok = false;
    try {
        ok = body();
    } catch (const vb::Error& e) {
        std::fprintf(stderr, "%s\n", e.Description().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    _exit(ok ? 0 : 1);  // the child never returns to the tests
}

bool EndedWell(pid_t child) {
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Whether the other end of a pipe was closed (a message to stop).
bool Closed(int fd) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 0) == 1;
}

// Runs `body` in a process of its own as a user other than the file's owner
// (nobody, when the tests run as root).
pid_t InProcessAsAnotherUser(const std::function<bool()>& body) {
    return InProcess([&] { return (geteuid() != 0 || (setgid(65534) == 0 && setuid(65534) == 0)) && body(); });
}

bool AsAnotherUser(const std::function<bool()>& body) { return EndedWell(InProcessAsAnotherUser(body)); }

// Writes one byte into a pipe (a message); a full pipe, or one nobody
// reads any more, drops it.
void Send(int fd) {
    std::signal(SIGPIPE, SIG_IGN);
    const char c = 1;
    [[maybe_unused]] const ssize_t n = write(fd, &c, 1);
}

// Waits for one message on a pipe; false when the other end closed it.
bool Receive(int fd) {
    char c;
    return read(fd, &c, 1) == 1;
}

// Runs `body` as another user, in a process started before `opening` opens
// the file in this one, once it did: a process started with the file open
// would share this process's locks and log index of it (the engine keeps
// them per process), and read it as this process does.
pid_t InProcessAsAnotherUserOnceOpen(const std::function<void()>& opening, const std::function<bool()>& body) {
    int abierta[2];
    if (pipe(abierta) != 0) return -1;
    const pid_t child = InProcessAsAnotherUser([&] {
        close(abierta[1]);
        const bool opened = Receive(abierta[0]);
        return opened && body();
    });
    close(abierta[0]);
    opening();
    Send(abierta[1]);
    close(abierta[1]);
    return child;
}

// The file read-only for everybody, in a folder open to all: its owner's
// stations keep what they opened before to write.
void MakeReadOnly(const std::string& path, const std::filesystem::path& dir) {
    using std::filesystem::perms;
    std::filesystem::permissions(path, perms::owner_read | perms::group_read | perms::others_read);
    std::filesystem::permissions(dir, perms::all);
}

// Nothing in the folder belongs to the user of InProcessAsAnotherUser, who may not
// write the file: a log or index of that user's would stop the others.
void ExpectNothingOfAnotherUser(const std::filesystem::path& dir) {
    if (geteuid() != 0) return;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        struct stat st {};
        ASSERT_EQ(stat(entry.path().c_str(), &st), 0);
        EXPECT_NE(st.st_uid, 65534u) << entry.path();
    }
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
            EXPECT_FALSE(cn.ReadOnly());
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
            const bool known = cn.ReadOnly();  // from the start, for the window to say so
            if (!rows || !refused || !known) {
                std::fprintf(stderr, "rows read: %d, change refused: %d, known read-only: %d\n", rows, refused, known);
            }
            return rows && refused && known;
        });
        std::filesystem::permissions(dir.Path(), perms::all);
        EXPECT_TRUE(read);
        EXPECT_TRUE(FilesIn(dir.Path()) == before);
    }
}

// A station that may not write the file, started while another station has
// it open with rows only in its write-ahead log, reads them through the log,
// with the functions of the dialect and the texts as stored.
TEST(AbrirSqlite, AStationThatMayNotWriteReadsThroughAnotherStationsLog) {
    const testsupport::TempDir dir;
    const std::string path = dir.File("empresa.db");
    ExecDirect(path, "PRAGMA journal_mode=WAL; CREATE TABLE V_MV_CPTE (ID INT, NOMBRE VARCHAR(20));");
    MakeReadOnly(path, dir.Path());
    sqlite3* otra = nullptr;
    const auto opening = [&] {
        ASSERT_EQ(sqlite3_open(path.c_str(), &otra), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(otra, "PRAGMA wal_autocheckpoint=0; INSERT INTO V_MV_CPTE VALUES (1, 'Peña');", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
    };
    const bool leyo = EndedWell(InProcessAsAnotherUserOnceOpen(opening, [&] {
        Connection cn;
        cn.RequireTables({"V_MV_CPTE"});
        cn.Open(Url(path));
        return Scalar(cn, "SELECT LEN(NOMBRE) FROM V_MV_CPTE WHERE CHARINDEX('ñ', NOMBRE) = 3") == vb::Variant(4) &&
               Scalar(cn, "SELECT NOMBRE FROM V_MV_CPTE") == vb::Variant("Peña");
    }));
    sqlite3_close(otra);
    EXPECT_TRUE(leyo);
    ExpectNothingOfAnotherUser(dir.Path());
}

// A station that may not write the file runs queries with bound values (the
// list's next and previous pages bind the edge of the page shown), as a
// connection and as a recordset, and tells what each cost: while nobody else
// has the file open, and while another station has it open with rows only
// in its log.
TEST(AbrirSqlite, AStationThatMayNotWriteBindsValuesAndTellsTheCost) {
    for (const bool otraAbierta : {false, true}) {
        SCOPED_TRACE(otraAbierta ? "another station has the file open" : "nobody else has the file open");
        const testsupport::TempDir dir;
        const std::string path = dir.File("empresa.db");
        ExecDirect(path, "PRAGMA journal_mode=WAL; CREATE TABLE V_MV_CPTE (ID INT, NOMBRE VARCHAR(20));"
                         "INSERT INTO V_MV_CPTE VALUES (1, 'uno'), (2, 'dos'), (3, 'tres');");
        MakeReadOnly(path, dir.Path());
        sqlite3* otra = nullptr;
        const auto opening = [&] {
            if (!otraAbierta) return;
            ASSERT_EQ(sqlite3_open(path.c_str(), &otra), SQLITE_OK);
            ASSERT_EQ(sqlite3_exec(otra, "PRAGMA wal_autocheckpoint=0; INSERT INTO V_MV_CPTE VALUES (4, 'cuatro');",
                                   nullptr, nullptr, nullptr),
                      SQLITE_OK);
        };
        const long long filas = otraAbierta ? 4 : 3;
        const bool leyo = EndedWell(InProcessAsAnotherUserOnceOpen(opening, [&] {
            Connection cn;
            cn.RequireTables({"V_MV_CPTE"});
            cn.Open(Url(path));
            bool ok = true;
            // Twice each: the second run steps the statement kept from the first.
            for (int vez = 0; vez < 2; ++vez) {
                const adodb::ResultSet siguientes =
                    cn.Query("SELECT ID FROM V_MV_CPTE WHERE ID > ? ORDER BY ID", {vb::Variant(1)});
                std::vector<vb::Variant> ids;
                for (const auto& fila : siguientes.rows) ids.push_back(fila.at(0));
                std::vector<vb::Variant> esperados;
                for (long long id = 2; id <= filas; ++id) esperados.push_back(vb::Variant(id));
                const long long pasos = cn.LastQueryCost().steps;
                if (ids != esperados || pasos <= 0) {
                    std::fprintf(stderr, "query %d: %zu rows, %lld steps\n", vez, ids.size(), pasos);
                    ok = false;
                }
                adodb::Recordset rs;
                rs.Open("SELECT NOMBRE FROM V_MV_CPTE WHERE ID = ?", {vb::Variant(filas)}, cn);
                const bool nombre =
                    !rs.EOF() && rs.Fields("NOMBRE").Value() == vb::Variant(otraAbierta ? "cuatro" : "tres");
                if (!nombre || cn.LastQueryCost().steps <= 0) {
                    std::fprintf(stderr, "recordset %d: name %d, %lld steps\n", vez, nombre,
                                 cn.LastQueryCost().steps);
                    ok = false;
                }
            }
            return ok;
        }));
        if (otra) sqlite3_close(otra);
        EXPECT_TRUE(leyo);
        ExpectNothingOfAnotherUser(dir.Path());
    }
}

// Whether a process sleeps between two tries, as one that waits for a
// lock does; false once it ended.
bool SleepsBetweenTries(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/syscall");
    long number = -1;
    in >> number;  // "running" is no number
    return in && (number == SYS_nanosleep || number == SYS_clock_nanosleep);
}

// Stations that start while another holds the file wait for it (the busy
// timeout holds from the first read) instead of failing with "database is
// locked". Each station is a process of its own; the file is let go only
// once every station met it held and waits.
TEST(AbrirSqlite, StationsOpeningAtOnceWaitForTheFile) {
    constexpr int kEstaciones = 6;
    const testsupport::TempDir dir;
    const std::string path = dir.File("empresa.db");
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    // The stations are started before this process opens the file.
    std::vector<pid_t> estaciones;
    for (int i = 0; i < kEstaciones; ++i) {
        estaciones.push_back(InProcess([&] {
            close(go[1]);
            char c;
            const bool started = read(go[0], &c, 1) == 0;  // the pipe closes: all start together
            Connection cn;
            cn.RequireTables({"V_MV_CPTE"});
            cn.Open(Url(path));
            return started && Scalar(cn, "SELECT COUNT(*) FROM V_MV_CPTE") == vb::Variant(1);
        }));
    }
    close(go[0]);
    ExecDirect(path, "CREATE TABLE V_MV_CPTE (ID INT); INSERT INTO V_MV_CPTE VALUES (1);");
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    close(go[1]);
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (const pid_t estacion : estaciones) {
        bool espera = false;
        while (!(espera = SleepsBetweenTries(estacion)) && std::chrono::steady_clock::now() < limite) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_TRUE(espera) << "a station that does not wait for the file";
    }
    EXPECT_EQ(sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(holder);
    int opened = 0;
    for (const pid_t estacion : estaciones) opened += EndedWell(estacion) ? 1 : 0;
    EXPECT_EQ(opened, kEstaciones);
    Connection cn;
    cn.Open(Url(path));
    EXPECT_EQ(Scalar(cn, "PRAGMA journal_mode"), vb::Variant("wal"));
}

// Stations that open the file while others open and close it, and one
// writes, all get in: each station is a process of its own that opens the
// file through the layer, reads a row and closes it, again and again, so
// that the write-ahead log and its index come and go under the others. Two
// of them may not write the file (when the tests run as root), and leave
// nothing beside it.
TEST(AbrirSqlite, EveryStationGetsInWhileOthersOpenAndClose) {
    constexpr int kEstaciones = 6;
    constexpr int kAperturas = 150;
    const testsupport::TempDir dir;
    const std::string path = dir.File("empresa.db");
    ExecDirect(path, "PRAGMA journal_mode=WAL; CREATE TABLE V_MV_CPTE (ID INTEGER PRIMARY KEY, TEXTO TEXT);"
                     "INSERT INTO V_MV_CPTE (TEXTO) VALUES ('primera');");
    int alto[2];
    ASSERT_EQ(pipe(alto), 0);
    // The station that writes opens, inserts and closes until the others are done.
    const pid_t escritora = InProcess([&] {
        close(alto[1]);
        int escritas = 0;
        while (!Closed(alto[0])) {
            Connection cn;
            cn.RequireTables({"V_MV_CPTE"});
            cn.Open(Url(path));
            cn.Execute("INSERT INTO V_MV_CPTE (TEXTO) VALUES ('otra')");
            ++escritas;
        }
        return escritas > 0;
    });
    close(alto[0]);
    using std::filesystem::perms;
    std::filesystem::permissions(dir.Path(), perms::owner_all | perms::group_read | perms::group_exec |
                                                 perms::others_read | perms::others_exec);
    std::vector<pid_t> estaciones;
    for (int i = 0; i < kEstaciones; ++i) {
        estaciones.push_back((i < 2 ? InProcessAsAnotherUser : InProcess)([&] {
            int fallidas = 0;
            for (int n = 0; n < kAperturas; ++n) {
                try {
                    Connection cn;
                    cn.RequireTables({"V_MV_CPTE"});
                    cn.Open(Url(path));
                    if (Scalar(cn, "SELECT TEXTO FROM V_MV_CPTE WHERE ID = 1") != vb::Variant("primera")) ++fallidas;
                } catch (const vb::Error& e) {
                    std::fprintf(stderr, "station %d, opening %d: %s\n", i, n, e.Description().c_str());
                    ++fallidas;
                }
            }
            return fallidas == 0;
        }));
    }
    int bien = 0;
    for (const pid_t estacion : estaciones) bien += EndedWell(estacion) ? 1 : 0;
    close(alto[1]);
    EXPECT_TRUE(EndedWell(escritora));
    EXPECT_EQ(bien, kEstaciones);
    ExpectNothingOfAnotherUser(dir.Path());
}


// Waits for a message sent after this call: those already waiting are dropped.
bool ReceiveNext(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    char c;
    while (read(fd, &c, 1) == 1) {
    }
    fcntl(fd, F_SETFL, flags);
    return Receive(fd);
}

// What a station sees in one load. The control row counts the orders in the
// same transaction that adds one, and an order is renamed in the statement
// that unblocks it: one state of the file shows both alike.
struct Load {
    long long ordenes = -1;
    long long control = -2;
    long long bloqueadas = -1;
    long long recorridas = -2;  // blocked orders found walking the pages
    long long malNombradas = -1;
    long long ultima = 0;  // the last blocked order
    // Each statement read one state of the file.
    bool OneState() const { return ordenes == control && malNombradas == 0; }
    std::string Text() const {
        return "orders " + std::to_string(ordenes) + ", control " + std::to_string(control) + ", blocked " +
               std::to_string(bloqueadas) + ", walked " + std::to_string(recorridas) + ", misnamed " +
               std::to_string(malNombradas);
    }
};

long long Entero(const vb::Variant& value) { return value.IsInteger() ? std::get<std::int64_t>(value.Get()) : -1; }

// One load: the counts in one statement, then the blocked orders page by
// page (ten at a time, as the list pages).
Load LoadOnce(Connection& cn) {
    Load c;
    const std::vector<vb::Variant> cuentas =
        dbtest::Column(cn, "SELECT COUNT(*) FROM V_MV_CPTE UNION ALL SELECT TOTAL FROM CONTROL UNION ALL "
                           "SELECT COUNT(*) FROM V_MV_CPTE WHERE BLOQUEADA = 1");
    c.ordenes = Entero(cuentas.at(0));
    c.control = Entero(cuentas.at(1));
    c.bloqueadas = Entero(cuentas.at(2));
    c.recorridas = 0;
    c.malNombradas = 0;
    for (bool mas = true; mas;) {
        adodb::Recordset rs;
        rs.Open("SELECT TOP 10 ID, NOMBRE FROM V_MV_CPTE WHERE BLOQUEADA = 1 AND ID > " + std::to_string(c.ultima) +
                    " ORDER BY ID",
                cn);
        mas = !rs.EOF();
        for (; !rs.EOF(); rs.MoveNext()) {
            c.ultima = Entero(rs.Fields("ID").Value());
            if (rs.Fields("NOMBRE").Value() != vb::Variant("bloqueada")) ++c.malNombradas;
            ++c.recorridas;
        }
    }
    return c;
}

// A station that may not write the file, started while no other station has
// it open (nothing beside the file), shows what other stations write after
// it started: each load reads one whole state of the file, the latest, and a
// sound file is never reported as damaged. First a station adds 500 orders,
// writes its log back into the file and closes it; then another adds and
// unblocks orders and writes its log back, again and again, while the first
// station goes on loading.
TEST(AbrirSqlite, AStationThatMayNotWriteShowsWhatOthersWrite) {
    constexpr long long kPrimeras = 100;
    constexpr long long kAltas = 500;
    constexpr int kCambios = 300;
    const testsupport::TempDir dir;
    const std::string path = dir.File("empresa.db");
    ExecDirect(path, "PRAGMA journal_mode=WAL;"
                     "CREATE TABLE V_MV_CPTE (ID INTEGER PRIMARY KEY, BLOQUEADA INT, NOMBRE TEXT, TEXTO TEXT);"
                     "CREATE TABLE CONTROL (TOTAL INT);"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100) "
                     "INSERT INTO V_MV_CPTE SELECT i, 1, 'bloqueada', printf('%0200d', i) FROM n;"
                     "INSERT INTO CONTROL VALUES (100);");
    ASSERT_FALSE(std::filesystem::exists(path + "-wal") || std::filesystem::exists(path + "-shm"));
    // Messages: the writer is ready, the reader asks for the 500 orders, they
    // are written, the reader asks for the changes, the reader loaded once more.
    int listo[2], altas[2], altasHechas[2], cambios[2], cargas[2];
    for (int* p : {listo, altas, altasHechas, cambios, cargas}) ASSERT_EQ(pipe(p), 0);
    ASSERT_EQ(fcntl(cargas[1], F_SETFL, O_NONBLOCK), 0);
    const auto cierra = [](std::initializer_list<int> fds) {
        for (const int fd : fds) close(fd);
    };

    // The stations that write open the file before it becomes read-only.
    const pid_t escritora = InProcess([&] {
        cierra({listo[0], altas[1], altasHechas[0], cambios[1], cargas[1]});
        sqlite3* primera = nullptr;
        sqlite3* segunda = nullptr;
        if (sqlite3_open_v2(path.c_str(), &primera, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
            sqlite3_open_v2(path.c_str(), &segunda, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            return false;
        }
        sqlite3_busy_timeout(primera, 30000);
        sqlite3_busy_timeout(segunda, 30000);
        const auto ejecuta = [](sqlite3* db, const std::string& sql) {
            char* error = nullptr;
            if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK) return true;
            std::fprintf(stderr, "writer: %s\n", error ? error : "?");
            sqlite3_free(error);
            return false;
        };
        Send(listo[1]);
        if (!Receive(altas[0])) return false;
        bool ok = ejecuta(primera,
                          "PRAGMA wal_autocheckpoint=0; BEGIN IMMEDIATE;"
                          "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 500) "
                          "INSERT INTO V_MV_CPTE SELECT 100 + i, 1, 'bloqueada', printf('%0200d', i) FROM n;"
                          "UPDATE CONTROL SET TOTAL = TOTAL + 500; COMMIT; PRAGMA wal_checkpoint(TRUNCATE);");
        ok = sqlite3_close(primera) == SQLITE_OK && ok;
        Send(altasHechas[1]);
        if (!ok || !Receive(cambios[0])) return false;
        for (int i = 0; i < kCambios && ok; ++i) {
            ok = ejecuta(segunda, "BEGIN IMMEDIATE;"
                                  "INSERT INTO V_MV_CPTE (BLOQUEADA, NOMBRE, TEXTO) VALUES (1, 'bloqueada', 'nueva');"
                                  "UPDATE V_MV_CPTE SET BLOQUEADA = 0, NOMBRE = 'desbloqueada' WHERE ID = "
                                  "(SELECT MIN(ID) FROM V_MV_CPTE WHERE BLOQUEADA = 1 AND ID % 3 = " +
                                      std::to_string(i % 3) + "); UPDATE CONTROL SET TOTAL = TOTAL + 1; COMMIT;");
            // Now and then the log goes back into the file; the reader loads between changes.
            if (ok && i % 25 == 24) ok = ejecuta(segunda, "PRAGMA wal_checkpoint(TRUNCATE)");
            if (ok && i % 5 == 4) ok = ReceiveNext(cargas[0]);
        }
        return sqlite3_close(segunda) == SQLITE_OK && ok;
    });
    cierra({listo[1], altas[0], altasHechas[1], cambios[0], cargas[0]});
    ASSERT_TRUE(Receive(listo[0]));
    close(listo[0]);
    MakeReadOnly(path, dir.Path());
    const pid_t lectora = InProcessAsAnotherUser([&] {
        Connection cn;
        cn.RequireTables({"V_MV_CPTE"});
        cn.Open(Url(path));
        const Load inicial = LoadOnce(cn);
        bool ok = inicial.OneState() && inicial.ordenes == kPrimeras && inicial.recorridas == kPrimeras;
        if (!ok) std::fprintf(stderr, "at the start: %s\n", inicial.Text().c_str());
        Send(altas[1]);
        if (!Receive(altasHechas[0])) return false;
        // The file changed while nothing was beside it: the new orders show, on every page.
        const Load tras = LoadOnce(cn);
        if (!tras.OneState() || tras.ordenes != kPrimeras + kAltas || tras.recorridas != tras.bloqueadas ||
            tras.ultima != kPrimeras + kAltas) {
            std::fprintf(stderr, "after 500 orders: %s\n", tras.Text().c_str());
            ok = false;
        }
        Send(cambios[1]);
        int vistas = 0;
        for (bool siguen = true; siguen;) {
            siguen = !Closed(altasHechas[0]);  // the writer ends by closing its pipes
            const Load c = LoadOnce(cn);
            Send(cargas[1]);
            ++vistas;
            if (!c.OneState()) {
                std::fprintf(stderr, "load %d: %s\n", vistas, c.Text().c_str());
                ok = false;
            }
            if (!siguen && (c.ordenes != kPrimeras + kAltas + kCambios || c.recorridas != c.bloqueadas)) {
                std::fprintf(stderr, "at the end: %s\n", c.Text().c_str());
                ok = false;
            }
        }
        return ok;
    });
    cierra({altas[1], altasHechas[0], cambios[1], cargas[1]});
    EXPECT_TRUE(EndedWell(escritora));
    EXPECT_TRUE(EndedWell(lectora));
    ExpectNothingOfAnotherUser(dir.Path());
}


// A transaction begun by a station that may not write the file, while
// nobody else had it open, reads the file alone; once another station opens
// the file and writes through its log (whose pages may go back into the
// file under the reads), a read in that transaction fails as the file being
// busy instead of returning what it read. Once the transaction is rolled
// back, the new row shows.
TEST(AbrirSqlite, AStationThatMayNotWriteFailsAReadInATransactionOnceAnotherWrites) {
    const testsupport::TempDir dir;
    const std::string path = dir.File("empresa.db");
    ExecDirect(path, "PRAGMA journal_mode=WAL; CREATE TABLE V_MV_CPTE (ID INT); INSERT INTO V_MV_CPTE VALUES (1);");
    int empezada[2], escrita[2];
    for (int* p : {empezada, escrita}) ASSERT_EQ(pipe(p), 0);
    MakeReadOnly(path, dir.Path());
    const pid_t lectora = InProcessAsAnotherUser([&] {
        close(empezada[0]);
        close(escrita[1]);
        Connection cn;
        cn.RequireTables({"V_MV_CPTE"});
        cn.Open(Url(path));
        cn.BeginTrans();
        bool ok = Scalar(cn, "SELECT COUNT(*) FROM V_MV_CPTE") == vb::Variant(1);
        Send(empezada[1]);
        if (!Receive(escrita[0])) return false;
        try {
            const vb::Variant leida = Scalar(cn, "SELECT COUNT(*) FROM V_MV_CPTE");
            std::fprintf(stderr, "the read in the transaction returned %s\n", vb::CStr(leida).c_str());
            ok = false;
        } catch (const vb::Error& e) {
            if ((e.NativeError() & 0xFF) != SQLITE_BUSY) {
                std::fprintf(stderr, "%s\n", e.Description().c_str());
                ok = false;
            }
        }
        cn.RollbackTrans();
        return ok && !cn.InTransaction() && Scalar(cn, "SELECT COUNT(*) FROM V_MV_CPTE") == vb::Variant(2);
    });
    close(empezada[1]);
    close(escrita[0]);
    sqlite3* otra = nullptr;
    if (Receive(empezada[0])) {
        EXPECT_EQ(sqlite3_open(path.c_str(), &otra), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(otra, "PRAGMA wal_autocheckpoint=0; INSERT INTO V_MV_CPTE VALUES (2);", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
        Send(escrita[1]);
    }
    close(escrita[1]);
    EXPECT_TRUE(EndedWell(lectora));
    close(empezada[0]);
    sqlite3_close(otra);
    ExpectNothingOfAnotherUser(dir.Path());
}

// A station's view of the file in one statement: the blocked orders, and the
// count the same transaction keeps of them.
std::vector<vb::Variant> Blocked(Connection& cn) {
    return dbtest::Column(cn, "SELECT COUNT(*) FROM V_MV_CPTE WHERE BLOQUEADA = 1 UNION ALL "
                              "SELECT BLOQUEADAS FROM CONTROL");
}

// 2,000 blocked orders, in rollback-journal mode.
constexpr const char* kBlockedOrders =
    "CREATE TABLE V_MV_CPTE (ID INTEGER PRIMARY KEY, BLOQUEADA INT, NOMBRE TEXT, TEXTO TEXT);"
    "CREATE TABLE CONTROL (BLOQUEADAS INT);"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
    "INSERT INTO V_MV_CPTE SELECT i, 1, 'bloqueada', printf('%0200d', i) FROM n;"
    "INSERT INTO CONTROL VALUES (2000);";

constexpr const char* kUnblockAll =
    "UPDATE V_MV_CPTE SET BLOQUEADA = 0, NOMBRE = 'desbloqueada'; UPDATE CONTROL SET BLOQUEADAS = 0;";

// A writer in rollback-journal mode killed in the middle of `change`, after
// a small cache made it write pages of the change into the file.
void KillWriterInTheMiddleOf(const std::string& path, const std::string& change) {
    const std::string before = testsupport::ReadFile(path);
    const pid_t writer = InProcess([&] {
        sqlite3* db = nullptr;
        if (sqlite3_open(path.c_str(), &db) != SQLITE_OK ||
            sqlite3_exec(db, ("PRAGMA cache_size=5; BEGIN;" + change).c_str(), nullptr, nullptr, nullptr) !=
                SQLITE_OK) {
            return false;
        }
        std::raise(SIGKILL);
        return false;
    });
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    ASSERT_EQ(testsupport::ReadFile(path + "-journal").substr(0, 8), "\xd9\xd5\x05\xf9\x20\xa1\x63\xd7");
    ASSERT_NE(testsupport::ReadFile(path), before);  // pages of the change are in the file
}

// A writer killed in the middle of unblocking every order.
void KillWriterHalfWay(const std::string& path) { KillWriterInTheMiddleOf(path, kUnblockAll); }

// A write-ahead log that holds every order unblocked, committed, left
// beside the file without its index (a copy, or a deletion from outside).
void LeaveLogWithoutIndex(const std::string& path) {
    WithLeftOverLog(path, kUnblockAll);
    std::filesystem::remove(path + "-shm");
    ASSERT_GT(std::filesystem::file_size(path + "-wal"), 0u);
}

// A station that may not write the file never shows a change that was not
// committed, and never shows an older state as if it were the latest: when
// it cannot read the committed state (a journal left by a writer killed half
// way, which only a station that may write can undo; a log without its
// index), every load and every opening says so, in Spanish, and never calls
// the file damaged. Once a station that may write has opened the file, the
// station shows its committed state. Each case has a station that opened
// the file before and one that opens it after.
TEST(AbrirSqlite, AStationThatMayNotWriteShowsOnlyTheCommittedState) {
    struct Case {
        const char* name;
        const char* setup;
        void (*leave)(const std::string&);
        long long committed;  // the blocked orders once a station that may write opened the file
    };
    const Case cases[] = {
        {"a journal left half way", "", KillWriterHalfWay, 2000},
        {"a log without its index", "PRAGMA journal_mode=WAL;", LeaveLogWithoutIndex, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testsupport::TempDir dir;
        const std::string path = dir.File("empresa.db");
        ExecDirect(path, std::string(c.setup) + kBlockedOrders);
        MakeReadOnly(path, dir.Path());
        int abierta[2], dejada[2], vista[2], reparada[2];
        for (int* p : {abierta, dejada, vista, reparada}) ASSERT_EQ(pipe(p), 0);
        const pid_t lectora = InProcessAsAnotherUser([&] {
            for (const int fd : {abierta[0], dejada[1], vista[0], reparada[1]}) close(fd);
            const auto refused = [](const std::function<void()>& load) {
                const vb::Error e = ErrorOf(load);
                const std::string& text = e.Description();
                const bool ok = text.find("una estación que pueda escribir la base debe abrirla primero") !=
                                    std::string::npos &&
                                text.find("dañada") == std::string::npos;
                if (!ok) std::fprintf(stderr, "refusal: %s\n", text.c_str());
                return ok;
            };
            Connection antes;
            antes.RequireTables({"V_MV_CPTE"});
            antes.Open(Url(path));
            const std::vector<vb::Variant> todas{vb::Variant(2000), vb::Variant(2000)};
            bool ok = Blocked(antes) == todas;
            Send(abierta[1]);
            if (!Receive(dejada[0])) return false;
            for (int carga = 0; carga < 2; ++carga) ok = refused([&] { Blocked(antes); }) && ok;
            Connection despues;
            despues.RequireTables({"V_MV_CPTE"});
            ok = refused([&] { despues.Open(Url(path)); }) && ok;
            ok = despues.State() == adodb::adStateClosed && ok;
            Send(vista[1]);
            if (!Receive(reparada[0])) return false;
            despues.Open(Url(path));
            const std::vector<vb::Variant> committed{vb::Variant(c.committed), vb::Variant(c.committed)};
            for (Connection* cn : {&antes, &despues}) {
                const std::vector<vb::Variant> seen = Blocked(*cn);
                if (seen != committed) {
                    std::fprintf(stderr, "after a station that may write opened it: %s blocked, %s counted\n",
                                 vb::CStr(seen.at(0)).c_str(), vb::CStr(seen.at(1)).c_str());
                    ok = false;
                }
            }
            return ok;
        });
        for (const int fd : {abierta[1], dejada[0], vista[1], reparada[0]}) close(fd);
        if (Receive(abierta[0])) {
            c.leave(path);
            Send(dejada[1]);
            if (Receive(vista[0])) {
                // A station that may write opens the file: it undoes the change left half way, or reads the log.
                sqlite3* db = nullptr;
                ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
                EXPECT_EQ(sqlite3_exec(db, "PRAGMA integrity_check", nullptr, nullptr, nullptr), SQLITE_OK);
                sqlite3_close(db);
                Send(reparada[1]);
            }
        }
        for (const int fd : {abierta[0], dejada[1], vista[0], reparada[1]}) close(fd);
        EXPECT_TRUE(EndedWell(lectora));
        ExpectNothingOfAnotherUser(dir.Path());
    }
}

// Sixty tables more, so that the schema spans pages beyond the first (the
// writer holds the first page, and never writes it before it commits).
std::string ManyTables() {
    std::string sql;
    for (int i = 0; i < 60; ++i) {
        sql += "CREATE TABLE TA_RELLENO_" + std::to_string(i) + " (CODIGO_DE_LA_FILA TEXT, DESCRIPCION_LARGA TEXT, "
               "OBSERVACIONES_DEL_USUARIO TEXT, FECHA_DE_ALTA TEXT);";
    }
    return sql;
}

// A writer killed in the middle of a change that drops a table and unblocks
// every order: the file alone lacks the table.
void KillWriterDroppingATable(const std::string& path) {
    KillWriterInTheMiddleOf(path, "DROP TABLE CONTROL; UPDATE V_MV_CPTE SET BLOQUEADA = 0;");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(("file:" + path + "?immutable=1").c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
                              nullptr),
              SQLITE_OK);
    EXPECT_NE(sqlite3_exec(db, "SELECT * FROM CONTROL", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

// A log without its index that holds, committed, the tables and every order
// unblocked: the file alone holds another table only.
void LeaveTablesInLogWithoutIndex(const std::string& path) {
    WithLeftOverLog(path, std::string(kBlockedOrders) + kUnblockAll);
    std::filesystem::remove(path + "-shm");
}

// A station that may write the file starts on the committed state where the
// file alone does not hold it: after a writer killed half way (the change
// undone, as any opening undoes it) and beside a log without its index (the
// log read). It never calls such a file damaged nor refuses it, and the file
// stays sound. A file that fails its checks all the same is left as it was.
TEST(AbrirSqlite, AStationThatMayWriteChecksTheCommittedState) {
    struct Case {
        const char* name;
        std::string setup;
        void (*leave)(const std::string&);
        long long committed;  // blocked orders
    };
    const Case cases[] = {
        {"a journal left half way", kBlockedOrders, KillWriterHalfWay, 2000},
        {"a journal left half way by a change that drops a table", std::string(kBlockedOrders) + ManyTables(),
         KillWriterDroppingATable, 2000},
        {"a log without its index", std::string("PRAGMA journal_mode=WAL;") + kBlockedOrders, LeaveLogWithoutIndex, 0},
        {"a log without its index that holds the tables", "PRAGMA journal_mode=WAL; CREATE TABLE NOTAS (T TEXT);",
         LeaveTablesInLogWithoutIndex, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testsupport::TempDir dir;
        const std::string path = dir.File("empresa.db");
        ExecDirect(path, c.setup);
        c.leave(path);
        {
            Connection cn;
            cn.RequireTables({"V_MV_CPTE", "CONTROL"});
            try {
                cn.Open(Url(path));
            } catch (const vb::Error& e) {
                ADD_FAILURE() << e.Description();
                continue;
            }
            const vb::Variant committed(c.committed);
            EXPECT_EQ(Blocked(cn), (std::vector<vb::Variant>{committed, committed}));
            EXPECT_EQ(Scalar(cn, "PRAGMA integrity_check"), vb::Variant("ok"));
        }
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, "SELECT * FROM CONTROL; PRAGMA integrity_check", nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }

    // Another program's database, its log left without its index.
    const testsupport::TempDir dir;
    const std::string path = dir.File("notas.db");
    ExecDirect(path, "PRAGMA journal_mode=WAL; CREATE TABLE NOTAS (T TEXT);");
    WithLeftOverLog(path, "CREATE TABLE MAS_NOTAS (T TEXT);");
    std::filesystem::remove(path + "-shm");
    const std::map<std::string, std::string> before = FilesIn(dir.Path());
    Connection cn;
    cn.RequireTables({"V_MV_CPTE", "MAS_NOTAS"});
    const vb::Error e = ErrorOf([&] { cn.Open(Url(path)); });
    EXPECT_NE(e.Description().find("a la base de datos le faltan las tablas V_MV_CPTE:"), std::string::npos)
        << e.Description();
    EXPECT_TRUE(FilesIn(dir.Path()) == before);
}

// A station that may not write the file reads the committed state beside a
// writer in the middle of a change in rollback-journal mode: its journal
// bears the journal's mark (it does not wait for the disk, so the mark is
// written at once), but the writer holds the file reserved and has written
// nothing into it. Once the writer commits, the change shows.
TEST(AbrirSqlite, AStationThatMayNotWriteReadsBesideAWriterInTheMiddleOfAChange) {
    const testsupport::TempDir dir;
    const std::string path = dir.File("empresa.db");
    ExecDirect(path, kBlockedOrders);
    MakeReadOnly(path, dir.Path());
    int leida[2], confirmada[2];
    for (int* p : {leida, confirmada}) ASSERT_EQ(pipe(p), 0);
    sqlite3* escritora = nullptr;
    const auto opening = [&] {
        ASSERT_EQ(sqlite3_open(path.c_str(), &escritora), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(escritora, (std::string("PRAGMA synchronous=OFF; BEGIN;") + kUnblockAll).c_str(),
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        ASSERT_EQ(testsupport::ReadFile(path + "-journal").substr(0, 8), "\xd9\xd5\x05\xf9\x20\xa1\x63\xd7");
    };
    const pid_t lectora = InProcessAsAnotherUserOnceOpen(opening, [&] {
        close(leida[0]);
        close(confirmada[1]);
        Connection cn;
        cn.RequireTables({"V_MV_CPTE"});
        cn.Open(Url(path));
        const std::vector<vb::Variant> antes = Blocked(cn);
        Send(leida[1]);
        if (!Receive(confirmada[0])) return false;
        const std::vector<vb::Variant> despues = Blocked(cn);
        const bool ok = antes == std::vector<vb::Variant>{vb::Variant(2000), vb::Variant(2000)} &&
                        despues == std::vector<vb::Variant>{vb::Variant(0), vb::Variant(0)};
        if (!ok) {
            std::fprintf(stderr, "during the change: %s blocked; after it: %s blocked\n",
                         vb::CStr(antes.at(0)).c_str(), vb::CStr(despues.at(0)).c_str());
        }
        return ok;
    });
    close(leida[1]);
    close(confirmada[0]);
    if (Receive(leida[0])) {
        EXPECT_EQ(sqlite3_exec(escritora, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        Send(confirmada[1]);
    }
    close(leida[0]);
    close(confirmada[1]);
    EXPECT_TRUE(EndedWell(lectora));
    sqlite3_close(escritora);
    ExpectNothingOfAnotherUser(dir.Path());
}

// A station that may not write the file reads it again when another station
// opens, closes or starts writing it at the moments that matter: a station
// that closes the file once the files beside it were looked at (its log and
// index go away before the connection opens); one that opens it and writes
// at that moment (the file alone no longer holds the latest state); one that
// does so once the file alone was read. Each time the station shows the
// latest state, and it did read again.
TEST(AbrirSqlite, AStationThatMayNotWriteReadsAgainWhenAnotherStationActsMeanwhile) {
    enum class Act { Close, OpenAndWrite };
    struct Case {
        const char* name;
        bool openAtStart;  // another station has the file open, a row in its log
        bool duringOpening;  // the station acts while the file is opened, else during a load
        adodb::QuietMoment moment;
        Act act;
    };
    using adodb::QuietMoment;
    const Case cases[] = {
        {"closes once the files beside were looked at", true, true, QuietMoment::Looked, Act::Close},
        {"opens and writes once the files beside were looked at", false, false, QuietMoment::Looked,
         Act::OpenAndWrite},
        {"opens and writes once the file alone was read", false, false, QuietMoment::Read, Act::OpenAndWrite},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testsupport::TempDir dir;
        const std::string path = dir.File("empresa.db");
        ExecDirect(path, "PRAGMA journal_mode=WAL; CREATE TABLE V_MV_CPTE (ID INT); INSERT INTO V_MV_CPTE VALUES (1);");
        sqlite3* otra = nullptr;
        const auto writes = [&] {
            ASSERT_EQ(sqlite3_open(path.c_str(), &otra), SQLITE_OK);
            ASSERT_EQ(sqlite3_exec(otra, "PRAGMA wal_autocheckpoint=0; INSERT INTO V_MV_CPTE VALUES (2);", nullptr,
                                   nullptr, nullptr),
                      SQLITE_OK);
        };
        MakeReadOnly(path, dir.Path());
        int pedido[2], hecho[2];
        for (int* p : {pedido, hecho}) ASSERT_EQ(pipe(p), 0);
        const auto opening = [&] {
            if (c.openAtStart) writes();
        };
        const pid_t lectora = InProcessAsAnotherUserOnceOpen(opening, [&] {
            close(pedido[0]);
            close(hecho[1]);
            int vistas = 0;
            bool pedida = false;
            const auto hook = [&](QuietMoment moment) {
                if (moment == QuietMoment::Looked) ++vistas;
                if (moment == c.moment && !pedida) {
                    pedida = true;
                    Send(pedido[1]);
                    Receive(hecho[0]);
                }
            };
            Connection cn;
            cn.RequireTables({"V_MV_CPTE"});
            if (c.duringOpening) adodb::SetQuietReadHook(hook);
            cn.Open(Url(path));
            if (!c.duringOpening) {
                vistas = 0;
                adodb::SetQuietReadHook(hook);
            }
            const vb::Variant filas = Scalar(cn, "SELECT COUNT(*) FROM V_MV_CPTE");
            adodb::SetQuietReadHook(nullptr);
            if (!pedida || vistas < 2 || filas != vb::Variant(2)) {
                std::fprintf(stderr, "asked %d, looked %d times, %s rows\n", pedida, vistas, vb::CStr(filas).c_str());
                return false;
            }
            return true;
        });
        close(pedido[1]);
        close(hecho[0]);
        if (Receive(pedido[0])) {
            if (c.act == Act::Close) {
                ASSERT_EQ(sqlite3_close(otra), SQLITE_OK);
                otra = nullptr;
                ASSERT_FALSE(std::filesystem::exists(path + "-wal"));
            } else {
                writes();
            }
            Send(hecho[1]);
        }
        close(pedido[0]);
        close(hecho[1]);
        EXPECT_TRUE(EndedWell(lectora));
        if (otra) sqlite3_close(otra);
        ExpectNothingOfAnotherUser(dir.Path());
    }
}

// A station that may not write the file, on the connection it keeps through
// the log's index, tries a load again while another station sets that index
// up anew: the index's header is found invalid (as a station leaves it that
// sets the index up from the log), the load fails and is tried again, and
// once a station that may write has set the index up (writing a row), the
// load shows the committed state, that row included.
TEST(AbrirSqlite, AStationThatMayNotWriteReadsAgainWhileTheLogsIndexIsSetUpAnew) {
    const testsupport::TempDir dir;
    const std::string path = dir.File("empresa.db");
    ExecDirect(path, "PRAGMA journal_mode=WAL; CREATE TABLE V_MV_CPTE (ID INT); INSERT INTO V_MV_CPTE VALUES (1);");
    MakeReadOnly(path, dir.Path());
    int pedido[2], hecho[2];
    for (int* p : {pedido, hecho}) ASSERT_EQ(pipe(p), 0);
    sqlite3* otra = nullptr;
    const auto opening = [&] {
        ASSERT_EQ(sqlite3_open(path.c_str(), &otra), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(otra, "PRAGMA wal_autocheckpoint=0; INSERT INTO V_MV_CPTE VALUES (2);", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
    };
    const pid_t lectora = InProcessAsAnotherUserOnceOpen(opening, [&] {
        for (const int fd : {pedido[0], hecho[1]}) close(fd);
        Connection cn;
        cn.RequireTables({"V_MV_CPTE"});
        cn.Open(Url(path));
        const bool ok = Scalar(cn, "SELECT COUNT(*) FROM V_MV_CPTE") == vb::Variant(2);
        int intentos = 0;
        adodb::SetQuietReadHook([&](adodb::QuietMoment moment) {
            if (moment != adodb::QuietMoment::Kept || ++intentos > 2) return;
            Send(pedido[1]);  // first try: the index goes invalid; second: a station sets it up
            Receive(hecho[0]);
        });
        const vb::Variant filas = Scalar(cn, "SELECT COUNT(*) FROM V_MV_CPTE");
        adodb::SetQuietReadHook(nullptr);
        if (!ok || intentos < 2 || filas != vb::Variant(3)) {
            std::fprintf(stderr, "%d tries, %s rows\n", intentos, vb::CStr(filas).c_str());
            return false;
        }
        return true;
    });
    for (const int fd : {pedido[1], hecho[0]}) close(fd);
    if (Receive(pedido[0])) {
        const std::string invalid(96, '\0');  // both copies of the index's header
        const int shm = open((path + "-shm").c_str(), O_WRONLY | O_CLOEXEC);
        EXPECT_EQ(pwrite(shm, invalid.data(), invalid.size(), 0), static_cast<ssize_t>(invalid.size()));
        close(shm);
        Send(hecho[1]);
        if (Receive(pedido[0])) {
            EXPECT_EQ(sqlite3_exec(otra, "INSERT INTO V_MV_CPTE VALUES (3);", nullptr, nullptr, nullptr), SQLITE_OK);
            Send(hecho[1]);
        }
    }
    for (const int fd : {pedido[0], hecho[1]}) close(fd);
    EXPECT_TRUE(EndedWell(lectora));
    sqlite3_close(otra);
    ExpectNothingOfAnotherUser(dir.Path());
}

// Mounts a small file system of this process's own (a mount namespace of
// its own, inside a user namespace when not root) on `dir`; false where the
// system does not let a process do so.
bool MountDiskOfItsOwn(const std::string& dir, const char* size) {
    const uid_t uid = geteuid();
    const gid_t gid = getegid();
    if (unshare(uid == 0 ? CLONE_NEWNS : CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
    if (uid != 0) {
        testsupport::WriteFile("/proc/self/setgroups", "deny");
        testsupport::WriteFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
        testsupport::WriteFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
    }
    return mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount("tarvolin", dir.c_str(), "tmpfs", 0, (std::string("size=") + size).c_str()) == 0;
}

// A disk found full when the write-ahead log's index is set up at opening:
// the message says "disco lleno", not the engine's "disk I/O error". The disk
// is a small file system of the test's own, filled to the last byte.
TEST(AbrirSqlite, ADiskFoundFullIsCalledFull) {
    const testsupport::TempDir dir;
    int salida[2];
    ASSERT_EQ(pipe(salida), 0);
    const pid_t proceso = InProcess([&] {
        close(salida[0]);
        const auto informa = [&](const std::string& texto) {
            return write(salida[1], texto.data(), texto.size()) == static_cast<ssize_t>(texto.size());
        };
        if (!MountDiskOfItsOwn(dir.Path().string(), "256k")) return informa("skip");
        const std::string path = dir.File("empresa.db");
        ExecDirect(path, "PRAGMA journal_mode=WAL; CREATE TABLE V_MV_CPTE (ID INT); INSERT INTO V_MV_CPTE VALUES (1);");
        // The rest of the disk is taken.
        const std::string relleno(4096, 'x');
        std::FILE* lleno = std::fopen(dir.File("relleno").c_str(), "w");
        while (lleno && std::fwrite(relleno.data(), 1, relleno.size(), lleno) == relleno.size() &&
               std::fflush(lleno) == 0) {
        }
        if (lleno) std::fclose(lleno);
        try {
            Connection cn;
            cn.RequireTables({"V_MV_CPTE"});
            cn.Open(Url(path));
            Scalar(cn, "SELECT COUNT(*) FROM V_MV_CPTE");
            return informa("opened");
        } catch (const vb::Error& e) {
            return informa(e.Description());
        }
    });
    close(salida[1]);
    std::string texto;
    char buffer[512];
    for (ssize_t n; (n = read(salida[0], buffer, sizeof buffer)) > 0;) {
        texto.append(buffer, static_cast<std::size_t>(n));
    }
    close(salida[0]);
    ASSERT_TRUE(EndedWell(proceso));
    if (texto == "skip") GTEST_SKIP() << "this system does not let a process mount a file system of its own";
    EXPECT_EQ(texto.rfind("disco lleno (", 0), 0u) << texto;
}

}  // namespace
