// A temporary SQLite file with the project's schema and many blocked orders
// of type NP (every row listed by the main window), built once for the
// benchmarks and removed when they end; plus the small raw-SQLite helpers the
// benchmarks compare against.
#pragma once

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>

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

inline std::string SchemaText() {
    std::ifstream in(std::string(TARVOLIN_SOURCE_DIR) + "/db/schema.sql");
    std::stringstream schema;
    schema << in.rdbuf();
    return schema.str();
}

// Where a file of `rows` orders is kept between runs, outside the
// repository: $TARVOLIN_BENCH_DIR, else the user's cache folder. Its name
// carries a digest of the schema, so that a changed schema builds a new one.
inline std::string KeptOrdersPath(int rows) {
    std::uint64_t digest = 1469598103934665603ULL;  // FNV-1a
    for (const char c : SchemaText() + "orders v1") digest = (digest ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(digest));
    std::filesystem::path dir;
    if (const char* d = std::getenv("TARVOLIN_BENCH_DIR"); d && *d) {
        dir = d;
    } else if (const char* c = std::getenv("XDG_CACHE_HOME"); c && *c) {
        dir = std::filesystem::path(c) / "tarvolin-bench";
    } else {
        const char* home = std::getenv("HOME");
        dir = std::filesystem::path(home && *home ? home : "/tmp") / ".cache" / "tarvolin-bench";
    }
    std::filesystem::create_directories(dir);
    return (dir / ("listed-orders-" + std::to_string(rows) + "-" + hex + ".db")).string();
}

class OrdersFile {
public:
    // A temporary file, removed when the object goes.
    explicit OrdersFile(int rows) : rows_(rows) {
        path_ = (std::filesystem::temp_directory_path() /
                 ("tarvolin-bench-" + std::to_string(getpid()) + "-" + std::to_string(rows) + ".db"))
                    .string();
        Build(path_);
    }
    // A file kept at `path`: built there once (under another name until it
    // is complete, one run at a time), then opened as it stands.
    OrdersFile(int rows, std::string path) : rows_(rows), path_(std::move(path)), keep_(true) {
        const int lock = open((path_ + ".lock").c_str(), O_CREAT | O_RDWR, 0644);
        if (lock < 0) throw std::runtime_error("cannot open " + path_ + ".lock");
        if (flock(lock, LOCK_EX) != 0) {
            close(lock);
            throw std::runtime_error("cannot lock " + path_);
        }
        if (!std::filesystem::exists(path_)) {
            const std::string building = path_ + ".building";
            for (const char* suffix : {"", "-wal", "-shm", "-journal"}) std::filesystem::remove(building + suffix);
            Build(building);
            sqlite3_close(db_);
            db_ = nullptr;
            std::filesystem::rename(building, path_);
        }
        close(lock);
        Check(sqlite3_open(path_.c_str(), &db_), db_);
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
    // The schema and the orders, in one transaction, then WAL mode.
    void Build(const std::string& path) {
        Check(sqlite3_open(path.c_str(), &db_), db_);
        RawExec(db_, SchemaText());
        RawExec(db_, "BEGIN");
        sqlite3_stmt* insert = RawPrepare(db_,
                                          "INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, FECHA, FECHAESTFIN, NOMBRE, "
                                          "IMPORTE, OBSERVACIONES, BLOQUEADA) VALUES (?1, 'NP', ?2, ?3, ?3, ?4, ?5, "
                                          "'obs', 1)");
        char number[32], date[32], name[32];
        for (int id = 1; id <= rows_; ++id) {
            std::snprintf(number, sizeof number, "0001-%08d", id);
            std::snprintf(date, sizeof date, "20%02d-%02d-%02d 00:00:00", id % 20, id % 12 + 1, id % 28 + 1);
            std::snprintf(name, sizeof name, "Cliente %d", id % 5000);
            sqlite3_bind_int(insert, 1, id);
            sqlite3_bind_text(insert, 2, number, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 3, date, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 4, name, -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(insert, 5, id % 1000 + 0.25);
            Check(sqlite3_step(insert), db_);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        RawExec(db_, "COMMIT; PRAGMA journal_mode=WAL; ANALYZE;");
    }

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
