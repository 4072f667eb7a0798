// A search of the main window's list of 1,000,000 orders in every column, as
// the grid counts it, with LIKE comparing the case folding of every letter;
// beside the same count, through the same code, on a second session whose
// LIKE is SQLite's own (which folds only A to Z): what the search cost before
// every letter was compared.
#include <string>
#include <vector>

#include "authorization/tsdbgrid_query.h"
#include "foundation/db_dll.h"
#include "listado.h"
#include "vb/conv.h"

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

// A second session on the file, with SQLite's own LIKE put back.
foundation::DB_Dll& SesionConLikeDeSQLite() {
    static foundation::DB_Dll db;
    static const bool abierta = [] {
        db.gCnn.Open("Provider=SQLOLEDB;Data Source=" + Listado().Path());
        db.gCnn.Execute("PRAGMA case_sensitive_like = 0");
        return true;
    }();
    (void)abierta;
    return db;
}

// Whether a session's LIKE folds "Ñ" to "ñ".
bool PliegaEnie(foundation::DB_Dll& db) {
    adodb::Recordset rs;
    rs.Open("SELECT '\xC3\x91' LIKE '\xC3\xB1'", db.gCnn);
    return vb::CDbl(rs.Fields(std::size_t{0}).Value()) == 1;
}

void Contar(benchmark::State& state, foundation::DB_Dll& db, bool pliega) {
    if (PliegaEnie(db) != pliega) {
        state.SkipWithError("the session's LIKE is not the one measured");
        return;
    }
    for (auto _ : state) {
        if (authorization::ContarRegistros(db, Busqueda()) != kEncontradas) state.SkipWithError("wrong count");
    }
}

}  // namespace

void RegistrarBusqueda() {
    RegistrarCaso(
        "search count vs ASCII-only LIKE", [](benchmark::State& s) { Contar(s, foundation::Db(), true); },
        [](benchmark::State& s) { Contar(s, SesionConLikeDeSQLite(), false); });
}

}  // namespace bench
