// The grid's page query on a table of 1,000,000 documents: through
// adodb::Recordset (SQL Server's dialect, adapted) and as a raw SQLite query
// already in SQLite's dialect; the adapter on its own; and the record count.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "db/adodb.h"
#include "sqlite_dialect.h"
#include "vb/variant.h"

namespace {

constexpr int kRows = 1000000;
constexpr int kPageSize = 10;
// One document in ten is an order, half of the orders are blocked: 50,000
// rows match, 5,000 pages.
constexpr int kPages = kRows / 10 / 2 / kPageSize;

const std::string kWhere = "WHERE [BLOQUEADA] = 1 AND TC = 'NP' ";
const std::string kOrderBy = " ORDER BY [TC] ASC  ";

// The page query as the grid builds it.
std::string PageQuery(int page) {
    const int skip = kPageSize * page - kPageSize;
    return "SELECT  [TC], [IDCOMPROBANTE] as [NUMERO], CONVERT(NVARCHAR,[FECHA],103) AS [FECHA], "
           "CONVERT(NVARCHAR,[VENCIMIENTO],103) AS [VENCIMIENTO], [NOMBRE] as [CLIENTE], [IMPORTE], "
           "[OBSERVACIONES], ID  FROM (SELECT TOP " +
           std::to_string(kPageSize) + " *  FROM V_MV_CPTE WHERE ID NOT IN (SELECT TOP " + std::to_string(skip) +
           " ID FROM V_MV_CPTE " + kWhere + " " + kOrderBy + ")  and [BLOQUEADA] = 1 AND TC = 'NP'  " + kOrderBy +
           ") AS Paginacion " + kWhere + " " + kOrderBy;
}

// The same page written for SQLite by hand.
std::string RawPageQuery(int page) {
    const int skip = kPageSize * page - kPageSize;
    return "SELECT TC, IDCOMPROBANTE AS NUMERO, strftime('%d/%m/%Y', FECHA) AS FECHA, "
           "strftime('%d/%m/%Y', VENCIMIENTO) AS VENCIMIENTO, NOMBRE AS CLIENTE, IMPORTE, OBSERVACIONES, ID "
           "FROM (SELECT * FROM V_MV_CPTE WHERE ID NOT IN (SELECT ID FROM V_MV_CPTE WHERE BLOQUEADA = 1 AND "
           "TC = 'NP' ORDER BY TC ASC LIMIT " +
           std::to_string(skip) + ") AND BLOQUEADA = 1 AND TC = 'NP' ORDER BY TC ASC LIMIT " +
           std::to_string(kPageSize) + ") AS Paginacion WHERE BLOQUEADA = 1 AND TC = 'NP' ORDER BY TC ASC";
}

const char* kCount = "SELECT COUNT(*) FROM V_MV_CPTE WHERE [BLOQUEADA] = 1 AND TC = 'NP'";
const char* kRawCount = "SELECT COUNT(*) FROM V_MV_CPTE WHERE BLOQUEADA = 1 AND TC = 'NP'";

void Check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) throw std::runtime_error(sqlite3_errmsg(db));
}

// The database file, built once and removed at exit.
class Database {
public:
    Database() {
        path_ = (std::filesystem::temp_directory_path() / ("tarvolin-bench-" + std::to_string(getpid()) + ".db")).string();
        std::ifstream in(std::string(TARVOLIN_SOURCE_DIR) + "/db/schema.sql");
        std::stringstream schema;
        schema << in.rdbuf();
        Check(sqlite3_open(path_.c_str(), &db_), db_);
        Check(sqlite3_exec(db_, schema.str().c_str(), nullptr, nullptr, nullptr), db_);
        Check(sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr), db_);
        sqlite3_stmt* insert = nullptr;
        Check(sqlite3_prepare_v2(db_,
                                 "INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, FECHA, FECHAESTFIN, NOMBRE, IMPORTE, "
                                 "OBSERVACIONES, BLOQUEADA) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, 'obs', ?8)",
                                 -1, &insert, nullptr),
              db_);
        static const char* const kTypes[] = {"FC", "NC", "ND", "RM", "NP", "OC", "PR", "TK", "FP", "IR"};
        char number[32], date[32], name[32];
        for (int id = 1; id <= kRows; ++id) {
            const char* tc = kTypes[id % 10];
            std::snprintf(number, sizeof number, "0001%08dX", id);
            std::snprintf(date, sizeof date, "20%02d-%02d-%02d 00:00:00", id % 20, id % 12 + 1, id % 28 + 1);
            std::snprintf(name, sizeof name, "Cliente %d", id % 5000);
            sqlite3_bind_int(insert, 1, id);
            sqlite3_bind_text(insert, 2, tc, -1, SQLITE_STATIC);
            sqlite3_bind_text(insert, 3, number, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 4, date, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 5, date, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 6, name, -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(insert, 7, id % 1000 + 0.25);
            sqlite3_bind_int(insert, 8, (id / 10) % 2);
            Check(sqlite3_step(insert), db_);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        Check(sqlite3_exec(db_, "COMMIT; ANALYZE;", nullptr, nullptr, nullptr), db_);
        cn_.Open("Data Source=" + path_);
    }
    ~Database() {
        cn_.Close();
        sqlite3_close(db_);
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path_ + suffix);
    }
    sqlite3* raw() { return db_; }
    adodb::Connection& cn() { return cn_; }

private:
    std::string path_;
    sqlite3* db_ = nullptr;
    adodb::Connection cn_;
};

// The keys of a page through the layer and through raw SQLite; the two must agree.
void CheckSamePage(Database& db, int page) {
    std::string viaLayer, raw;
    adodb::Recordset rs;
    rs.Open(PageQuery(page), db.cn());
    for (; !rs.EOF(); rs.MoveNext()) viaLayer += vb::CStr(rs.Fields("ID").Value()) + " ";
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db.raw(), RawPageQuery(page).c_str(), -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) raw += std::to_string(sqlite3_column_int64(st, 7)) + " ";
    sqlite3_finalize(st);
    if (viaLayer != raw || viaLayer.empty()) throw std::runtime_error("page " + std::to_string(page) + " differs");
}

Database& Db() {
    static Database db;
    static const bool checked = [] {
        for (int page : {1, kPages / 2, kPages}) CheckSamePage(db, page);
        return true;
    }();
    (void)checked;
    return db;
}

int PageOf(const benchmark::State& state) {
    switch (state.range(0)) {
        case 0: return 1;
        case 1: return kPages / 2;
        default: return kPages;
    }
}

void BM_PageRecordset(benchmark::State& state) {
    const std::string sql = PageQuery(PageOf(state));
    adodb::Connection& cn = Db().cn();
    for (auto _ : state) {
        adodb::Recordset rs;
        rs.Open(sql, cn);
        if (rs.RecordCount() != kPageSize) state.SkipWithError("wrong page size");
        benchmark::DoNotOptimize(rs.Fields(std::size_t{0}).Value());
    }
}

void BM_PageRawSqlite(benchmark::State& state) {
    const std::string sql = RawPageQuery(PageOf(state));
    sqlite3* db = Db().raw();
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
        int rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(st); ++c) benchmark::DoNotOptimize(sqlite3_column_text(st, c));
            ++rows;
        }
        sqlite3_finalize(st);
        if (rows != kPageSize) state.SkipWithError("wrong page size");
    }
}

// The adapter's own work on a page query it has not seen (the connection
// keeps adapted texts, so a page opened again costs a look-up only).
void BM_AdaptPageQuery(benchmark::State& state) {
    const std::string sql = PageQuery(PageOf(state));
    for (auto _ : state) benchmark::DoNotOptimize(adodb::sqlite::AdaptBatch(sql));
}

void BM_CountRecordset(benchmark::State& state) {
    adodb::Connection& cn = Db().cn();
    for (auto _ : state) {
        adodb::Recordset rs;
        rs.Open(kCount, cn);
        benchmark::DoNotOptimize(rs.Fields(std::size_t{0}).Value());
    }
}

void BM_CountRawSqlite(benchmark::State& state) {
    sqlite3* db = Db().raw();
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, kRawCount, -1, &st, nullptr);
        sqlite3_step(st);
        benchmark::DoNotOptimize(sqlite3_column_int64(st, 0));
        sqlite3_finalize(st);
    }
}

// 0: the first page, 1: a middle page, 2: the last page.
BENCHMARK(BM_PageRecordset)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageRawSqlite)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AdaptPageQuery)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CountRecordset)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CountRawSqlite)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
