// The grid's page query on a table of 1,000,000 documents: through
// adodb::Recordset (SQL Server's dialect, adapted) and as a raw SQLite query
// already in SQLite's dialect; the adapter on its own; and the record count.
#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>

#include "db/adodb.h"
#include "orders_file.h"
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
           "CONVERT(NVARCHAR,[FECHAESTFIN],103) AS [VENCIMIENTO], [NOMBRE] as [CLIENTE], [IMPORTE], "
           "[OBSERVACIONES], ID  FROM (SELECT TOP " +
           std::to_string(kPageSize) + " *  FROM V_MV_CPTE WHERE ID NOT IN (SELECT TOP " + std::to_string(skip) +
           " ID FROM V_MV_CPTE " + kWhere + " " + kOrderBy + ")  and [BLOQUEADA] = 1 AND TC = 'NP'  " + kOrderBy +
           ") AS Paginacion " + kWhere + " " + kOrderBy;
}

// The same page written for SQLite by hand.
std::string RawPageQuery(int page) {
    const int skip = kPageSize * page - kPageSize;
    return "SELECT TC, IDCOMPROBANTE AS NUMERO, strftime('%d/%m/%Y', FECHA) AS FECHA, "
           "strftime('%d/%m/%Y', FECHAESTFIN) AS VENCIMIENTO, NOMBRE AS CLIENTE, IMPORTE, OBSERVACIONES, ID "
           "FROM (SELECT * FROM V_MV_CPTE WHERE ID NOT IN (SELECT ID FROM V_MV_CPTE WHERE BLOQUEADA = 1 AND "
           "TC = 'NP' ORDER BY TC ASC LIMIT " +
           std::to_string(skip) + ") AND BLOQUEADA = 1 AND TC = 'NP' ORDER BY TC ASC LIMIT " +
           std::to_string(kPageSize) + ") AS Paginacion WHERE BLOQUEADA = 1 AND TC = 'NP' ORDER BY TC ASC";
}

const char* kCount = "SELECT COUNT(*) FROM V_MV_CPTE WHERE [BLOQUEADA] = 1 AND TC = 'NP'";
const char* kRawCount = "SELECT COUNT(*) FROM V_MV_CPTE WHERE BLOQUEADA = 1 AND TC = 'NP'";

// The database file, built once and removed at exit.
class Database {
public:
    Database()
        : file_("bench", kRows, [](int id) {
              static const char* const kTypes[] = {"FC", "NC", "ND", "RM", "NP", "OC", "PR", "TK", "FP", "IR"};
              return bench::DocumentKind{kTypes[id % 10], (id / 10) % 2 == 1};
          }) {
        cn_.Open("Data Source=" + file_.Path());
    }
    ~Database() { cn_.Close(); }
    sqlite3* raw() { return file_.Raw(); }
    adodb::Connection& cn() { return cn_; }

private:
    bench::OrdersFile file_;
    adodb::Connection cn_;
};

// The keys of a page through the layer and through raw SQLite; the two must agree.
void CheckSamePage(Database& db, int page) {
    std::string viaLayer, raw;
    adodb::Recordset rs;
    rs.Open(PageQuery(page), db.cn());
    for (; !rs.EOF(); rs.MoveNext()) viaLayer += vb::CStr(rs.Fields("ID").Value()) + " ";
    bench::RawRows(db.raw(), RawPageQuery(page), [&, column = 0](const unsigned char* text) mutable {
        if (column++ % 8 == 7) raw += std::string(reinterpret_cast<const char*>(text)) + " ";
    });
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
        const int rows = bench::RawRows(db, sql, [](const unsigned char* text) { benchmark::DoNotOptimize(text); });
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
    for (auto _ : state) benchmark::DoNotOptimize(bench::RawCount(db, kRawCount));
}

// 0: the first page, 1: a middle page, 2: the last page.
BENCHMARK(BM_PageRecordset)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageRawSqlite)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AdaptPageQuery)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CountRecordset)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CountRawSqlite)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
