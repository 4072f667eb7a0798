// A temporary SQLite file with the project's schema and many blocked orders
// of type NP (every row listed by the main window), built once for the
// benchmarks and removed when they end; plus the small raw-SQLite helpers the
// benchmarks compare against.
#pragma once

#include <sqlite3.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

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

class OrdersFile {
public:
    explicit OrdersFile(int rows) : rows_(rows) {
        path_ = (std::filesystem::temp_directory_path() /
                 ("tarvolin-bench-" + std::to_string(getpid()) + "-" + std::to_string(rows) + ".db"))
                    .string();
        std::ifstream in(std::string(TARVOLIN_SOURCE_DIR) + "/db/schema.sql");
        std::stringstream schema;
        schema << in.rdbuf();
        Check(sqlite3_open(path_.c_str(), &db_), db_);
        RawExec(db_, schema.str());
        RawExec(db_, "PRAGMA journal_mode=WAL; BEGIN");
        sqlite3_stmt* insert = RawPrepare(db_,
                                          "INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, FECHA, FECHAESTFIN, NOMBRE, "
                                          "IMPORTE, OBSERVACIONES, BLOQUEADA) VALUES (?1, 'NP', ?2, ?3, ?3, ?4, ?5, "
                                          "'obs', 1)");
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
            Check(sqlite3_step(insert), db_);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        RawExec(db_, "COMMIT; ANALYZE;");
    }
    ~OrdersFile() {
        sqlite3_close(db_);
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
