// The grid control's page loads on a table of blocked orders (every row of
// type NP and blocked, so every row is listed): the count, the page query and
// the recordset through the control's own query path and foundation::Db(),
// next to the same count and page run on raw SQLite. Page 1, a middle page
// and the last page, on 100,000 and 1,000,000 rows; "rss_growth_kb" is how
// much the process grew while loading (it should not follow the table).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "authorization/tsdbgrid_query.h"
#include "foundation/db_dll.h"
#include "orders_file.h"

namespace {

constexpr long kPageSize = 10;
const char* const kListQuery =
    "SELECT TC, IDCOMPROBANTE AS NUMERO,FECHA,FECHAESTFIN AS VENCIMIENTO,NOMBRE AS CLIENTE,IMPORTE,"
    "OBSERVACIONES FROM V_MV_CPTE WHERE [BLOQUEADA] = 1 AND TC = 'NP' ORDER BY [TC] ASC";

long ResidentKb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

using bench::OrdersFile;

OrdersFile& File(int rows) {
    static std::map<int, std::unique_ptr<OrdersFile>> files;
    std::unique_ptr<OrdersFile>& file = files[rows];
    if (!file) file = std::make_unique<OrdersFile>("grid-bench", rows, [](int) { return bench::DocumentKind{"NP", true}; });
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
        authorization::AbrirPagina(db, query, query.ConsultaPagina(page, authorization::DialectoPagina(db)), rs);
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

const char* const kRawCount = "SELECT COUNT(*) FROM V_MV_CPTE WHERE BLOQUEADA = 1 AND TC = 'NP'";

int RawRows(sqlite3* db, const std::string& sql) {
    return bench::RawRows(db, sql, [](const unsigned char* text) { benchmark::DoNotOptimize(text); });
}

template <std::string (*Sql)(std::int64_t)>
void BM_RawPage(benchmark::State& state) {
    OrdersFile& file = File(static_cast<int>(state.range(0)));
    const std::string sql = Sql(PageOf(state, file.Rows()));
    const long before = ResidentKb();
    for (auto _ : state) {
        const std::int64_t total = bench::RawCount(file.Raw(), kRawCount);
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
