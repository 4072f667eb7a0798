// A search of the main window's list of 1,000,000 orders in every column, as
// the grid counts it (LIKE comparing the case folding of every letter), beside
// the plainest count of the same rows: SQLite's own LIKE on each column the
// search covers, on a raw connection, the pattern bound to a prepared
// statement. Both must give the same count.
#include <sqlite3.h>

#include <string>
#include <vector>

#include "authorization/tsdbgrid_query.h"
#include "foundation/db_dll.h"
#include "listado.h"

namespace bench {

namespace {

using authorization::GridQuery;

// What the person types: another case than the stored names'.
constexpr const char* kTexto = "CLIENTE 4242";
// Names run "Cliente 0" to "Cliente 4999" over the orders.
constexpr std::int64_t kEncontradas = kListadas / 5000;

// The grid after the main window's load and a search in every column.
const GridQuery& Busqueda() {
    static const GridQuery q = [] {
        GridQuery g;
        g.SQL = "SELECT TC, IDCOMPROBANTE AS NUMERO,FECHA,FECHAESTFIN AS VENCIMIENTO,NOMBRE AS CLIENTE,IMPORTE,"
                "OBSERVACIONES FROM V_MV_CPTE WHERE [BLOQUEADA] = 1 AND TC = 'NP' ORDER BY [TC] ASC  ";
        g.PageSize = 10;
        g.CargarAlias();
        g.CargarCampos(authorization::LeerCampos(foundation::Db(), g));
        const std::vector<std::string> titulos = {"TC",      "NUMERO",  "FECHA",        "VENCIMIENTO",
                                                  "CLIENTE", "IMPORTE", "OBSERVACIONES"};
        g.AgregarFiltro(g.CondicionTodos(titulos, kTexto));
        return g;
    }();
    return q;
}

// The columns a search for a text that is no date covers (the dates take
// part only for a date), each with SQLite's LIKE.
constexpr const char* kConteoDirecto =
    "SELECT COUNT(*) FROM V_MV_CPTE WHERE BLOQUEADA = 1 AND TC = 'NP' AND (TC LIKE ?1 OR IDCOMPROBANTE LIKE ?1 "
    "OR NOMBRE LIKE ?1 OR IMPORTE LIKE ?1 OR OBSERVACIONES LIKE ?1)";

std::int64_t ContarDirecto(sqlite3_stmt* st) {
    Check(sqlite3_step(st), sqlite3_db_handle(st));
    const std::int64_t n = sqlite3_column_int64(st, 0);
    sqlite3_reset(st);
    return n;
}

void ConteoPrograma(benchmark::State& state) {
    for (auto _ : state) {
        if (authorization::ContarRegistros(foundation::Db(), Busqueda()) != kEncontradas) {
            state.SkipWithError("the program's count differs from SQLite's");
        }
    }
}

void ConteoReferencia(benchmark::State& state) {
    sqlite3_stmt* st = RawPrepare(Listado().Raw(), kConteoDirecto);
    const std::string patron = std::string("%") + kTexto + "%";
    sqlite3_bind_text(st, 1, patron.c_str(), -1, SQLITE_TRANSIENT);
    for (auto _ : state) {
        if (ContarDirecto(st) != kEncontradas) state.SkipWithError("wrong count");
    }
    sqlite3_finalize(st);
}

}  // namespace

void RegistrarBusqueda() {
    RegistrarCaso("search count in every column vs plain LIKE, 1M", ConteoPrograma, ConteoReferencia);
}

}  // namespace bench
