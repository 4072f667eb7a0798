// A temporary SQLite file with the project's schema and many documents in
// V_MV_CPTE, built once for a benchmark and removed when it ends; plus the
// small raw-SQLite helpers the benchmarks compare against.
#pragma once

#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>

namespace bench {

inline void Check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) throw std::runtime_error(sqlite3_errmsg(db));
}

// The type code and the blocked flag of document `id`.
struct DocumentKind {
    const char* tc;
    bool blocked;
};

class OrdersFile {
public:
    OrdersFile(const std::string& tag, int rows, const std::function<DocumentKind(int)>& kind) : rows_(rows) {
        path_ = (std::filesystem::temp_directory_path() /
                 ("tarvolin-" + tag + "-" + std::to_string(getpid()) + "-" + std::to_string(rows) + ".db"))
                    .string();
        std::ifstream in(std::string(TARVOLIN_SOURCE_DIR) + "/db/schema.sql");
        std::stringstream schema;
        schema << in.rdbuf();
        Check(sqlite3_open(path_.c_str(), &db_), db_);
        Check(sqlite3_exec(db_, schema.str().c_str(), nullptr, nullptr, nullptr), db_);
        Check(sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr), db_);
        sqlite3_stmt* insert = nullptr;
        Check(sqlite3_prepare_v2(db_,
                                 "INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, FECHA, FECHAESTFIN, NOMBRE, IMPORTE, "
                                 "OBSERVACIONES, BLOQUEADA) VALUES (?1, ?2, ?3, ?4, ?4, ?5, ?6, 'obs', ?7)",
                                 -1, &insert, nullptr),
              db_);
        char number[32], date[32], name[32];
        for (int id = 1; id <= rows; ++id) {
            const DocumentKind k = kind(id);
            std::snprintf(number, sizeof number, "0001-%08d", id);
            std::snprintf(date, sizeof date, "20%02d-%02d-%02d 00:00:00", id % 20, id % 12 + 1, id % 28 + 1);
            std::snprintf(name, sizeof name, "Cliente %d", id % 5000);
            sqlite3_bind_int(insert, 1, id);
            sqlite3_bind_text(insert, 2, k.tc, -1, SQLITE_STATIC);
            sqlite3_bind_text(insert, 3, number, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 4, date, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 5, name, -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(insert, 6, id % 1000 + 0.25);
            sqlite3_bind_int(insert, 7, k.blocked ? 1 : 0);
            Check(sqlite3_step(insert), db_);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        Check(sqlite3_exec(db_, "COMMIT; ANALYZE;", nullptr, nullptr, nullptr), db_);
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

// Runs a query on the raw connection, reading every column; the row count.
template <class Sink>
int RawRows(sqlite3* db, const std::string& sql, Sink&& sink) {
    sqlite3_stmt* st = nullptr;
    Check(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), db);
    int rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(st); ++c) sink(sqlite3_column_text(st, c));
        ++rows;
    }
    sqlite3_finalize(st);
    return rows;
}

inline std::int64_t RawCount(sqlite3* db, const char* sql) {
    sqlite3_stmt* st = nullptr;
    Check(sqlite3_prepare_v2(db, sql, -1, &st, nullptr), db);
    sqlite3_step(st);
    const std::int64_t n = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return n;
}

}  // namespace bench
