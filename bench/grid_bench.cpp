// The grid control's page loads on a table of blocked orders (every row of
// type NP and blocked, so every row is listed): the count, the page query and
// the recordset through the control's own query path and foundation::Db(),
// next to the same count and page run on raw SQLite. Page 1, a middle page
// and the last page, on 100,000 and 1,000,000 rows; "rss_growth_kb" is how
// much the process grew while loading (it should not follow the table).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "authorization/tsdbgrid_query.h"
#include "foundation/db_dll.h"

namespace {

constexpr long kPageSize = 10;
const char* const kListQuery =
    "SELECT TC, IDCOMPROBANTE AS NUMERO,FECHA,FECHAESTFIN AS VENCIMIENTO,NOMBRE AS CLIENTE,IMPORTE,"
    "OBSERVACIONES FROM V_MV_CPTE WHERE [BLOQUEADA] = 1 AND TC = 'NP' ORDER BY [TC] ASC";

void Check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) throw std::runtime_error(sqlite3_errmsg(db));
}

long ResidentKb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// A database file of `rows` blocked orders, built once and removed at exit.
class OrdersFile {
public:
    explicit OrdersFile(int rows) : rows_(rows) {
        path_ = (std::filesystem::temp_directory_path() /
                 ("tarvolin-grid-bench-" + std::to_string(getpid()) + "-" + std::to_string(rows) + ".db"))
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
                                 "OBSERVACIONES, BLOQUEADA) VALUES (?1, 'NP', ?2, ?3, ?3, ?4, ?5, 'obs', 1)",
                                 -1, &insert, nullptr),
              db_);
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

OrdersFile& File(int rows) {
    static std::map<int, std::unique_ptr<OrdersFile>> files;
    std::unique_ptr<OrdersFile>& file = files[rows];
    if (!file) file = std::make_unique<OrdersFile>(rows);
    return *file;
}

// The program's connection on the file, and the control's query state after
// LoadTsDBGrid of the main window's list.
authorization::GridQuery& Control(OrdersFile& file) {
    static std::string open;
    static authorization::GridQuery query;
    foundation::DB_Dll& db = foundation::Db();
    if (open != file.Path()) {
        db.gCnn.Close();
        db.gCnn.Open("Provider=SQLOLEDB;Data Source=" + file.Path());
        open = file.Path();
        query = {};
        query.SQL = std::string(kListQuery) + "  ";
        query.PageSize = kPageSize;
        query.CargarAlias();
        query.CargarCampos(authorization::LeerCampos(db, query));
    }
    return query;
}

std::int64_t PageOf(const benchmark::State& state, int rows) {
    const std::int64_t pages = rows / kPageSize;
    switch (state.range(1)) {
        case 0: return 1;
        case 1: return pages / 2;
        default: return pages;
    }
}

// Count, page query and recordset, as CargarPaginas and CargarGrid run them.
void BM_GridPage(benchmark::State& state) {
    OrdersFile& file = File(static_cast<int>(state.range(0)));
    authorization::GridQuery& query = Control(file);
    foundation::DB_Dll& db = foundation::Db();
    const std::int64_t page = PageOf(state, file.Rows());
    const long before = ResidentKb();
    for (auto _ : state) {
        const std::int64_t total = authorization::ContarRegistros(db, query);
        adodb::Recordset rs;
        authorization::AbrirPagina(db, query, query.ConsultaPagina(page, db.EsOracle()), rs);
        const authorization::PaginaLeida rows = authorization::LeerPagina(rs);
        if (total != file.Rows() || rows.Filas.size() != static_cast<std::size_t>(kPageSize)) {
            state.SkipWithError("wrong count or page");
        }
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rss_growth_kb"] = static_cast<double>(ResidentKb() - before);
}

// The same count and page in SQLite's own dialect on a raw connection.
std::string RawPage(std::int64_t page) {
    return "SELECT TC, IDCOMPROBANTE AS NUMERO, strftime('%d/%m/%Y', FECHA) AS FECHA, strftime('%d/%m/%Y', "
           "FECHAESTFIN) AS VENCIMIENTO, NOMBRE AS CLIENTE, IMPORTE, OBSERVACIONES, ID FROM (SELECT * FROM "
           "V_MV_CPTE WHERE ID NOT IN (SELECT ID FROM V_MV_CPTE WHERE BLOQUEADA = 1 AND TC = 'NP' ORDER BY TC "
           "ASC, ID LIMIT " +
           std::to_string((page - 1) * kPageSize) +
           ") AND (BLOQUEADA = 1 AND TC = 'NP') ORDER BY TC ASC, ID LIMIT " + std::to_string(kPageSize) +
           ") AS Paginacion WHERE BLOQUEADA = 1 AND TC = 'NP' ORDER BY Paginacion.TC ASC, Paginacion.ID";
}

// A page with OFFSET, for reference: what the database spends without NOT IN.
std::string RawOffsetPage(std::int64_t page) {
    return "SELECT TC, IDCOMPROBANTE AS NUMERO, strftime('%d/%m/%Y', FECHA) AS FECHA, strftime('%d/%m/%Y', "
           "FECHAESTFIN) AS VENCIMIENTO, NOMBRE AS CLIENTE, IMPORTE, OBSERVACIONES, ID FROM V_MV_CPTE WHERE "
           "BLOQUEADA = 1 AND TC = 'NP' ORDER BY TC ASC, ID LIMIT " +
           std::to_string(kPageSize) + " OFFSET " + std::to_string((page - 1) * kPageSize);
}

std::int64_t RawCount(sqlite3* db) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM V_MV_CPTE WHERE BLOQUEADA = 1 AND TC = 'NP'", -1, &st, nullptr);
    sqlite3_step(st);
    const std::int64_t n = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return n;
}

int RawRows(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
    int rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(st); ++c) benchmark::DoNotOptimize(sqlite3_column_text(st, c));
        ++rows;
    }
    sqlite3_finalize(st);
    return rows;
}

template <std::string (*Sql)(std::int64_t)>
void BM_RawPage(benchmark::State& state) {
    OrdersFile& file = File(static_cast<int>(state.range(0)));
    const std::string sql = Sql(PageOf(state, file.Rows()));
    const long before = ResidentKb();
    for (auto _ : state) {
        const std::int64_t total = RawCount(file.Raw());
        if (total != file.Rows() || RawRows(file.Raw(), sql) != kPageSize) state.SkipWithError("wrong count or page");
    }
    state.counters["rss_growth_kb"] = static_cast<double>(ResidentKb() - before);
}

// The count as fetching every row of the list would make it (for reference).
void BM_CountByFetchingEveryRow(benchmark::State& state) {
    OrdersFile& file = File(static_cast<int>(state.range(0)));
    Control(file);
    const long before = ResidentKb();
    long peak = before;
    for (auto _ : state) {
        std::string sql = std::string(kListQuery) + "  ";
        adodb::Recordset rs;
        foundation::Db().AbrirRecordset(sql, rs);
        if (rs.RecordCount() != file.Rows()) state.SkipWithError("wrong count");
        peak = std::max(peak, ResidentKb());
    }
    state.counters["rss_growth_kb"] = static_cast<double>(peak - before);
}

void Pages(benchmark::internal::Benchmark* b) {
    b->ArgNames({"rows", "page"});
    for (int rows : {100000, 1000000}) {
        for (int page = 0; page <= 2; ++page) b->Args({rows, page});
    }
    b->Unit(benchmark::kMillisecond);
}

// page 0: the first page, 1: the middle page, 2: the last page.
BENCHMARK(BM_GridPage)->Apply(Pages);
BENCHMARK_TEMPLATE(BM_RawPage, RawPage)->Apply(Pages);
BENCHMARK_TEMPLATE(BM_RawPage, RawOffsetPage)->Apply(Pages);
BENCHMARK(BM_CountByFetchingEveryRow)->Arg(100000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
