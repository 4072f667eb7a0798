// Turning the pages of the main window's list of 1,000,000 and 5,000,000
// orders: each page read as the grid reads it (its query built, opened and
// read into texts through the program's database layer), beside the fastest
// way raw SQLite gets the same rows:
// - next page from the middle: the grid walks on from the page shown, page
//   after page, a thousand pages from the middle page at a time; the
//   reference walks on the same way with the keyset query (key greater than
//   the last one read), compiled once, the key bound at each page.
// - last page: the grid with no page shown before; the reference is a reverse
//   scan of the same order (ten rows, last first).
// - page 1 (LIMIT on both sides), a page picked in the middle (the reference
//   counts the keys off the list's index, then reads their rows), and the
//   count a load of the list starts with.
// Every page read is a first visit on both sides: its statement is compiled
// (by the program's layer and by SQLite) each time. A repeated page gets a
// text that differs only in blanks, from more variants than the layer keeps
// adapted or compiled.
// The 5,000,000 orders are built once into a file kept outside the repository
// (KeptOrders); filter the cases by "5M" to leave them out.
#include <algorithm>
#include <cstdint>
#include <iostream>
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
using authorization::PaginaLeida;

constexpr long kPorPagina = 10;
constexpr int kCincoMillones = 5000000;

// One list: its file, the program's connection on it, and the grid's state
// after the main window's LoadTsDBGrid.
struct Lista {
    OrdersFile& archivo;
    foundation::DB_Dll& db;
    GridQuery consulta;

    std::int64_t Total() const { return archivo.Rows(); }
    std::int64_t Paginas() const { return GridQuery::CantidadPaginas(Total(), kPorPagina); }
};

// Variants of the list's condition that differ only in blanks.
constexpr int kVariantes = 17 * 17;  // more than the layer keeps adapted (256) or compiled (32)

std::string Condicion(int variante, const char* bloqueada) {
    const std::string uno(1 + variante % 17, ' ');
    const std::string otro(1 + variante / 17 % 17, ' ');
    return std::string(bloqueada) + " =" + uno + "1 AND TC =" + otro + "'NP'";
}

// The main window's query, in variant `variante`.
std::string SqlPrincipal(int variante = 0) {
    return "SELECT TC, IDCOMPROBANTE AS NUMERO,FECHA,FECHAESTFIN AS VENCIMIENTO,NOMBRE AS CLIENTE,IMPORTE,"
           "OBSERVACIONES FROM V_MV_CPTE WHERE " +
           Condicion(variante, "[BLOQUEADA]") + " ORDER BY [TC] ASC  ";
}

GridQuery ConsultaPrincipal(foundation::DB_Dll& db) {
    GridQuery g;
    g.SQL = SqlPrincipal();
    g.PageSize = kPorPagina;
    g.CargarAlias();
    g.CargarCampos(authorization::LeerCampos(db, g));
    return g;
}

Lista& UnMillon() {
    static Lista lista{Listado(), foundation::Db(), ConsultaPrincipal(foundation::Db())};
    return lista;
}

Lista& CincoMillones() {
    static Lista& lista = [&]() -> Lista& {
        Listado();  // the benchmarks' settings
        std::cerr << "Opening " << kCincoMillones << " listed orders (built once)..." << std::endl;
        static OrdersFile archivo(kCincoMillones, OrdersFile::Kept{});
        static foundation::DB_Dll db;
        AbrirSesion(db, archivo.Path());
        static Lista creada{archivo, db, ConsultaPrincipal(db)};
        return creada;
    }();
    return lista;
}

// Page `pagina` as the grid reads it, with the page shown before as it is.
PaginaLeida Leer(Lista& l, std::int64_t pagina) {
    return authorization::LeerPaginaNumero(l.db, l.consulta, pagina, l.Total());
}

// The same rows in SQLite's own words.
std::string Directa(int variante) {
    return "SELECT TC, IDCOMPROBANTE AS NUMERO, strftime('%d/%m/%Y', FECHA) AS FECHA, strftime('%d/%m/%Y', "
           "FECHAESTFIN) AS VENCIMIENTO, NOMBRE AS CLIENTE, IMPORTE, OBSERVACIONES, ID FROM V_MV_CPTE WHERE " +
           Condicion(variante, "BLOQUEADA");
}
constexpr int kColumnaClave = 7;

std::string PaginaDirecta(std::int64_t pagina, int variante = 0) {
    return Directa(variante) + " ORDER BY TC ASC, ID LIMIT " + std::to_string(kPorPagina) + " OFFSET " +
           std::to_string((pagina - 1) * kPorPagina);
}

// The same page the fastest way SQLite knows for a page far from both ends:
// the keys counted off the list's index alone, then only their rows read.
std::string PaginaDiferida(std::int64_t pagina, int variante = 0) {
    return Directa(variante) + " AND ID IN (SELECT ID FROM V_MV_CPTE WHERE " + Condicion(variante, "BLOQUEADA") +
           " ORDER BY TC ASC, ID LIMIT " + std::to_string(kPorPagina) + " OFFSET " +
           std::to_string((pagina - 1) * kPorPagina) + ") ORDER BY TC ASC, ID";
}

std::string SiguienteDirecta(const std::string& clave) {
    return Directa(0) + " AND ID > " + clave + " ORDER BY TC ASC, ID LIMIT " + std::to_string(kPorPagina);
}

std::string UltimaDirecta(int variante = 0) {
    return Directa(variante) + " ORDER BY TC DESC, ID DESC LIMIT " + std::to_string(kPorPagina);
}

const char* const kConteoDirecto = "SELECT COUNT(*) FROM V_MV_CPTE WHERE BLOQUEADA = 1 AND TC = 'NP'";

// The texts of a raw query's rows, all columns in a row; `invertir`: rows last first.
std::vector<std::string> TextosDirectos(sqlite3* raw, const std::string& sql, bool invertir = false) {
    std::vector<std::vector<std::string>> filas;
    RawRows(raw, sql, [&](int columna, const unsigned char* texto) {
        if (columna == 0) filas.emplace_back();
        filas.back().push_back(texto ? reinterpret_cast<const char*>(texto) : "");
    });
    if (invertir) std::reverse(filas.begin(), filas.end());
    std::vector<std::string> textos;
    for (const std::vector<std::string>& fila : filas) textos.insert(textos.end(), fila.begin(), fila.end());
    return textos;
}

std::vector<std::string> TextosDelPrograma(const PaginaLeida& leida) {
    std::vector<std::string> textos;
    for (const std::vector<std::string>& fila : leida.Filas) {
        for (std::string texto : fila) {
            std::replace(texto.begin(), texto.end(), ',', '.');  // the regional decimal separator
            textos.push_back(std::move(texto));
        }
    }
    return textos;
}

// Both sides must give the same texts, or the comparison means nothing:
// checked once per case, before it is measured.
bool Comprobar(benchmark::State& state, const std::string& caso, const PaginaLeida& programa,
               const std::vector<std::string>& directa) {
    static std::set<std::string> comprobados;
    if (comprobados.count(caso)) return true;
    const std::vector<std::string> textos = TextosDelPrograma(programa);
    if (textos.empty() || textos != directa) {
        state.SkipWithError("the program's page differs from SQLite's");
        return false;
    }
    comprobados.insert(caso);
    return true;
}

void TamanoCorrecto(benchmark::State& state, std::size_t filas) {
    if (filas != static_cast<std::size_t>(kPorPagina)) state.SkipWithError("wrong page size");
}

// ---- Next page from the middle --------------------------------------------------------

// A walk goes this many pages on from the middle page, then starts from it
// again (untimed): however many iterations a fast machine runs, it stays far
// from the list's end, on both sides alike.
constexpr std::int64_t kTramoDelPaseo = 1000;

void SiguientePrograma(benchmark::State& state, Lista& (*lista)()) {
    Lista& l = lista();
    const std::int64_t medio = l.Paginas() / 2;
    static_assert(kListadas / kPorPagina / 2 > kTramoDelPaseo, "the walk stays within the list");
    const std::string clave = Leer(l, medio).Filas.back().back();
    if (l.consulta.AccesoPagina(medio + 1, l.Total()) != authorization::Acceso::Siguiente) {
        state.SkipWithError("the next page is not read from the edge of the page shown");
        return;
    }
    if (!Comprobar(state, "next " + std::to_string(l.Total()), Leer(l, medio + 1),
                   TextosDirectos(l.archivo.Raw(), SiguienteDirecta(clave)))) {
        return;
    }
    std::int64_t pagina = medio;
    Leer(l, pagina);
    for (auto _ : state) {
        if (pagina - medio == kTramoDelPaseo) {
            state.PauseTiming();
            pagina = medio;
            Leer(l, pagina);
            state.ResumeTiming();
        }
        const PaginaLeida leida = Leer(l, ++pagina);
        TamanoCorrecto(state, leida.Filas.size());
        benchmark::DoNotOptimize(leida);
    }
}

void SiguienteReferencia(benchmark::State& state, Lista& (*lista)()) {
    Lista& l = lista();
    const std::string inicio = TextosDirectos(l.archivo.Raw(), PaginaDirecta(l.Paginas() / 2)).back();
    std::string clave = inicio;
    std::int64_t paginas = 0;
    // The fastest way to walk on: one statement, compiled once, the key bound.
    sqlite3_stmt* st = RawPrepare(l.archivo.Raw(), SiguienteDirecta("?1"));
    for (auto _ : state) {
        if (paginas++ == kTramoDelPaseo) {
            state.PauseTiming();
            clave = inicio;
            paginas = 1;
            state.ResumeTiming();
        }
        sqlite3_bind_text(st, 1, clave.c_str(), -1, SQLITE_TRANSIENT);
        int filas = 0;
        int rc = SQLITE_OK;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(st); ++c) benchmark::DoNotOptimize(sqlite3_column_text(st, c));
            clave = reinterpret_cast<const char*>(sqlite3_column_text(st, kColumnaClave));
            ++filas;
        }
        Check(rc, l.archivo.Raw());
        sqlite3_reset(st);
        TamanoCorrecto(state, static_cast<std::size_t>(filas));
    }
    sqlite3_finalize(st);
}

// ---- A page visited with no page shown before: the last one, or one picked ------------------------

// Page `pagina` (0: the last one) as the grid reads it, each time a first visit.
void VisitaPrograma(benchmark::State& state, Lista& l, std::int64_t pagina) {
    if (pagina == 0) pagina = l.Paginas();
    l.consulta.Vista = {};
    const bool ultima = pagina == l.Paginas();
    if (!Comprobar(state, std::to_string(pagina) + " of " + std::to_string(l.Total()), Leer(l, pagina),
                   TextosDirectos(l.archivo.Raw(), ultima ? UltimaDirecta() : PaginaDirecta(pagina), ultima))) {
        return;
    }
    int variante = 0;
    for (auto _ : state) {
        l.consulta.SQL = SqlPrincipal(++variante % kVariantes);
        l.consulta.Vista = {};  // no page shown before it
        const PaginaLeida leida = Leer(l, pagina);
        TamanoCorrecto(state, leida.Filas.size());
        benchmark::DoNotOptimize(leida);
    }
    l.consulta.SQL = SqlPrincipal();
}

// The same rows raw: a reverse scan for the last page, LIMIT for the first,
// the keys of the list's index counted off for another.
void VisitaReferencia(benchmark::State& state, Lista& l, std::int64_t pagina) {
    const bool ultima = pagina == 0;
    int variante = 0;
    for (auto _ : state) {
        ++variante;
        const std::string sql = ultima        ? UltimaDirecta(variante % kVariantes)
                                : pagina == 1 ? PaginaDirecta(pagina, variante % kVariantes)
                                              : PaginaDiferida(pagina, variante % kVariantes);
        const int filas =
            RawRows(l.archivo.Raw(), sql, [](int, const unsigned char* texto) { benchmark::DoNotOptimize(texto); });
        TamanoCorrecto(state, static_cast<std::size_t>(filas));
    }
}

void UltimaPrograma(benchmark::State& state, Lista& (*lista)()) { VisitaPrograma(state, lista(), 0); }
void UltimaReferencia(benchmark::State& state, Lista& (*lista)()) { VisitaReferencia(state, lista(), 0); }

// ---- The count ------------------------------------------------------------------------------------------

void Conteo(benchmark::State& state) {
    Lista& l = UnMillon();
    for (auto _ : state) {
        if (authorization::ContarRegistros(l.db, l.consulta) != l.Total()) state.SkipWithError("wrong count");
    }
}

void ConteoReferencia(benchmark::State& state) {
    Lista& l = UnMillon();
    for (auto _ : state) {
        if (RawCount(l.archivo.Raw(), kConteoDirecto) != l.Total()) state.SkipWithError("wrong count");
    }
}

}  // namespace

void RegistrarPaginas() {
    static_assert(kListadas == 1000000, "the case names say 1M");
    using Medida2 = void (*)(benchmark::State&, Lista& (*)());
    auto caso = [](const std::string& nombre, Medida2 programa, Medida2 referencia, Lista& (*lista)()) {
        RegistrarCaso(nombre, [=](benchmark::State& s) { programa(s, lista); },
                      [=](benchmark::State& s) { referencia(s, lista); });
    };
    const std::int64_t medio = kListadas / kPorPagina / 2;
    RegistrarCaso("page 1, 1M orders", [](benchmark::State& s) { VisitaPrograma(s, UnMillon(), 1); },
                  [](benchmark::State& s) { VisitaReferencia(s, UnMillon(), 1); });
    caso("next page from middle, 1M orders", SiguientePrograma, SiguienteReferencia, UnMillon);
    if (!Rapido()) caso("next page from middle, 5M orders", SiguientePrograma, SiguienteReferencia, CincoMillones);
    caso("last page, 1M orders", UltimaPrograma, UltimaReferencia, UnMillon);
    if (!Rapido()) caso("last page, 5M orders", UltimaPrograma, UltimaReferencia, CincoMillones);
    RegistrarCaso("middle page picked, 1M orders", [=](benchmark::State& s) { VisitaPrograma(s, UnMillon(), medio); },
                  [=](benchmark::State& s) { VisitaReferencia(s, UnMillon(), medio); });
    RegistrarCaso("count, 1M orders", Conteo, ConteoReferencia);
}

}  // namespace bench
