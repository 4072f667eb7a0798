// SQLite files with the project's schema and many blocked orders of type NP
// (every row listed by the main window): each size built once and kept outside
// the repository, and working copies of them for the benchmarks that write;
// plus the small raw-SQLite helpers the benchmarks compare against.
#pragma once

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

inline void Check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) throw std::runtime_error(sqlite3_errmsg(db));
}

inline void RawExec(sqlite3* db, const std::string& sql) {
    Check(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db);
}

inline sqlite3_stmt* RawPrepare(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    Check(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), db);
    return st;
}

// The raw side's connection: one thread, no per-call lock, as the program's
// layer opens its own.
inline int OpenRaw(const std::string& path, sqlite3** db) {
    return sqlite3_open_v2(path.c_str(), db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
}

// Where the built files are kept: TARVOLIN_BENCH_CACHE, else the user's cache folder.
inline std::filesystem::path CacheFolder() {
    if (const char* dir = std::getenv("TARVOLIN_BENCH_CACHE"); dir && *dir) return dir;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg) return std::filesystem::path(xdg) / "tarvolin-bench";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".cache" / "tarvolin-bench";
}

inline std::string Schema() {
    std::ifstream in(std::string(TARVOLIN_SOURCE_DIR) + "/db/schema.sql");
    std::stringstream schema;
    schema << in.rdbuf();
    return schema.str();
}

// Whether a statement of the schema creates an index (leading blanks and
// "--" comments skipped).
inline bool CreatesIndex(const char* sql) {
    for (;;) {
        while (*sql && std::isspace(static_cast<unsigned char>(*sql))) ++sql;
        if (sql[0] != '-' || sql[1] != '-') break;
        while (*sql && *sql != '\n') ++sql;
    }
    std::string words;
    for (; *sql && words.size() < 12; ++sql) {
        if (std::isspace(static_cast<unsigned char>(*sql))) {
            if (!words.empty() && words.back() != ' ') words += ' ';
        } else {
            words += static_cast<char>(std::toupper(static_cast<unsigned char>(*sql)));
        }
    }
    return words.rfind("CREATE INDEX", 0) == 0 || words.rfind("CREATE UNIQU", 0) == 0;
}

// Runs the schema's statements in order, except those that create an index,
// which it returns (to be run once the rows are in: sorting them once is far
// quicker than keeping every index in order through millions of inserts).
inline std::vector<std::string> SchemaWithoutIndexes(sqlite3* db, const std::string& schema) {
    std::vector<std::string> indexes;
    const char* next = schema.c_str();
    while (*next) {
        sqlite3_stmt* st = nullptr;
        const char* tail = nullptr;
        Check(sqlite3_prepare_v2(db, next, -1, &st, &tail), db);
        if (st) {
            const std::string sql(next, tail);
            if (CreatesIndex(sql.c_str())) {
                indexes.push_back(sql);
            } else {
                const int rc = sqlite3_step(st);
                if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
                    sqlite3_finalize(st);
                    Check(rc, db);
                }
            }
            sqlite3_finalize(st);
        }
        next = tail;
    }
    return indexes;
}

// Writes the schema, the user "bench" and `rows` listed orders to a new file.
inline void BuildOrders(const std::string& path, int rows) {
    sqlite3* db = nullptr;
    Check(sqlite3_open(path.c_str(), &db), db);
    RawExec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-262144;");
    const std::vector<std::string> indexes = SchemaWithoutIndexes(db, Schema());
    RawExec(db, "BEGIN; INSERT INTO ta_usuarios (nombre, Administrador) VALUES ('bench', '1')");
    sqlite3_stmt* insert = RawPrepare(db,
                                      "INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, FECHA, FECHAESTFIN, NOMBRE, "
                                      "IMPORTE, OBSERVACIONES, BLOQUEADA) VALUES (?1, 'NP', ?2, ?3, ?3, ?4, ?5, "
                                      "?6, 1)");
    // The reasons a block carries, so that sorting by them groups the orders.
    static const char* const reasons[] = {"Límite de crédito excedido", "Cheque rechazado", "Deuda vencida",
                                          "Precio fuera de lista",       "Descuento especial", "obs", ""};
    char number[32], date[32], name[32];
    for (int id = 1; id <= rows; ++id) {
        std::snprintf(number, sizeof number, "0001-%08d", id);
        std::snprintf(date, sizeof date, "20%02d-%02d-%02d 00:00:00", id % 20, id % 12 + 1, id % 28 + 1);
        std::snprintf(name, sizeof name, "Cliente %d", id % 5000);
        sqlite3_bind_int(insert, 1, id);
        sqlite3_bind_text(insert, 2, number, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, date, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, name, -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(insert, 5, id % 1000 + 0.25);
        sqlite3_bind_text(insert, 6, reasons[id % 7], -1, SQLITE_STATIC);
        Check(sqlite3_step(insert), db);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    RawExec(db, "COMMIT");
    for (const std::string& index : indexes) RawExec(db, index);
    RawExec(db, "ANALYZE; PRAGMA journal_mode=WAL;");
    Check(sqlite3_close(db), db);
}

// What BuildOrders writes in each row; a change here gets files of its own.
inline constexpr const char* kRowsForm = "rows 2: the reasons of the block vary";

// The kept file of `rows` listed orders, built on first use. Its name carries
// the digest of the schema and of the rows' form, so that a changed schema
// (or rows) gets a file of its own.
inline std::string KeptOrders(int rows) {
    const std::filesystem::path folder = CacheFolder();
    std::filesystem::create_directories(folder);
    const std::string schema = Schema();
    char digest[32];
    std::snprintf(digest, sizeof digest, "%016zx", std::hash<std::string>{}(schema + kRowsForm));
    const std::string path = (folder / ("orders-" + std::to_string(rows) + "-" + digest + ".db")).string();
    // One process builds it; another waits for it.
    const int lock = open((path + ".lock").c_str(), O_CREAT | O_RDWR, 0644);
    if (lock < 0 || flock(lock, LOCK_EX) != 0) throw std::runtime_error("cannot lock " + path + ".lock");
    if (!std::filesystem::exists(path)) {
        std::cerr << "Building " << rows << " listed orders in " << path << " (kept for the next runs)..." << std::endl;
        const std::string building = path + ".building";
        std::filesystem::remove(building);
        BuildOrders(building, rows);
        std::filesystem::rename(building, path);
    }
    close(lock);
    return path;
}

// A working copy of the kept file, for benchmarks that write; removed at the end.
class OrdersFile {
public:
    explicit OrdersFile(int rows) : rows_(rows) {
        path_ = (std::filesystem::temp_directory_path() /
                 ("tarvolin-bench-" + std::to_string(getpid()) + "-" + std::to_string(rows) + ".db"))
                    .string();
        std::filesystem::copy_file(KeptOrders(rows), path_, std::filesystem::copy_options::overwrite_existing);
        Check(OpenRaw(path_, &db_), db_);
    }
    // The kept file itself, opened as it stands: for benchmarks that only read.
    struct Kept {};
    OrdersFile(int rows, Kept) : rows_(rows), path_(KeptOrders(rows)), keep_(true) {
        Check(OpenRaw(path_, &db_), db_);
    }
    ~OrdersFile() {
        sqlite3_close(db_);
        if (keep_) return;
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path_ + suffix);
    }
    OrdersFile(const OrdersFile&) = delete;
    OrdersFile& operator=(const OrdersFile&) = delete;

    int Rows() const { return rows_; }
    sqlite3* Raw() { return db_; }
    const std::string& Path() const { return path_; }

private:
    int rows_;
    std::string path_;
    bool keep_ = false;
    sqlite3* db_ = nullptr;
};

// Runs a query on the raw connection, handing every column of every row to
// `sink` as text; the row count.
template <class Sink>
int RawRows(sqlite3* db, const std::string& sql, Sink&& sink) {
    sqlite3_stmt* st = RawPrepare(db, sql);
    int rows = 0;
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(st); ++c) sink(c, sqlite3_column_text(st, c));
        ++rows;
    }
    sqlite3_finalize(st);
    Check(rc, db);
    return rows;
}

inline std::int64_t RawCount(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* st = RawPrepare(db, sql);
    Check(sqlite3_step(st), db);
    const std::int64_t n = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return n;
}

}  // namespace bench
