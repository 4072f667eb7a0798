// Turning to a page of the main window's list of 1,000,000 orders: the page
// query the grid builds, opened and read through the program's database layer
// as the grid loads a page, beside the same rows read on a raw SQLite
// connection with LIMIT and OFFSET. And the count a load of the list starts with.
#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "authorization/tsdbgrid_query.h"
#include "foundation/db_dll.h"
#include "listado.h"

namespace bench {

namespace {

using authorization::GridQuery;

constexpr long kPorPagina = 10;
constexpr std::int64_t kPaginas = kListadas / kPorPagina;

// The grid's state after the main window's LoadTsDBGrid.
GridQuery& Consulta() {
    static GridQuery q = [] {
        GridQuery g;
        g.SQL = "SELECT TC, IDCOMPROBANTE AS NUMERO,FECHA,FECHAESTFIN AS VENCIMIENTO,NOMBRE AS CLIENTE,IMPORTE,"
                "OBSERVACIONES FROM V_MV_CPTE WHERE [BLOQUEADA] = 1 AND TC = 'NP' ORDER BY [TC] ASC  ";
        g.PageSize = kPorPagina;
        g.CargarAlias();
        g.CargarCampos(authorization::LeerCampos(foundation::Db(), g));
        return g;
    }();
    return q;
}

// The page as the grid loads it: query built, opened, read into texts.
authorization::PaginaLeida PaginaDelPrograma(std::int64_t pagina) {
    foundation::DB_Dll& db = foundation::Db();
    GridQuery& q = Consulta();
    adodb::Recordset rs;
    authorization::AbrirPagina(db, q, q.ConsultaPagina(pagina, authorization::DialectoPagina(db)), rs);
    return authorization::LeerPagina(rs);
}

// The same page and count in SQLite's own words.
std::string PaginaDirecta(std::int64_t pagina) {
    return "SELECT TC, IDCOMPROBANTE AS NUMERO, strftime('%d/%m/%Y', FECHA) AS FECHA, strftime('%d/%m/%Y', "
           "FECHAESTFIN) AS VENCIMIENTO, NOMBRE AS CLIENTE, IMPORTE, OBSERVACIONES, ID FROM V_MV_CPTE WHERE "
           "BLOQUEADA = 1 AND TC = 'NP' ORDER BY TC ASC, ID LIMIT " +
           std::to_string(kPorPagina) + " OFFSET " + std::to_string((pagina - 1) * kPorPagina);
}

const char* const kConteoDirecto = "SELECT COUNT(*) FROM V_MV_CPTE WHERE BLOQUEADA = 1 AND TC = 'NP'";

// Both ways must give the same texts, or the comparison means nothing.
bool MismaPagina(std::int64_t pagina) {
    std::vector<std::string> directa;
    RawRows(Listado().Raw(), PaginaDirecta(pagina), [&](int, const unsigned char* texto) {
        directa.push_back(texto ? reinterpret_cast<const char*>(texto) : "");
    });
    std::vector<std::string> programa;
    for (const std::vector<std::string>& fila : PaginaDelPrograma(pagina).Filas) {
        for (std::string texto : fila) {
            std::replace(texto.begin(), texto.end(), ',', '.');  // the regional decimal separator
            programa.push_back(std::move(texto));
        }
    }
    return !programa.empty() && programa == directa;
}

void Pagina(benchmark::State& state, std::int64_t pagina) {
    static std::set<std::int64_t> comprobadas;
    if (!comprobadas.count(pagina)) {
        if (!MismaPagina(pagina)) {
            state.SkipWithError("the program's page differs from SQLite's");
            return;
        }
        comprobadas.insert(pagina);
    }
    for (auto _ : state) {
        const authorization::PaginaLeida leida = PaginaDelPrograma(pagina);
        if (leida.Filas.size() != static_cast<std::size_t>(kPorPagina)) state.SkipWithError("wrong page size");
        benchmark::DoNotOptimize(leida);
    }
}

void PaginaReferencia(benchmark::State& state, std::int64_t pagina) {
    const std::string sql = PaginaDirecta(pagina);
    sqlite3* raw = Listado().Raw();
    for (auto _ : state) {
        const int filas = RawRows(raw, sql, [](int, const unsigned char* texto) { benchmark::DoNotOptimize(texto); });
        if (filas != kPorPagina) state.SkipWithError("wrong page size");
    }
}

void Conteo(benchmark::State& state) {
    foundation::DB_Dll& db = foundation::Db();
    for (auto _ : state) {
        if (authorization::ContarRegistros(db, Consulta()) != kListadas) state.SkipWithError("wrong count");
    }
}

void ConteoReferencia(benchmark::State& state) {
    sqlite3* raw = Listado().Raw();
    for (auto _ : state) {
        if (RawCount(raw, kConteoDirecto) != kListadas) state.SkipWithError("wrong count");
    }
}

}  // namespace

void RegistrarPaginas() {
    const std::string de = " of " + std::to_string(kListadas) + " orders";
    for (const auto& [nombre, pagina] : {std::pair<const char*, std::int64_t>{"page 1", 1},
                                         {"middle page", kPaginas / 2},
                                         {"last page", kPaginas}}) {
        const std::int64_t p = pagina;
        RegistrarCaso(nombre + de, [p](benchmark::State& s) { Pagina(s, p); },
                      [p](benchmark::State& s) { PaginaReferencia(s, p); });
    }
    RegistrarCaso("count" + de, Conteo, ConteoReferencia);
}

}  // namespace bench
