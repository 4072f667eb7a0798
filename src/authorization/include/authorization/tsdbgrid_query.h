// The queries of the paged grid TsDbGrid, without any window.
//
// GridQuery holds the grid's query state (the host's SQL, key column, page
// size, sort and search) and builds from it every text the grid sends: the
// field-list query, the count, the page query and the unpaged fallback. The
// count and the page query take their rows from the same table and WHERE
// clause, so they always agree. Every page is ordered by the sort the user
// chose and then by the key column, so that pages neither overlap nor skip
// rows. Text searches ignore letter case.
//
// On SQLite a page is read from wherever it costs least: the next and the
// previous page continue from the edge row of the page shown, from its sort
// values and key as they were read with that page (an edit or deletion of
// that row since then does not move the continuation), any other page from
// the nearer end of the list, the last one from the end in the reverse
// order. Each reads about a page of an index that keeps the sort's order,
// where the file has one. All of them give the rows the SQL Server form
// gives, since the order is total: ties are broken by the key, in the
// direction of the last sort term.
//
// The free functions at the end run those texts through a DB_Dll; they need
// no window either, and raise vb::Error when the database refuses a query.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/adodb.h"
#include "vb/variant.h"

namespace foundation {
class DB_Dll;
}

namespace authorization {

// One "expression as alias" item of the host's select list.
struct ParAlias {
    std::string Expresion;
    std::string Alias;
};

// How the SQLite form reaches a page.
enum class Acceso {
    Principio,  // from the start, skipping the rows before it (LIMIT and OFFSET)
    Final,      // from the end in the reverse order, skipping the rows after it
    Siguiente,  // right after the last row of the page shown
    Anterior,   // right before the first row of the page shown, in the reverse order
};

// A page query: its text and the values of its "?" markers, in order;
// whether its rows come in the reverse of the order shown; whether it reads
// each row's edge values (see Borde), the key being the grid's last column;
// and the columns it reads after the grid's own, which the grid never sees:
// the sort values of a compound's order (columnasOrden), then the edge
// values but the key (columnasBorde). A query with a `tamano` reads one row
// more than the page shows, which tells whether more rows follow in the
// order it reads; `saltadas`: the rows it skips from the end it reads from
// (-1: it continues from an edge instead).
struct ConsultaDePagina {
    std::string texto;
    bool invertida = false;
    std::vector<vb::Variant> valores;
    bool conBordes = false;
    std::size_t columnasOrden = 0;
    std::size_t columnasBorde = 0;
    std::int64_t tamano = 0;
    std::int64_t saltadas = -1;
};

// A row's values in the order pages continue by, as stored (Null kept apart
// from an empty text, numbers exact): each sort column that orders the rows,
// then the key.
using Borde = std::vector<vb::Variant>;

// A page read into texts: the field names and one row of texts per record;
// the edge values of its first and last rows when the query read them; and,
// where the query tells, whether the list held rows before its first row
// and after its last one when it was read.
struct PaginaLeida {
    std::vector<std::string> Campos;
    std::vector<std::vector<std::string>> Filas;
    Borde primera;
    Borde ultima;
    std::optional<bool> masAntes;
    std::optional<bool> masDespues;
};

class GridQuery {
public:
    // ---- State (the grid's members of the same names) ----
    std::string SQL;
    std::string PrimaryKey = "ID";
    long PageSize = 5;
    int Find = 2;       // 1: search the loaded page only; else filter every page
    int Order = 1;      // 1: sort by one column; else cumulative sort
    int OrdenSent = 0;  // 0 the query's own order, 1 ascending, 2 descending, 3 leave OrderBy
    int FormatDate = 103;
    std::string OrderBy;  // the ORDER BY clause as the user built it (shown in the status bar)
    std::string Campos;
    std::string CamposSel;
    std::string ClausulaWhere;
    std::string FiltroBusqueda;
    std::string TablaConsulta;
    std::string ListaCampos;
    std::string ListaCamposSel;
    std::string ColumnasFecha;
    std::string ColumnasTexto;  // the text columns, as ColumnasFecha: "|2||4|"
    std::vector<ParAlias> TablaAlias{ParAlias{}};  // always ends with one empty pair
    std::vector<std::string> NombresCampos;        // field names of the last field list read

    // What the pages are cut from: the sort, key, query and search.
    struct Origen {
        std::string orderBy;
        std::string primaryKey;
        std::string sql;
        std::string filtro;
    };

    // The page shown, which the next and the previous page continue from:
    // its number (0: none), the edge values of its first and last rows as
    // they were read, and the order, condition and page size it was read with.
    struct PaginaVista {
        std::int64_t numero = 0;
        Borde primera;
        Borde ultima;
        Origen origen;
        long tamano = 0;
    };
    PaginaVista Vista;

    // The message refusing `sql` (a JOIN or GROUP BY), or nullopt.
    static std::optional<std::string> MotivoRechazo(std::string_view sql);

    // Reads the " as " items of SQL into TablaAlias. The scan always advances,
    // whatever blanks, tabs or line breaks stand around "as".
    void CargarAlias();
    // With Equivalencia the alias of an expression, else the expression of an
    // alias; the text itself when no pair matches.
    std::string EquiCampo(const std::string& Campo, bool Equivalencia) const;
    // TablaConsulta: the table named after " FROM ".
    void LeerTablaConsulta();
    // The key column (PrimaryKey, or "ID" when empty).
    std::string Clave() const;

    // The query whose field list CargarCampos reads (one row at most).
    std::string ConsultaCampos() const;
    // Builds Campos, ListaCampos, ColumnasFecha and ColumnasTexto from the query's fields;
    // returns the entries of the search-field box ("Todos" first). A date
    // column is converted from its own expression, under its alias.
    std::vector<std::string> CargarCampos(const std::vector<adodb::FieldInfo>& campos);

    // SELECT COUNT(*) over the rows the pages are cut from.
    std::string ConsultaConteo() const;

    // A sort request on the column titled `titulo` (modes 1 and 2): edits
    // OrderBy as Order says. The only place a column enters the sort.
    void ArmarOrdenColumna(const std::string& titulo);
    // At each page load: mode 0 takes OrderBy from SQL; the others keep it.
    void ArmarOrden();
    // ClausulaWhere: SQL's condition, in parentheses and with " AND " and the
    // search condition when there is one.
    void ArmarWhere();
    // Rewrites each alias of the list as "expression as alias" (the list
    // itself too) and returns it.
    std::string AgregarAlias(std::string& campos) const;
    // The FROM part of the page query for page `pagina` (a page below 1 is
    // page 1), in the connection's dialect. On SQL Server and Oracle a
    // derived table named Paginacion skips the keys of the earlier pages with
    // NOT IN (TOP, or ROWNUM); on SQLite it is the table itself, named
    // Paginacion, and the whole query ends with LIMIT and OFFSET. The rows
    // are the same, since every page is ordered by the key last.
    std::string ArmarConsultaPagina(std::int64_t pagina, adodb::Dialect dialecto);
    // The whole page query: runs ArmarOrden and ArmarWhere, then joins the
    // pieces. On SQLite the page is read from the start (LIMIT and OFFSET).
    std::string ConsultaPagina(std::int64_t pagina, adodb::Dialect dialecto);
    // The ORDER BY of the page query: OrderBy with the key column last.
    std::string OrdenPagina() const;
    // The same for the outer query, its columns named through Paginacion
    // (the derived table, or on SQLite the table itself): a bare [FECHA]
    // there would sort by the converted text of the select list's FECHA, not
    // by the date. `invertido`: every term in the other direction.
    std::string OrdenExterior(bool invertido = false) const;

    // ---- Reading a page on SQLite ----
    // How page `pagina` of `total` records is reached: the next or previous
    // page of Vista from its edge (when the order, condition and page size
    // are still those it was read with, every sort term is a column and the
    // page was read with its edge values), else from the nearer end. Runs
    // ArmarOrden.
    Acceso AccesoPagina(std::int64_t pagina, std::int64_t total);
    // From the nearer end of `total` records: Principio or Final.
    Acceso AccesoPorExtremo(std::int64_t pagina, std::int64_t total) const;
    // The page query of `acceso`, reading each row's edge values after the
    // grid's columns. Siguiente and Anterior continue from Vista's edge, its
    // values bound to the query's markers.
    ConsultaDePagina ConsultaSqlite(Acceso acceso, std::int64_t pagina, std::int64_t total);
    // Keeps page `pagina`, read in display order, as Vista; a page without
    // rows leaves Vista as it was (the page shown stays).
    void RecordarPagina(std::int64_t pagina, const PaginaLeida& leida);
    // Whether the next and the previous page can continue from Vista's edges.
    // Runs ArmarOrden.
    bool PuedeContinuar();
    // The count of the rows before the first row of Vista in the page order,
    // its values bound; nullopt where pages do not continue from their edges.
    std::optional<ConsultaDePagina> ConteoAntes();
    // The number of a page with `antes` rows before it and `filas` on it, of
    // `total`: the last page with no row after it, else page 1 with no row
    // before it, else the page of its first row when pages are cut from the
    // start, but neither 1 nor the last one.
    static std::int64_t NumeroDePagina(std::int64_t antes, std::int64_t filas, std::int64_t total, long pageSize);
    // The columns the condition holds to one stored value (a top-level
    // "column = literal" joined by AND), which therefore cannot order the
    // rows. A literal that reads as a date holds none: a day-first date is
    // compared as the date, which more than one stored text may be.
    std::vector<std::string> ColumnasFijas() const;
    // The host's own query, unpaged, with the key column as its last column.
    std::string ConsultaSinPaginar() const;

    // Pages for `total` records: 0 without records, 1 for a page size below 1.
    static std::int64_t CantidadPaginas(std::int64_t total, long pageSize);

    // ---- Search ----
    // True when ColumnasFecha holds the 0-based field position `posicion`.
    bool EsColumnaFecha(int posicion) const;
    // True when ColumnasTexto holds it.
    bool EsColumnaTexto(int posicion) const;
    // The condition of a search for `texto` in the column titled `nombre`,
    // at field position `posicion`: for a text column " F LIKE '%texto%'",
    // for a date column " F = 'date'", for another (a number) " CONVERT(NVARCHAR,F)
    // LIKE '%texto%'", F being the column's expression.
    // The text enters the literal with its apostrophes doubled ("%" keeps its
    // LIKE meaning). nullopt for a date column when `texto` is no date.
    std::optional<std::string> ClausulaBusqueda(const std::string& nombre, int posicion,
                                                const std::string& texto) const;
    // The condition of a search in every column: `titulos` are the grid's
    // data columns in order (field positions 0, 1, ...). Date columns take
    // part only when `texto` is a date; with no column at all the condition
    // matches no row.
    std::string CondicionTodos(const std::vector<std::string>& titulos, const std::string& texto) const;
    // Joins a condition to FiltroBusqueda with " and ".
    void AgregarFiltro(const std::string& condicion);
    // The text of a date literal for `texto`, read day-first by the database
    // layer: a day-first date as typed, an ISO date rewritten as dd/mm/yyyy;
    // nullopt when `texto` is no date.
    static std::optional<std::string> TextoFecha(std::string_view texto);

    // ---- Column choice ----
    // The query whose fields are the chosen columns `elegidas` ("[a], [b],
    // key"), each alias written back as its expression. Raises error 5 when
    // no column was chosen.
    std::string ConsultaColumnas(std::string elegidas) const;
    // CamposSel, ListaCamposSel, ColumnasFecha and ColumnasTexto as the
    // fields of that query make them (the grid then shows those columns in
    // that order).
    struct Eleccion {
        std::string CamposSel;
        std::string ListaCamposSel;
        std::string ColumnasFecha;
        std::string ColumnasTexto;
    };
    Eleccion ColumnasElegidas(const std::vector<adodb::FieldInfo>& campos) const;

private:
    // The records of a page and of the pages before it.
    struct Tramo {
        std::int64_t tamano;
        std::int64_t saltar;
    };
    Tramo TramoPagina(std::int64_t pagina) const;
    std::string TablaPagina() const;
    std::string CondicionHost() const;
    std::string ItemFecha(const std::string& nombre, bool mayusculas) const;
    const std::string& ListaPagina();
    std::string SelectYFrom(std::int64_t pagina, adodb::Dialect dialecto);
    Origen OrigenActual() const;
    bool EsOrigenActual(const Origen& origen) const;
    // A sort term of the order that pages continue by: a column, and its direction.
    struct TerminoContinuo {
        std::string columna;
        bool descendente;
    };
    // The terms up to the key, without the fixed columns; nullopt when a
    // term is not a plain column.
    const std::optional<std::vector<TerminoContinuo>>& TerminosContinuos() const;
    std::optional<std::vector<TerminoContinuo>> LeerTerminosContinuos() const;
    std::string ArmarOrdenExterior(bool invertido) const;
    // The SQLite page queries (ConsultaSqlite).
    std::string SelectSqlite(ConsultaDePagina& consulta, bool conOrden);
    ConsultaDePagina DesdeExtremo(bool final, std::int64_t tamano, std::int64_t saltar);
    std::optional<ConsultaDePagina> Continuacion(bool siguiente, std::int64_t tamano);
    // A continuation's query, without its values: the edge value each of
    // its markers takes, in order.
    struct Continua {
        ConsultaDePagina consulta;
        std::vector<std::size_t> marcas;
    };
    Continua ArmarContinuacion(bool siguiente, std::int64_t tamano, const Borde& borde);
    // One arm of a continuation: its condition, and the edge value each of
    // its markers takes.
    struct Brazo {
        std::string condicion;
        std::vector<std::size_t> marcas;
    };
    std::vector<Brazo> Brazos(bool siguiente, const Borde& borde) const;
    std::string FiltroDeBrazo() const;
    // What the sort, key, query and search give, kept while they stay as they
    // are, since every page turn asks for it.
    struct Derivados {
        Origen de;
        bool conTerminos = false;
        std::optional<std::vector<TerminoContinuo>> terminos;
        std::string exterior[2];  // OrdenExterior, straight and reversed
        std::string seleccion;    // the select list as AgregarAlias left it
        // Continuations by direction, page size and which edge values are
        // Null, for that select list.
        std::map<std::string, Continua> continuaciones;
    };
    mutable Derivados derivados_;
    Derivados& Derivado() const;
};

// The dialect the page query is written in on `db`'s connection (SQL
// Server's while it is closed).
adodb::Dialect DialectoPagina(const foundation::DB_Dll& db);

// The fields of the query (its field-list query, one row at most).
std::vector<adodb::FieldInfo> LeerCampos(foundation::DB_Dll& db, const GridQuery& consulta);

// The fields of the chosen columns (GridQuery::ConsultaColumnas).
std::vector<adodb::FieldInfo> LeerCamposElegidos(foundation::DB_Dll& db, const GridQuery& consulta,
                                                 const std::string& elegidas);

// The number of records the pages are cut from (COUNT(*) on the database).
std::int64_t ContarRegistros(foundation::DB_Dll& db, const GridQuery& consulta);

// The number of records before the first row of the page shown (Vista), as
// the list stands; nullopt where pages do not continue from their edges.
std::optional<std::int64_t> ContarAntes(foundation::DB_Dll& db, GridQuery& consulta);

// The query of page `pagina` of `total` records in the connection's
// dialect; on SQLite from where it costs least.
ConsultaDePagina ConsultaParaPagina(foundation::DB_Dll& db, GridQuery& consulta, std::int64_t pagina,
                                    std::int64_t total);

// Opens `pagina` (a page query, its values bound) into `rs`. When SQL Server
// answers that a column does not exist (native error 207), opens the
// unpaged query instead. Raises the connection's error when nothing could be
// opened.
void AbrirPagina(foundation::DB_Dll& db, const GridQuery& consulta, const ConsultaDePagina& pagina,
                 adodb::Recordset& rs);
void AbrirPagina(foundation::DB_Dll& db, const GridQuery& consulta, std::string texto, adodb::Recordset& rs);

// The recordset's rows from the current one on, as texts (Null as ""), in
// display order (`pagina.invertida`: they came last first), without the
// columns the page query reads after the grid's; the edge values of the
// first and last rows kept apart.
PaginaLeida LeerPagina(adodb::Recordset& rs, const ConsultaDePagina& pagina = {});

// Page `pagina` of `total` records, queried, opened and read in display
// order, and kept as the page shown.
PaginaLeida LeerPaginaNumero(foundation::DB_Dll& db, GridQuery& consulta, std::int64_t pagina,
                             std::int64_t total);

}  // namespace authorization
