// The grid's queries without a window: the texts it sends, and paging through
// a real database in every sort mode.
#include "authorization/tsdbgrid_query.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>
#include <numeric>
#include <random>
#include <set>
#include <tuple>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include "grid_fixture.h"
#include "support.h"
#include "vb/error.h"
#include "vb/text.h"

namespace authorization {
namespace {

using adodb::FieldInfo;
using testing::GridDbTest;
using testing::kConsultaPrincipal;
using testing::Orden;

constexpr adodb::Dialect kServidor = adodb::Dialect::SqlServer;
constexpr adodb::Dialect kOracle = adodb::Dialect::Oracle;
constexpr adodb::Dialect kSqlite = adodb::Dialect::Sqlite;

// The main window's query as the control holds it after LoadTsDBGrid (one
// blank from the property, one from the load), at 10 records a page, with
// the fields that query has.
GridQuery ConsultaPrincipal() {
    GridQuery q;
    q.SQL = std::string(kConsultaPrincipal) + "  ";
    q.PageSize = 10;
    q.CargarAlias();
    q.CargarCampos({{"TC", adodb::adVarWChar},
                    {"NUMERO", adodb::adVarWChar},
                    {"FECHA", adodb::adDBTimeStamp},
                    {"VENCIMIENTO", adodb::adDBTimeStamp},
                    {"CLIENTE", adodb::adVarWChar},
                    {"IMPORTE", adodb::adCurrency},
                    {"OBSERVACIONES", adodb::adVarWChar}});
    return q;
}

constexpr const char* kLista =
    "[TC], [IDCOMPROBANTE] as [NUMERO], CONVERT(NVARCHAR,[FECHA],103) AS [FECHA], "
    "CONVERT(NVARCHAR,[FECHAESTFIN],103) AS [VENCIMIENTO], [NOMBRE] as [CLIENTE], [IMPORTE], [OBSERVACIONES], ID";

// ---- The worked texts -------------------------------------------------------------------

TEST(GridQueryTexts, MainWindowPagesConvertDatesFromTheirColumnAndEndTheOrderWithTheKey) {
    GridQuery q = ConsultaPrincipal();
    EXPECT_EQ(q.Campos,
              "[TC], [NUMERO], CONVERT(NVARCHAR,[FECHA],103) AS [FECHA], CONVERT(NVARCHAR,[FECHAESTFIN],103) AS "
              "[VENCIMIENTO], [CLIENTE], [IMPORTE], [OBSERVACIONES], ID");

    EXPECT_EQ(q.ConsultaPagina(2, kServidor),
              std::string("SELECT  ") + kLista +
                  "  FROM (SELECT TOP 10 *  FROM V_MV_CPTE WHERE ID NOT IN (SELECT TOP 10 ID FROM V_MV_CPTE WHERE "
                  "[BLOQUEADA] = 1 AND TC = 'NP'   ORDER BY [TC] ASC, ID )  and ([BLOQUEADA] = 1 AND TC = 'NP')  "
                  "ORDER BY [TC] ASC, ID ) AS Paginacion WHERE [BLOQUEADA] = 1 AND TC = 'NP'   ORDER BY "
                  "Paginacion.[TC] ASC, Paginacion.ID ");
    // The order shown to the user is the query's own, without the key.
    EXPECT_EQ(q.OrderBy, " ORDER BY [TC] ASC  ");
    EXPECT_EQ(q.ClausulaWhere, "WHERE [BLOQUEADA] = 1 AND TC = 'NP' ");

    EXPECT_EQ(q.ConsultaPagina(1, kServidor),
              std::string("SELECT  ") + kLista +
                  "  FROM (SELECT TOP 10 *  FROM V_MV_CPTE WHERE ID NOT IN (SELECT TOP 0 ID FROM V_MV_CPTE WHERE "
                  "[BLOQUEADA] = 1 AND TC = 'NP'   ORDER BY [TC] ASC, ID )  and ([BLOQUEADA] = 1 AND TC = 'NP')  "
                  "ORDER BY [TC] ASC, ID ) AS Paginacion WHERE [BLOQUEADA] = 1 AND TC = 'NP'   ORDER BY "
                  "Paginacion.[TC] ASC, Paginacion.ID ");
}

TEST(GridQueryTexts, OracleFormLimitsRowsAfterSorting) {
    GridQuery q = ConsultaPrincipal();
    EXPECT_EQ(q.ConsultaPagina(2, kOracle),
              std::string("SELECT  ") + kLista +
                  "  FROM (SELECT * FROM (SELECT *  FROM V_MV_CPTE WHERE ID NOT IN (SELECT ID FROM (SELECT ID FROM "
                  "V_MV_CPTE WHERE [BLOQUEADA] = 1 AND TC = 'NP'   ORDER BY [TC] ASC, ID ) WHERE ROWNUM<=10)  and "
                  "([BLOQUEADA] = 1 AND TC = 'NP')  ORDER BY [TC] ASC, ID ) WHERE ROWNUM<=10)  Paginacion WHERE "
                  "[BLOQUEADA] = 1 AND TC = 'NP'   ORDER BY Paginacion.[TC] ASC, Paginacion.ID ");
}

TEST(GridQueryTexts, SqliteFormCutsTheTableItselfWithLimitAndOffset) {
    GridQuery q = ConsultaPrincipal();
    EXPECT_EQ(q.ConsultaPagina(3, kSqlite),
              std::string("SELECT  ") + kLista +
                  "  FROM V_MV_CPTE AS Paginacion WHERE [BLOQUEADA] = 1 AND TC = 'NP'   ORDER BY Paginacion.[TC] "
                  "ASC, Paginacion.ID  LIMIT 10 OFFSET 20");
    q.FiltroBusqueda = "x = 1";
    q.SQL = "SELECT a FROM t  ";
    q.Campos = "[a], ID";
    EXPECT_EQ(q.ConsultaPagina(1, kSqlite),
              "SELECT  [a], ID  FROM t AS Paginacion  where x = 1  ORDER BY Paginacion.ID  LIMIT 10 OFFSET 0");
}

TEST(GridQueryTexts, FilteredExampleParenthesizesTheHostConditionOnceEverywhere) {
    GridQuery q = ConsultaPrincipal();
    q.FiltroBusqueda = " ( CONVERT(NVARCHAR,[TC]) LIKE '%abc%' or  CONVERT(NVARCHAR,[NOMBRE]) LIKE '%abc%') ";
    EXPECT_EQ(q.ConsultaPagina(1, kServidor),
              std::string("SELECT  ") + kLista +
                  "  FROM (SELECT TOP 10 *  FROM V_MV_CPTE WHERE ID NOT IN (SELECT TOP 0 ID FROM V_MV_CPTE WHERE "
                  "([BLOQUEADA] = 1 AND TC = 'NP') AND  ( CONVERT(NVARCHAR,[TC]) LIKE '%abc%' or  "
                  "CONVERT(NVARCHAR,[NOMBRE]) LIKE '%abc%')   ORDER BY [TC] ASC, ID )  and  ( "
                  "CONVERT(NVARCHAR,[TC]) LIKE '%abc%' or  CONVERT(NVARCHAR,[NOMBRE]) LIKE '%abc%')  and "
                  "([BLOQUEADA] = 1 AND TC = 'NP')  ORDER BY [TC] ASC, ID ) AS Paginacion WHERE ([BLOQUEADA] = 1 "
                  "AND TC = 'NP') AND  ( CONVERT(NVARCHAR,[TC]) LIKE '%abc%' or  CONVERT(NVARCHAR,[NOMBRE]) LIKE "
                  "'%abc%')   ORDER BY Paginacion.[TC] ASC, Paginacion.ID ");
    EXPECT_EQ(q.ConsultaConteo(),
              "SELECT COUNT(*) FROM V_MV_CPTE WHERE ([BLOQUEADA] = 1 AND TC = 'NP') AND  ( CONVERT(NVARCHAR,[TC]) "
              "LIKE '%abc%' or  CONVERT(NVARCHAR,[NOMBRE]) LIKE '%abc%') ");
    q.FiltroBusqueda.clear();
    EXPECT_EQ(q.ConsultaConteo(), "SELECT COUNT(*) FROM V_MV_CPTE WHERE [BLOQUEADA] = 1 AND TC = 'NP'");
}

// The SQLite page statements: each reads only its own page, from the edge of
// the page shown or from the nearer end, and never asks SQLite to walk the
// pages before it with an OFFSET that grows with the position. Each reads the
// edge values of its rows: here, where TC is held to one value by the
// condition, only the key, which the grid's last column holds.
struct CasoSqlite {
    const char* nombre;
    std::int64_t pagina;  // at 10 a page, page 5 shown (keys 17 to 42)
    std::int64_t total;
    Acceso acceso;
    std::string cola;  // the text after the select list and FROM
    bool invertida;
    std::vector<vb::Variant> valores;
};

// The page shown: its rows' keys, and as the page query read them, its edge values.
PaginaLeida PaginaMostrada(std::vector<std::string> claves, Borde primera, Borde ultima) {
    PaginaLeida leida;
    leida.Campos = {"ID"};
    for (std::string& clave : claves) leida.Filas.push_back({std::move(clave)});
    leida.primera = std::move(primera);
    leida.ultima = std::move(ultima);
    return leida;
}

// Each reads one row more than the page shows, which tells whether more follow.
TEST(GridQueryTexts, SqlitePagesReadFromTheEdgeOfThePageShownOrFromTheNearerEnd) {
    const std::string inicio = std::string("SELECT  ") + kLista + "  FROM V_MV_CPTE AS Paginacion ";
    const std::string orden = "ORDER BY Paginacion.[TC] ASC, Paginacion.ID ";
    const std::string inverso = "ORDER BY Paginacion.[TC] DESC, Paginacion.ID DESC ";
    const std::string donde = "WHERE [BLOQUEADA] = 1 AND TC = 'NP'   ";
    const CasoSqlite casos[] = {
        {"next", 6, 95, Acceso::Siguiente,
         " WHERE ([BLOQUEADA] = 1 AND TC = 'NP') AND Paginacion.ID > ?  ORDER BY Paginacion.[TC] ASC, "
         "Paginacion.ID  LIMIT 11",
         false,
         {42}},
        {"previous", 4, 95, Acceso::Anterior,
         " WHERE ([BLOQUEADA] = 1 AND TC = 'NP') AND Paginacion.ID < ?  ORDER BY Paginacion.[TC] DESC, "
         "Paginacion.ID DESC  LIMIT 11",
         true, {17}},
        {"first", 1, 95, Acceso::Principio, "WHERE [BLOQUEADA] = 1 AND TC = 'NP'   " + orden + " LIMIT 11 OFFSET 0",
         false, {}},
        {"last, five records", 10, 95, Acceso::Final, donde + inverso + " LIMIT 6 OFFSET 0", true, {}},
        {"nearer the end", 8, 95, Acceso::Final, donde + inverso + " LIMIT 11 OFFSET 15", true, {}},
        {"nearer the start", 3, 95, Acceso::Principio, donde + orden + " LIMIT 11 OFFSET 20", false, {}},
        // Far from either end: the page's keys walking the index alone, then their rows.
        {"far from the start", 400, 9500, Acceso::Principio,
         "WHERE Paginacion.ID IN (SELECT Paginacion.ID FROM V_MV_CPTE AS Paginacion " + donde + orden +
             " LIMIT 11 OFFSET 3990) " + orden,
         false, {}},
        {"far from the end", 900, 9500, Acceso::Final,
         "WHERE Paginacion.ID IN (SELECT Paginacion.ID FROM V_MV_CPTE AS Paginacion " + donde + inverso +
             " LIMIT 11 OFFSET 500) " + inverso,
         true, {}},
    };
    for (const CasoSqlite& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        GridQuery q = ConsultaPrincipal();
        q.ConsultaPagina(5, kSqlite);
        q.RecordarPagina(5, PaginaMostrada({"17", "33", "42"}, {17}, {42}));
        ASSERT_EQ(q.AccesoPagina(caso.pagina, caso.total), caso.acceso);
        const ConsultaDePagina consulta = q.ConsultaSqlite(caso.acceso, caso.pagina, caso.total);
        EXPECT_EQ(consulta.texto, inicio + caso.cola);
        EXPECT_EQ(consulta.valores, caso.valores);
        EXPECT_EQ(consulta.invertida, caso.invertida);
        EXPECT_TRUE(consulta.conBordes);  // the key, the last of the grid's columns
        EXPECT_EQ(consulta.columnasBorde, 0u);
        EXPECT_EQ(consulta.columnasOrden, 0u);
    }
}

// A sort by columns continues from the edge row's values as they were read,
// bound to the query, in arms that each walk the index of one column: the
// rows sharing the edge's values up to a term and following it in that term.
// Null sorts first.
TEST(GridQueryTexts, SqliteContinuesASortByItsColumnsFromTheValuesShownNullsFirst) {
    GridQuery q = ConsultaPrincipal();
    q.Order = 2;
    q.OrdenSent = 1;
    q.ArmarOrdenColumna("CLIENTE");
    q.OrdenSent = 2;
    q.ArmarOrdenColumna("FECHA");
    q.ConsultaPagina(2, kSqlite);
    // Ties by the key in the direction of the last term.
    EXPECT_EQ(q.OrdenExterior(), " ORDER BY Paginacion.[NOMBRE] Asc, Paginacion.[FECHA] Desc, Paginacion.ID DESC ");
    const vb::Variant nombre("Ana"), fecha("2024-02-04");
    q.RecordarPagina(2, PaginaMostrada({"17", "42"}, {vb::Null, "2024-01-07 00:00:00", 17}, {nombre, fecha, 42}));
    const std::string select = std::string("SELECT  ") + kLista +
                               ", Paginacion.[NOMBRE] AS [TV_ORDEN_0], Paginacion.[FECHA] AS [TV_ORDEN_1], "
                               "Paginacion.ID AS [TV_ORDEN_2], +Paginacion.[NOMBRE] AS [TV_BORDE_0], "
                               "+Paginacion.[FECHA] AS [TV_BORDE_1]  FROM V_MV_CPTE AS Paginacion  WHERE "
                               "([BLOQUEADA] = 1 AND TC = 'NP') AND ";
    auto brazos = [&](std::vector<std::string> condiciones, const char* orden) {
        std::string texto;
        for (const std::string& condicion : condiciones) texto += (texto.empty() ? "" : " UNION ALL ") + select + condicion;
        return texto + " ORDER BY " + orden + " LIMIT 11";
    };
    ASSERT_EQ(q.AccesoPagina(3, 95), Acceso::Siguiente);
    ConsultaDePagina siguiente = q.ConsultaSqlite(Acceso::Siguiente, 3, 95);
    // The same name and date and a key before it; the same name and an earlier
    // date, or none; a name after it.
    EXPECT_EQ(siguiente.texto,
              brazos({"Paginacion.[NOMBRE] = ? AND Paginacion.[FECHA] = ? AND Paginacion.ID < ?",
                      "Paginacion.[NOMBRE] = ? AND Paginacion.[FECHA] < ?",
                      "Paginacion.[NOMBRE] = ? AND Paginacion.[FECHA] IS NULL", "Paginacion.[NOMBRE] > ?"},
                     "[TV_ORDEN_0] ASC, [TV_ORDEN_1] DESC, [TV_ORDEN_2] DESC"));
    EXPECT_EQ(siguiente.valores, (std::vector<vb::Variant>{nombre, fecha, 42, nombre, fecha, nombre, nombre}));
    EXPECT_FALSE(siguiente.invertida);
    EXPECT_EQ(siguiente.columnasOrden, 3u);
    EXPECT_EQ(siguiente.columnasBorde, 2u);

    // Before a first row whose name is Null: the Nulls only, the same in the reverse order.
    ASSERT_EQ(q.AccesoPagina(1, 95), Acceso::Anterior);
    const ConsultaDePagina anterior = q.ConsultaSqlite(Acceso::Anterior, 1, 95);
    EXPECT_EQ(anterior.texto,
              brazos({"Paginacion.[NOMBRE] IS NULL AND Paginacion.[FECHA] = ? AND Paginacion.ID > ?",
                      "Paginacion.[NOMBRE] IS NULL AND Paginacion.[FECHA] > ?"},
                     "[TV_ORDEN_0] DESC, [TV_ORDEN_1] ASC, [TV_ORDEN_2] ASC"));
    EXPECT_EQ(anterior.valores, (std::vector<vb::Variant>{"2024-01-07 00:00:00", 17, "2024-01-07 00:00:00"}));
    EXPECT_TRUE(anterior.invertida);

    // After a last row with neither name nor date: the Nulls of both after its key, then every name.
    q.RecordarPagina(2, PaginaMostrada({"17", "42"}, {vb::Null, vb::Null, 17}, {vb::Null, vb::Null, 42}));
    EXPECT_EQ(q.ConsultaSqlite(Acceso::Siguiente, 3, 95).texto,
              brazos({"Paginacion.[NOMBRE] IS NULL AND Paginacion.[FECHA] IS NULL AND Paginacion.ID < ?",
                      "Paginacion.[NOMBRE] IS NOT NULL"},
                     "[TV_ORDEN_0] ASC, [TV_ORDEN_1] DESC, [TV_ORDEN_2] DESC"));

    // Another sort, page size or search: the page shown no longer continues.
    for (const std::function<void(GridQuery&)>& cambio : std::vector<std::function<void(GridQuery&)>>{
             [](GridQuery& g) { g.ArmarOrdenColumna("NUMERO"); }, [](GridQuery& g) { g.PageSize = 20; },
             [](GridQuery& g) { g.FiltroBusqueda = "x = 1"; }}) {
        GridQuery otra = q;
        cambio(otra);
        EXPECT_NE(otra.AccesoPagina(3, 95), Acceso::Siguiente);
    }
    // Nor does a page read without its edge values (as on SQL Server).
    q.RecordarPagina(2, PaginaLeida{{"ID"}, {{"17"}, {"42"}}, {}, {}});
    EXPECT_EQ(q.AccesoPagina(3, 95), Acceso::Principio);
    // An order by an expression is read from the nearer end only, and reads no edge values.
    q.OrdenSent = 3;
    q.OrderBy = " Order by CONVERT(NVARCHAR,[FECHA],112) Asc ";
    q.RecordarPagina(3, PaginaMostrada({"17", "42"}, {17}, {42}));
    EXPECT_EQ(q.AccesoPagina(4, 95), Acceso::Principio);
    EXPECT_FALSE(q.ConsultaSqlite(Acceso::Siguiente, 4, 95).conBordes);
}

struct CasoFijas {
    const char* condicion;
    const char* filtro;
    std::vector<std::string> fijas;
};

// A column held to one value by the whole condition cannot order the rows;
// any doubt (OR, CASE, BETWEEN, a comparison that is not "=") holds none.
TEST(GridQueryTexts, FixedColumnsAreOnlyThoseTheWholeConditionHoldsToOneValue) {
    const CasoFijas casos[] = {
        {"[BLOQUEADA] = 1 AND TC = 'NP'", "", {"BLOQUEADA", "TC"}},
        {"a = 1 and (b = 2 or c = 3) AND [d e] = 'x''y'", "", {"a", "d e"}},
        {"a = 1 OR b = 2", "", {}},
        {"a = 1 AND (b=2)OR(c=3)", "", {}},
        {"a = 1 AND CASE WHEN x = 1 AND b = 2 THEN 1 END = 1", "", {}},
        {"x BETWEEN 1 AND b = 2", "", {}},
        {"a >= 1 AND b <> 2 AND c = d AND e = 'x' || f AND g = -1.5 AND h = 'it''s' AND t.i = 1", "", {"g", "h"}},
        {"a = 'x AND b = 1'", "", {"a"}},
        {"a = 1", " ( CONVERT(NVARCHAR,[TC]) LIKE '%a%' or  CONVERT(NVARCHAR,[NOMBRE]) LIKE '%a%') ", {"a"}},
        // A date is compared as the date, which more than one stored text may be.
        {"", " [FECHA] = '04/02/2024' and  CONVERT(NVARCHAR,[TC]) LIKE '%b%'", {}},
        {"a = '2024-01-01' AND b = '01-01-24 10:00' AND c = 'NP'", "", {"c"}},
    };
    for (const CasoFijas& caso : casos) {
        SCOPED_TRACE(caso.condicion);
        GridQuery q;
        q.SQL = std::string("SELECT a FROM t ") + (*caso.condicion ? "WHERE " : "") + caso.condicion + " ORDER BY a ";
        q.FiltroBusqueda = caso.filtro;
        EXPECT_EQ(q.ColumnasFijas(), caso.fijas);
    }
}

// ---- Conditions, page numbers and the fallback -----------------------------------------

struct CasoCondicion {
    const char* nombre;
    const char* sql;
    const char* filtro;
    int find;
    const char* clausula;     // ClausulaWhere
    const char* derivada;     // the derived table's conditions after NOT IN (...)
    const char* conteo;
};

TEST(GridQueryTexts, ConditionsOfTheHostAndOfTheSearch) {
    const CasoCondicion casos[] = {
        {"no condition", "SELECT a FROM t  ", "", 2, "", "  ORDER BY ID ) AS Paginacion", "SELECT COUNT(*) FROM t"},
        {"search only", "SELECT a FROM t  ", "x = 1", 2, " where x = 1", ")  and x = 1  ORDER BY ID ) AS",
         "SELECT COUNT(*) FROM t where x = 1"},
        {"OR in the host condition", "SELECT a FROM t WHERE a = 1 OR b = 2  ", "", 2, "WHERE a = 1 OR b = 2  ",
         ")  and (a = 1 OR b = 2)  ORDER BY ID ) AS", "SELECT COUNT(*) FROM t WHERE a = 1 OR b = 2"},
        {"OR and a search", "SELECT a FROM t WHERE a = 1 OR b = 2 ORDER BY a ", "x = 1", 2,
         "WHERE (a = 1 OR b = 2) AND x = 1", ")  and x = 1 and (a = 1 OR b = 2)  ORDER BY a, ID ) AS",
         "SELECT COUNT(*) FROM t WHERE (a = 1 OR b = 2) AND x = 1"},
        // A search left from mode 2 still restricts every page after switching to mode 1.
        {"search kept in mode 1", "SELECT a FROM t WHERE a = 1  ", "x = 1", 1, "WHERE (a = 1) AND x = 1",
         ")  and x = 1 and (a = 1)  ORDER BY ID ) AS", "SELECT COUNT(*) FROM t WHERE (a = 1) AND x = 1"},
    };
    for (const CasoCondicion& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        GridQuery q;
        q.SQL = caso.sql;
        q.PageSize = 10;
        q.Find = caso.find;
        q.FiltroBusqueda = caso.filtro;
        q.Campos = "[a], ID";
        const std::string pagina = q.ConsultaPagina(3, kServidor);
        EXPECT_EQ(q.ClausulaWhere, caso.clausula);
        EXPECT_NE(pagina.find(caso.derivada), std::string::npos) << pagina;
        EXPECT_NE(pagina.find("NOT IN (SELECT TOP 20 ID FROM t " + q.ClausulaWhere), std::string::npos) << pagina;
        EXPECT_EQ(q.ConsultaConteo(), caso.conteo);
    }
}

TEST(GridQueryTexts, NoNegativeRowCountReachesThePageQuery) {
    GridQuery q = ConsultaPrincipal();
    for (std::int64_t pagina : {0, -3}) {
        EXPECT_NE(q.ConsultaPagina(pagina, kServidor).find("SELECT TOP 0 ID FROM"), std::string::npos);
        EXPECT_NE(q.ConsultaPagina(pagina, kOracle).find("ROWNUM<=0)"), std::string::npos);
        EXPECT_TRUE(vb::EndsWith(q.ConsultaPagina(pagina, kSqlite), " LIMIT 10 OFFSET 0"));
    }
    q.PageSize = -5;
    const std::string texto = q.ConsultaPagina(4, kServidor);
    EXPECT_NE(texto.find("SELECT TOP 0 *  FROM"), std::string::npos);
    EXPECT_EQ(texto.find("TOP -"), std::string::npos);
    EXPECT_TRUE(vb::EndsWith(q.ConsultaPagina(4, kSqlite), " LIMIT 0 OFFSET 0"));
    // Page counts are not 16-bit: 40,000 records at one a page.
    EXPECT_EQ(GridQuery::CantidadPaginas(40000, 1), 40000);
    q.PageSize = 1;
    EXPECT_NE(q.ConsultaPagina(40000, kServidor).find("SELECT TOP 39999 ID"), std::string::npos);
    EXPECT_TRUE(vb::EndsWith(q.ConsultaPagina(40000, kSqlite), " LIMIT 1 OFFSET 39999"));
}

TEST(GridQueryTexts, UnpagedFallbackEndsWithTheKeyColumn) {
    GridQuery q = ConsultaPrincipal();
    EXPECT_EQ(q.ConsultaSinPaginar(),
              "SELECT TC, IDCOMPROBANTE AS NUMERO,FECHA,FECHAESTFIN AS VENCIMIENTO,NOMBRE AS CLIENTE,IMPORTE,"
              "OBSERVACIONES, ID FROM V_MV_CPTE WHERE [BLOQUEADA] = 1 AND TC = 'NP' ORDER BY [TC] ASC  ");
    q.SQL = "SELECT a, [id] FROM t ";
    EXPECT_EQ(q.ConsultaSinPaginar(), "SELECT a, [id] FROM t ");
}

TEST(GridQueryTexts, KeyAlreadyInTheOrderIsNotRepeated) {
    GridQuery q = ConsultaPrincipal();
    q.OrdenSent = 1;
    q.OrderBy = " Order by [ID] Desc ";
    EXPECT_EQ(q.OrdenPagina(), " Order by [ID] Desc ");
    EXPECT_EQ(q.OrdenExterior(), " ORDER BY Paginacion.[ID] Desc ");
    q.OrderBy = " Order by CONVERT(NVARCHAR,[FECHA],112) Asc , [NOMBRE] Desc ";
    EXPECT_EQ(q.OrdenExterior(),
              " ORDER BY CONVERT(NVARCHAR,[FECHA],112) Asc, Paginacion.[NOMBRE] Desc, Paginacion.ID DESC ");
}

// ---- Sort modes ---------------------------------------------------------------------------------

struct CasoOrden {
    const char* nombre;
    int order;
    int sentido;
    const char* previo;
    const char* titulo;
    const char* esperado;
};

TEST(GridQuerySort, SortRequestsEditOrderByAsTheModeSays) {
    const CasoOrden casos[] = {
        {"single from nothing", 1, 2, "", "CLIENTE", " Order by [NOMBRE] Desc "},
        {"single replaces", 1, 1, " Order by [TC] Asc ", "NUMERO", " Order by [IDCOMPROBANTE] Asc "},
        {"alias in any case", 1, 1, "", "numero", " Order by [IDCOMPROBANTE] Asc "},
        {"cumulative, first", 2, 1, "", "TC", " Order by [TC] Asc "},
        {"cumulative, second", 2, 2, " Order by [TC] Asc ", "NUMERO", " Order by [TC] Asc , [IDCOMPROBANTE] Desc "},
        {"cumulative, again moves to the end", 2, 2, " Order by [TC] Asc , [IDCOMPROBANTE] Desc ", "TC",
         " Order by  [IDCOMPROBANTE] Desc , [TC] Desc "},
        {"cumulative, only column again", 2, 2, " Order by [TC] Asc ", "TC", " Order by [TC] Desc "},
    };
    for (const CasoOrden& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        GridQuery q = ConsultaPrincipal();
        q.Order = caso.order;
        q.OrdenSent = caso.sentido;
        q.OrderBy = caso.previo;
        q.ArmarOrdenColumna(caso.titulo);
        EXPECT_EQ(q.OrderBy, caso.esperado);
    }
}

struct CasoCarga {
    const char* nombre;
    int sentido;
    const char* sql;
    const char* esperado;
};

TEST(GridQuerySort, PageLoadsRebuildOnlyTheQuerysOwnOrder) {
    const CasoCarga casos[] = {
        {"mode 0, the query's order", 0, nullptr, " ORDER BY [TC] ASC  "},
        {"mode 0, no order", 0, "SELECT a FROM t ", ""},
        {"mode 0, line break before ORDER BY", 0, "SELECT a FROM t\r\nORDER BY a DESC ", " ORDER BY a DESC "},
        {"mode 1 keeps the sort", 1, nullptr, " Order by [NOMBRE] Asc "},
        {"mode 2 keeps the sort", 2, nullptr, " Order by [NOMBRE] Asc "},
        {"mode 3 keeps the sort", 3, nullptr, " Order by [NOMBRE] Asc "},
    };
    for (const CasoCarga& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        GridQuery q = ConsultaPrincipal();
        if (caso.sql) q.SQL = caso.sql;
        q.OrdenSent = caso.sentido;
        q.OrderBy = " Order by [NOMBRE] Asc ";
        q.ArmarOrden();
        EXPECT_EQ(q.OrderBy, caso.esperado);
    }
}

// ---- Aliases and fields ---------------------------------------------------------------------------

struct CasoAlias {
    const char* sql;
    std::vector<ParAlias> pares;
};

TEST(GridQueryAliases, ReadsEveryAsItemAndAlwaysEnds) {
    const CasoAlias casos[] = {
        {kConsultaPrincipal,
         {{"[IDCOMPROBANTE]", "[NUMERO]"}, {"[FECHAESTFIN]", "[VENCIMIENTO]"}, {"[NOMBRE]", "[CLIENTE]"}}},
        {"SELECT a AS b, c FROM t ", {{"[a]", "[b]"}}},
        {"SELECT [x y] as [z w] FROM t ", {{"[x y]", "[z w]"}}},
        {"SELECT t.c AS d FROM t ", {{"[t.c]", "[d]"}}},
        {"SELECT a, c FROM t ", {}},
        {"SELECT x, a AS b", {{"[a]", "[b]"}}},  // alias at the very end
        {"SELECT a  AS  b, c FROM t ", {{"[a]", "[b]"}}},
        {"SELECT a\tAS\tb, c FROM t ", {{"[a]", "[b]"}}},
        {"SELECT a AS\r\nb,\r\nc\tas  d FROM t ", {{"[a]", "[b]"}, {"[c]", "[d]"}}},
    };
    for (const CasoAlias& caso : casos) {
        SCOPED_TRACE(caso.sql);
        GridQuery q;
        q.SQL = caso.sql;
        q.CargarAlias();
        ASSERT_EQ(q.TablaAlias.size(), caso.pares.size() + 1);
        for (std::size_t i = 0; i < caso.pares.size(); ++i) {
            EXPECT_EQ(q.TablaAlias[i].Expresion, caso.pares[i].Expresion);
            EXPECT_EQ(q.TablaAlias[i].Alias, caso.pares[i].Alias);
        }
        EXPECT_TRUE(q.TablaAlias.back().Expresion.empty() && q.TablaAlias.back().Alias.empty());
    }
}

TEST(GridQueryAliases, EquiCampoLooksUpEitherWayIgnoringCase) {
    const GridQuery q = ConsultaPrincipal();
    EXPECT_EQ(q.EquiCampo("[numero]", false), "[IDCOMPROBANTE]");
    EXPECT_EQ(q.EquiCampo("[TC]", false), "[TC]");
    EXPECT_EQ(q.EquiCampo("[nombre]", true), "[CLIENTE]");
    EXPECT_EQ(q.EquiCampo("[NADA]", true), "[NADA]");
    EXPECT_EQ(q.EquiCampo("[NADA]", false), "[NADA]");
}

TEST(GridQueryFields, FieldListsSkipLongColumnsButCountTheirPositions) {
    GridQuery q = ConsultaPrincipal();
    EXPECT_EQ(q.ListaCampos, "[TC], [NUMERO], [FECHA], [VENCIMIENTO], [CLIENTE], [IMPORTE], [OBSERVACIONES], ID");
    EXPECT_EQ(q.ColumnasFecha, "|2||3|");
    EXPECT_EQ(q.ColumnasTexto, "|0||1||4||6|");  // not IMPORTE, a number

    const std::vector<std::string> entradas = q.CargarCampos(
        {{"TC", adodb::adVarWChar}, {"NOTAS", adodb::adLongVarWChar}, {"FECHA", adodb::adDBTimeStamp},
         {"FOTO", adodb::adLongVarBinary}, {"VENCIMIENTO", adodb::adDBTimeStamp}});
    EXPECT_EQ(entradas, (std::vector<std::string>{"Todos", "TC", "FECHA", "VENCIMIENTO"}));
    EXPECT_EQ(q.ColumnasFecha, "|2||4|");
    EXPECT_EQ(q.ColumnasTexto, "|0|");
    EXPECT_EQ(q.Campos, "[TC], CONVERT(NVARCHAR,[FECHA],103) AS [FECHA], CONVERT(NVARCHAR,[FECHAESTFIN],103) AS "
                        "[VENCIMIENTO], ID");
    EXPECT_EQ(q.ListaCampos, "[TC], [FECHA], [VENCIMIENTO], ID");

    // Chosen columns: the field box lists them without brackets and without the key.
    q.CamposSel = "[TC], CONVERT(NVARCHAR,[FECHA],103) AS [FECHA], ID";
    q.ListaCamposSel = "[TC], [FECHA], ID";
    const std::vector<std::string> elegidas = q.CargarCampos({{"TC", adodb::adVarWChar}, {"FECHA", adodb::adDBTimeStamp}});
    EXPECT_EQ(elegidas, (std::vector<std::string>{"Todos", "TC", "FECHA"}));
    EXPECT_EQ(q.ColumnasFecha, "|2||4|");  // not rebuilt
    EXPECT_EQ(q.ColumnasTexto, "|0|");
    EXPECT_EQ(q.Campos, "[TC],convert(nvarchar,[FECHA],103) as [FECHA], ID");
}

TEST(GridQueryFields, FieldQueryReadsOneRowAtMost) {
    GridQuery q = ConsultaPrincipal();
    EXPECT_EQ(q.ConsultaCampos(),
              "SELECT TOP 1 TC, IDCOMPROBANTE AS NUMERO,FECHA,FECHAESTFIN AS VENCIMIENTO,NOMBRE AS CLIENTE,IMPORTE,"
              "OBSERVACIONES FROM V_MV_CPTE WHERE [BLOQUEADA] = 1 AND TC = 'NP' ");
    q.SQL = "select a from t  ";
    EXPECT_EQ(q.ConsultaCampos(), "SELECT TOP 1 a from t  ");
}

TEST(GridQueryChecks, RefusesJoinAndGroupByWithOneBlankEachSide) {
    const std::string pie = "De persistir el inconveniente comuníquese con el administrador del sistema.";
    const std::string join = "El objeto TsDbGrid no admite la palabra reservada ''JOIN'' dentro de la sentencia SQL "
                             "de selección.\r\n" + pie;
    const std::string group = "El objeto TsDbGrid no admite la palabra reservada ''GROUP BY'' dentro de la "
                              "sentencia SQL de selección.\r\n" + pie;
    auto motivo = [](const char* sql) { return GridQuery::MotivoRechazo(sql).value_or("(accepted)"); };
    EXPECT_EQ(motivo("SELECT * FROM A INNER JOIN B ON A.ID = B.ID"), join);
    EXPECT_EQ(motivo("select a from t group by a"), group);
    EXPECT_EQ(motivo("SELECT a FROM t join u group by a"), join);
    EXPECT_EQ(motivo("SELECT a FROM t GROUP BY\r\n"), "(accepted)");
    EXPECT_EQ(motivo(kConsultaPrincipal), "(accepted)");
}

TEST(GridQueryChecks, TableAndPageCounts) {
    GridQuery q;
    for (const char* sql : {"SELECT a FROM T WHERE x = 1 ", "SELECT a FROM T  ", "SELECT a FROM T\r\nWHERE x = 1"}) {
        q.SQL = sql;
        q.LeerTablaConsulta();
        EXPECT_EQ(q.TablaConsulta, "T") << sql;
    }
    EXPECT_EQ(GridQuery::CantidadPaginas(25, 10), 3);
    EXPECT_EQ(GridQuery::CantidadPaginas(30, 10), 3);
    EXPECT_EQ(GridQuery::CantidadPaginas(0, 10), 0);
    EXPECT_EQ(GridQuery::CantidadPaginas(7, 0), 1);
}

// The number of a page found where the list no longer matches its count:
// the page of its first row, but the last one at the end and 1 only at the
// start; every page of a list that did not change keeps its own number.
TEST(GridQueryChecks, APageFoundElsewhereIsNumberedByWhereItLies) {
    struct Caso {
        std::int64_t antes, filas, total, numero;
    };
    const Caso casos[] = {
        {0, 10, 60, 1},    {50, 10, 60, 6},  {49, 10, 60, 5},  {59, 1, 60, 6},   {100, 10, 125, 11},
        {25, 10, 35, 4},   {35, 5, 40, 4},   {3, 10, 40, 2},   {0, 3, 40, 1},    {30, 10, 45, 4},
        {2, 8, 12, 1},     {2, 8, 10, 1},    {0, 10, 10, 1},   {5, 10, 30, 2},
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(GridQuery::NumeroDePagina(c.antes, c.filas, c.total, 10), c.numero)
            << c.antes << " before, " << c.filas << " on it, of " << c.total;
    }
    for (std::int64_t pagina = 1; pagina <= 10; ++pagina) {
        EXPECT_EQ(GridQuery::NumeroDePagina((pagina - 1) * 10, pagina == 10 ? 5 : 10, 95, 10), pagina);
    }
}

// ---- On the database -------------------------------------------------------------------------------

class GridQueryDbTest : public GridDbTest {
protected:
    using Filas = std::vector<std::vector<std::string>>;

    // Every page of the query in the given form, in order, each page's rows
    // as read (the key last).
    std::vector<Filas> Recorrer(GridQuery& q, adodb::Dialect dialecto) {
        const std::int64_t total = ContarRegistros(db_, q);
        std::vector<Filas> paginas;
        for (std::int64_t p = 1; p <= GridQuery::CantidadPaginas(total, q.PageSize); ++p) {
            adodb::Recordset rs;
            AbrirPagina(db_, q, q.ConsultaPagina(p, dialecto), rs);
            paginas.push_back(LeerPagina(rs).Filas);
            EXPECT_LE(paginas.back().size(), static_cast<std::size_t>(q.PageSize));
        }
        return paginas;
    }
    // Every page of the query as the grid reads it on SQLite, visiting the
    // pages in `orden` (1-based numbers), each page where it lands; the
    // access each page was read with goes to `accesos`. `saltando`: with no
    // page shown before each.
    std::vector<Filas> Visitar(GridQuery& q, const std::vector<std::int64_t>& orden, bool saltando,
                               std::vector<Acceso>& accesos) {
        const std::int64_t total = ContarRegistros(db_, q);
        std::vector<Filas> paginas(orden.size());
        for (std::int64_t p : orden) {
            if (saltando) q.Vista = {};
            accesos.push_back(q.AccesoPagina(p, total));
            paginas[static_cast<std::size_t>(p - 1)] = LeerPaginaNumero(db_, q, p, total).Filas;
        }
        return paginas;
    }
    static std::vector<long> Claves(const std::vector<Filas>& paginas) {
        std::vector<long> claves;
        for (const Filas& filas : paginas) {
            for (const std::vector<std::string>& fila : filas) claves.push_back(std::stol(fila.back()));
        }
        return claves;
    }
    // The main window's list at `porPagina` records a page.
    GridQuery Principal(long porPagina) {
        GridQuery q;
        q.SQL = std::string(kConsultaPrincipal) + "  ";
        q.PageSize = porPagina;
        q.CargarAlias();
        q.CargarCampos(LeerCampos(db_, q));
        return q;
    }
    // Page `pagina` as LIMIT and OFFSET over the whole list gives it.
    Filas PorPosicion(GridQuery& q, std::int64_t pagina) {
        adodb::Recordset rs;
        AbrirPagina(db_, q, q.ConsultaPagina(pagina, kSqlite), rs);
        return LeerPagina(rs).Filas;
    }
    // The keys the grid shows walking the whole list one page after the
    // other, forward from page 1 or back from the last one, until a page
    // comes short; `entreVueltas` runs after each page with the page shown.
    std::vector<long> Caminar(GridQuery& q, bool adelante, const std::function<void(const PaginaLeida&)>& entreVueltas) {
        // Page numbers far from 1 going back, so that the walk never runs out of them.
        constexpr std::int64_t kLejos = 100000;
        std::int64_t pagina = adelante ? 1 : kLejos;
        const std::int64_t total = adelante ? ContarRegistros(db_, q) : kLejos * q.PageSize;
        q.Vista = {};
        std::vector<long> claves;
        for (int vuelta = 0; vuelta < 1000; ++vuelta) {
            const PaginaLeida leida = LeerPaginaNumero(db_, q, pagina, total);
            std::vector<long> estas;
            for (const std::vector<std::string>& fila : leida.Filas) estas.push_back(std::stol(fila.back()));
            claves.insert(adelante ? claves.end() : claves.begin(), estas.begin(), estas.end());
            if (leida.Filas.size() < static_cast<std::size_t>(q.PageSize)) return claves;
            entreVueltas(leida);
            pagina += adelante ? 1 : -1;
        }
        ADD_FAILURE() << "the walk did not end";
        return claves;
    }
    // `claves` restricted to `intactas`, and those of `intactas` the list
    // holds, in its order: each untouched row once, in order.
    void CadaIntactaUnaVezEnOrden(GridQuery& q, const std::vector<long>& claves, const std::set<long>& intactas) {
        std::vector<long> vistas;
        std::copy_if(claves.begin(), claves.end(), std::back_inserter(vistas), [&](long k) { return intactas.count(k) > 0; });
        std::string lista;
        for (long k : intactas) lista += (lista.empty() ? "" : ", ") + std::to_string(k);
        adodb::Recordset rs;
        AbrirPagina(db_, q,
                    "SELECT ID FROM (SELECT * FROM V_MV_CPTE " + q.ClausulaWhere + ") AS Paginacion WHERE ID IN (" +
                        lista + ")" + q.OrdenExterior(),
                    rs);
        std::vector<long> esperadas;
        for (const std::vector<std::string>& fila : LeerPagina(rs).Filas) esperadas.push_back(std::stol(fila.back()));
        EXPECT_EQ(vistas, esperadas);
    }
};

// An order of the list with the values given (Null where Null), through `cn`.
void Insertar(adodb::Connection& cn, long id, const vb::Variant& numero, const vb::Variant& fecha,
              const vb::Variant& vencimiento, const vb::Variant& nombre, const vb::Variant& importe) {
    long filas = 0;
    cn.Execute("INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, FECHA, FECHAESTFIN, NOMBRE, IMPORTE, OBSERVACIONES, "
               "BLOQUEADA) VALUES (?, 'NP', ?, ?, ?, ?, ?, 'obs', 1)",
               {id, numero, fecha, vencimiento, nombre, importe}, filas);
}

void Ordenar(GridQuery& q, int sentido, const char* titulo) {
    q.OrdenSent = sentido;
    q.ArmarOrdenColumna(titulo);
}

// A click on the column titled `titulo` and the sort button of `sentido`.
std::function<void(GridQuery&)> Clic(int sentido, const char* titulo) {
    return [=](GridQuery& q) { Ordenar(q, sentido, titulo); };
}

struct ModoOrden {
    const char* nombre;
    long pageSize;
    std::function<void(GridQuery&)> ordenar;
    // Whether an order is listed, and the order the list must follow.
    std::function<bool(const Orden&)> listada;
    std::function<bool(const Orden&, const Orden&)> antes;
};

// The SQL Server form (NOT IN, its TOP adapted to SQLite's LIMIT) and the
// SQLite forms page the same rows, and every row comes once, in the order
// the sort mode asks for: on SQLite walking forward (each page after the
// edge of the one before), walking back from the last page (read from the
// end, then each before the edge of the one after, down to page 1), and
// jumping to each page (from the nearer end, LIMIT and OFFSET). Some names
// and dates are Null, which sorts first; here an empty text stands for it.
// Ties go by the key in the direction of the last sort term.
TEST_F(GridQueryDbTest, BothPageFormsReturnTheSameRowsOnEveryPageInEverySortMode) {
    std::vector<Orden> ordenes = AgregarOrdenes(95);
    for (std::size_t i = 0; i < ordenes.size(); ++i) {
        const std::string id = std::to_string(ordenes[i].id);
        if (i % 11 == 4) {
            db_.gCnn.Execute("UPDATE V_MV_CPTE SET NOMBRE = NULL WHERE ID = " + id);
            ordenes[i].nombre.clear();
        }
        if (i % 13 == 6) {
            db_.gCnn.Execute("UPDATE V_MV_CPTE SET FECHA = NULL WHERE ID = " + id);
            ordenes[i].fecha.clear();
        }
    }
    auto todas = [](const Orden&) { return true; };
    auto porClave = [](const Orden& a, const Orden& b) { return a.id < b.id; };
    auto porNombre = [](const Orden& a, const Orden& b) { return std::tie(a.nombre, a.id) < std::tie(b.nombre, b.id); };
    const ModoOrden modos[] = {
        {"mode 0 (every TC equal: only the key orders)", 10, [](GridQuery& q) { q.OrdenSent = 0; }, todas, porClave},
        {"ascending by an alias", 10, Clic(1, "CLIENTE"), todas, porNombre},
        {"descending by a date", 7, Clic(2, "FECHA"), todas,
         [](const Orden& a, const Orden& b) { return a.fecha != b.fecha ? a.fecha > b.fecha : a.id > b.id; }},
        {"descending by a due date every order shares", 9, Clic(2, "VENCIMIENTO"), todas,
         [](const Orden& a, const Orden& b) { return a.id > b.id; }},
        {"ascending by a number, three a page", 3, Clic(1, "NUMERO"), todas,
         [](const Orden& a, const Orden& b) { return a.numero < b.numero; }},
        {"cumulative", 10,
         [&](GridQuery& q) {
             q.Order = 2;
             Clic(1, "CLIENTE")(q);
             Clic(2, "FECHA")(q);
         },
         todas,
         [](const Orden& a, const Orden& b) {
             if (a.nombre != b.nombre) return a.nombre < b.nombre;
             return a.fecha != b.fecha ? a.fecha > b.fecha : a.id > b.id;
         }},
        {"mode 3 keeps a stored order", 10,
         [](GridQuery& q) {
             q.OrdenSent = 3;
             q.OrderBy = " Order by [NOMBRE] Desc ";
         },
         todas,
         [](const Orden& a, const Orden& b) { return a.nombre != b.nombre ? a.nombre > b.nombre : a.id > b.id; }},
        {"a search over every page", 4,
         [&](GridQuery& q) {
             Clic(1, "CLIENTE")(q);
             q.AgregarFiltro(q.CondicionTodos({"TC", "NUMERO", "FECHA", "VENCIMIENTO", "CLIENTE"}, "a"));
         },
         [](const Orden& o) { return vb::Contains(o.nombre, "a", vb::Compare::Text); }, porNombre},
        {"a date search", 10,
         [](GridQuery& q) {
             q.AgregarFiltro(q.CondicionTodos({"TC", "NUMERO", "FECHA", "VENCIMIENTO", "CLIENTE"}, "04/02/2024"));
         },
         [](const Orden& o) { return o.fecha == "2024-02-04 00:00:00"; }, porClave},
        {"one record a page", 1, Clic(2, "NUMERO"), todas,
         [](const Orden& a, const Orden& b) { return a.numero > b.numero; }},
        {"the key descending", 10,
         [](GridQuery& q) {
             q.OrdenSent = 3;
             q.OrderBy = " Order by [ID] Desc ";
         },
         todas, [](const Orden& a, const Orden& b) { return a.id > b.id; }},
        {"an expression: from the nearer end only", 10,
         [](GridQuery& q) {
             q.OrdenSent = 3;
             q.OrderBy = " Order by CONVERT(NVARCHAR,[FECHA],112) Asc ";
         },
         todas,
         [](const Orden& a, const Orden& b) { return a.fecha != b.fecha ? a.fecha < b.fecha : a.id < b.id; }},
    };
    for (const ModoOrden& modo : modos) {
        SCOPED_TRACE(modo.nombre);
        GridQuery q = Principal(modo.pageSize);
        modo.ordenar(q);
        std::vector<long> claves;
        std::vector<Orden> esperado;
        std::copy_if(ordenes.begin(), ordenes.end(), std::back_inserter(esperado), modo.listada);
        std::sort(esperado.begin(), esperado.end(), modo.antes);
        for (const Orden& o : esperado) claves.push_back(o.id);
        ASSERT_FALSE(claves.empty());

        const std::vector<Filas> servidor = Recorrer(q, kServidor);
        EXPECT_EQ(Claves(servidor), claves);
        const auto n = static_cast<std::int64_t>(servidor.size());
        std::vector<std::int64_t> adelante(servidor.size());
        std::iota(adelante.begin(), adelante.end(), 1);
        const std::vector<std::int64_t> atras(adelante.rbegin(), adelante.rend());
        // Nearer end first, alternating: page 1, n, 2, n - 1, ...
        std::vector<std::int64_t> saltos;
        for (std::int64_t a = 1, b = n; a <= b; ++a, --b) {
            saltos.push_back(a);
            if (a != b) saltos.push_back(b);
        }
        const bool continua = !vb::Contains(modo.nombre, "expression");
        struct Recorrido {
            const char* nombre;
            const std::vector<std::int64_t>& orden;
        };
        for (const Recorrido& recorrido : {Recorrido{"forward", adelante}, Recorrido{"back", atras},
                                           Recorrido{"jumping", saltos}}) {
            SCOPED_TRACE(recorrido.nombre);
            const bool contiguos = &recorrido.orden != &saltos;
            q.Vista = {};
            std::vector<Acceso> accesos;
            const std::vector<Filas> sqlite = Visitar(q, recorrido.orden, !contiguos, accesos);
            ASSERT_EQ(sqlite.size(), servidor.size());
            for (std::size_t p = 0; p < sqlite.size(); ++p) EXPECT_EQ(sqlite[p], servidor[p]) << "page " << p + 1;
            // Where a page continues from the one shown, it does.
            const Acceso contigua = &recorrido.orden == &adelante ? Acceso::Siguiente : Acceso::Anterior;
            for (std::size_t i = 1; i < accesos.size(); ++i) {
                const bool porBorde = accesos[i] == Acceso::Siguiente || accesos[i] == Acceso::Anterior;
                EXPECT_EQ(porBorde, contiguos && continua) << "visit " << i;
                if (porBorde) {
                    EXPECT_EQ(accesos[i], contigua) << "visit " << i;
                }
            }
        }
    }
}

// A date column holding both stored forms of a day, under the grid's own
// date search (which finds both): the column is not held to one value, so it
// keeps ordering the pages, and every way of reaching a page gives the rows
// of LIMIT and OFFSET.
TEST_F(GridQueryDbTest, MixedStoredDateFormsUnderTheDateSearchPageAsLimitAndOffset) {
    for (long id = 1; id <= 9; ++id) {
        const char* fecha = id % 2 == 1 ? "2024-01-01 00:00:00" : "2024-01-01";
        if (id > 7) fecha = "2024-01-02";  // not found by the search
        Insertar(db_.gCnn, id, "0001-0000000" + std::to_string(id), fecha, vb::Null, "Ana", 10);
    }
    struct Caso {
        const char* nombre;
        int sentido;
        const char* titulo;
        std::vector<long> lista;  // the list in its order
    };
    const Caso casos[] = {
        {"date ascending", 1, "FECHA", {2, 4, 6, 1, 3, 5, 7}},
        {"date descending", 2, "FECHA", {7, 5, 3, 1, 6, 4, 2}},
        {"customer, every name equal", 1, "CLIENTE", {1, 2, 3, 4, 5, 6, 7}},
        {"the query's own order", 0, "", {1, 2, 3, 4, 5, 6, 7}},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        GridQuery q = Principal(2);
        if (caso.sentido != 0) Ordenar(q, caso.sentido, caso.titulo);
        q.AgregarFiltro(*q.ClausulaBusqueda("FECHA", 2, "01/01/2024"));
        EXPECT_EQ(q.ColumnasFijas(), (std::vector<std::string>{"BLOQUEADA", "TC"}));
        const std::int64_t total = ContarRegistros(db_, q);
        ASSERT_EQ(total, 7);
        std::vector<Filas> posiciones;
        for (std::int64_t p = 1; p <= 4; ++p) posiciones.push_back(PorPosicion(q, p));
        EXPECT_EQ(Claves(posiciones), caso.lista);
        for (const bool adelante : {true, false}) {
            EXPECT_EQ(Caminar(q, adelante, [](const PaginaLeida&) {}), caso.lista) << (adelante ? "forward" : "back");
        }
        for (const std::int64_t p : {3, 1, 4, 2}) {
            q.Vista = {};
            EXPECT_EQ(LeerPaginaNumero(db_, q, p, total).Filas, posiciones[static_cast<std::size_t>(p - 1)]) << p;
        }
    }
}

// What reading a page cost SQLite, in a list of 3,000 orders with many equal
// names, dates and reasons of the block, in every order the window sorts
// by: a walk down a sorted column (previous page going up, next
// page going down) and the next page going up read about a page of its
// index, wherever they are; a jump reads the index from the nearer end of
// the list only, never sorts the list, and gives the rows of LIMIT and OFFSET.
TEST_F(GridQueryDbTest, WalksReadAboutAPageOfIndexAndJumpsReadFromTheNearerEnd) {
    constexpr long kOrdenes = 3000;
    db_.gCnn.BeginTrans();
    for (long id = 1; id <= kOrdenes; ++id) {
        char numero[32], fecha[32];
        std::snprintf(numero, sizeof numero, "0001-%08ld", (id * 7919) % kOrdenes);
        std::snprintf(fecha, sizeof fecha, "2024-%02ld-%02ld 00:00:00", 1 + id % 12, 1 + id % 28);
        Insertar(db_.gCnn, id, numero, fecha, id % 5 == 0 ? vb::Variant(vb::Null) : vb::Variant(fecha),
                 "Cliente " + std::to_string(id % 40), 0.25 + static_cast<double>(id % 300));
    }
    // Blocked orders carry the reason of the block: a few reasons, some none.
    db_.gCnn.Execute("UPDATE V_MV_CPTE SET OBSERVACIONES = CASE WHEN ID % 9 = 0 THEN NULL ELSE 'Motivo ' || (ID % 23) END");
    db_.gCnn.CommitTrans();
    struct Caso {
        std::string nombre;
        int sentido;
        std::string titulo;
    };
    constexpr long kPorPagina = 10;
    // Every column the window shows, each way: the user may sort by any of them.
    std::vector<Caso> casos{{"the query's own order", 0, ""}};
    for (const std::string& titulo : Principal(kPorPagina).NombresCampos) {
        casos.push_back({titulo + " ascending", 1, titulo});
        casos.push_back({titulo + " descending", 2, titulo});
    }
    ASSERT_EQ(casos.size(), 15u);
    // A page's own work: its rows, the arms' seeks and the columns computed
    // (a few hundred steps here; the whole list would be many thousands).
    constexpr long long kPasosPorPagina = 60 * kPorPagina + 400;
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        GridQuery q = Principal(kPorPagina);
        if (caso.sentido != 0) Ordenar(q, caso.sentido, caso.titulo.c_str());
        const std::int64_t total = ContarRegistros(db_, q);
        const std::int64_t paginas = GridQuery::CantidadPaginas(total, kPorPagina);
        for (const bool adelante : {true, false}) {
            q.Vista = {};
            std::int64_t pagina = paginas / 2;
            LeerPaginaNumero(db_, q, pagina, total);
            for (int vuelta = 0; vuelta < 4; ++vuelta) {
                pagina += adelante ? 1 : -1;
                ASSERT_EQ(q.AccesoPagina(pagina, total), adelante ? Acceso::Siguiente : Acceso::Anterior);
                const Filas filas = LeerPaginaNumero(db_, q, pagina, total).Filas;
                const adodb::QueryCost costo = db_.gCnn.LastQueryCost();
                EXPECT_EQ(filas, PorPosicion(q, pagina)) << pagina;
                EXPECT_LE(costo.steps, kPasosPorPagina) << (adelante ? "next " : "previous ") << pagina;
                EXPECT_EQ(costo.fullScanSteps, 0) << pagina;
                EXPECT_EQ(costo.sorts, 0) << pagina;
            }
        }
        for (const std::int64_t pagina : {std::int64_t{2}, std::int64_t{25}, paginas / 2 - 7, paginas / 2 + 1,
                                          paginas - 40, paginas - 1, paginas}) {
            q.Vista = {};
            const Filas filas = LeerPaginaNumero(db_, q, pagina, total).Filas;
            const adodb::QueryCost costo = db_.gCnn.LastQueryCost();
            EXPECT_EQ(filas, PorPosicion(q, pagina)) << pagina;
            const std::int64_t desdeExtremo = std::min((pagina - 1) * kPorPagina, total - pagina * kPorPagina);
            // Each row skipped costs a few steps of the index alone.
            EXPECT_LE(costo.steps, 4 * desdeExtremo + kPasosPorPagina) << "jump to " << pagina;
            EXPECT_EQ(costo.fullScanSteps, 0) << pagina;
            EXPECT_LE(costo.sorts, 1) << pagina;  // at most the page's own rows
        }
    }
}

// The list in a file, and a second connection to it: another station that
// writes between the grid's page turns.
class GridDosEstacionesTest : public GridQueryDbTest {
protected:
    GridDosEstacionesTest() {
        otra_.Open(PasarAArchivo());
        // Nothing here needs to survive a power cut: no wait for the disk.
        for (adodb::Connection* cn : {&db_.gCnn, &otra_}) cn->Execute("PRAGMA synchronous = OFF");
    }
    void Escribir(const std::string& sql, const std::vector<vb::Variant>& valores) {
        long filas = 0;
        otra_.Execute(sql, valores, filas);
    }
    adodb::Connection otra_;
};

struct ColumnaOrden {
    const char* titulo;
    const char* columna;
    vb::Variant primero;  // sorts before every order of the list
    vb::Variant ultimo;   // and after every one
};

// The example of a customer renamed while the list is shown, in a text, a
// date and a number sort, either way, walking forward and back: another
// station moves the edge row of every page shown to the far end of the walk,
// or empties its value, or deletes it. Every order nobody touched is shown
// once, in order.
TEST_F(GridDosEstacionesTest, AnEditOfThePagesEdgeRowByAnotherStationNeverMovesTheNextPage) {
    const ColumnaOrden columnas[] = {
        {"CLIENTE", "NOMBRE", "A", "ZZ"},
        {"VENCIMIENTO", "FECHAESTFIN", "2000-01-01", "2099-12-31 00:00:00"},
        {"IMPORTE", "IMPORTE", -1, 1000000.5},
    };
    enum class Cambio { Lejos, Nulo, Borrada };
    for (const ColumnaOrden& columna : columnas) {
        for (const int sentido : {1, 2}) {
            for (const bool adelante : {true, false}) {
                for (const Cambio cambio : {Cambio::Lejos, Cambio::Nulo, Cambio::Borrada}) {
                    if (cambio == Cambio::Nulo && std::string(columna.columna) == "IMPORTE") continue;  // NOT NULL
                    SCOPED_TRACE(std::string(columna.titulo) + (sentido == 1 ? " ascending, " : " descending, ") +
                                 (adelante ? "forward, " : "back, ") +
                                 (cambio == Cambio::Lejos ? "moved away" : cambio == Cambio::Nulo ? "emptied" : "deleted"));
                    otra_.Execute("DELETE FROM V_MV_CPTE");
                    std::set<long> intactas;
                    for (long i = 1; i <= 60; ++i) {
                        char nombre[32], fecha[48];
                        std::snprintf(nombre, sizeof nombre, "Cliente %02ld", i);
                        std::snprintf(fecha, sizeof fecha, "2024-%02ld-%02ld 00:00:00", 1 + i / 28, 1 + i % 28);
                        Insertar(otra_, i, "0001-0000" + std::to_string(1000 + i), fecha, fecha, nombre, 1.5 * i);
                        intactas.insert(i);
                    }
                    GridQuery q = Principal(10);
                    Ordenar(q, sentido, columna.titulo);
                    // Where the edge row would go to skip the most: past the far end of the walk.
                    const vb::Variant& lejos = adelante == (sentido == 1) ? columna.ultimo : columna.primero;
                    const std::vector<long> claves = Caminar(q, adelante, [&](const PaginaLeida& pagina) {
                        const std::string& borde = adelante ? pagina.Filas.back().back() : pagina.Filas.front().back();
                        const long clave = std::stol(borde);
                        intactas.erase(clave);
                        if (cambio == Cambio::Borrada) {
                            Escribir("DELETE FROM V_MV_CPTE WHERE ID = ?", {clave});
                        } else {
                            Escribir(std::string("UPDATE V_MV_CPTE SET ") + columna.columna + " = ? WHERE ID = ?",
                                     {cambio == Cambio::Lejos ? lejos : vb::Variant(vb::Null), clave});
                        }
                    });
                    EXPECT_LE(intactas.size(), 55u);  // every page but the last changed its edge
                    CadaIntactaUnaVezEnOrden(q, claves, intactas);
                }
            }
        }
    }
}

// Walks in every sort mode and direction while another station, between
// every two turns, changes the sort values of random rows (the edge rows of
// the page shown among them, to Null too), deletes rows and adds new ones.
// Names tie without regard to case, numbers tie with blanks after them,
// amounts differ in the last bit, dates are stored in both forms: every
// untouched order is shown once, in order.
TEST_F(GridDosEstacionesTest, RandomWritesBetweenTurnsNeverSkipNorRepeatAnUntouchedOrder) {
    const std::vector<std::vector<vb::Variant>> valores = {
        {"0001-00000001", "0001-00000001 ", "0001-00000002", "0002-00000001", "0001-0000001"},
        {"2024-01-01", "2024-01-01 00:00:00", "2024-02-03 00:00:00", "2023-12-31 10:00:00", "2024-02-03", vb::Null},
        {"2024-01-01", "2024-01-01 00:00:00", "2024-03-01 00:00:00", vb::Null},
        {"ana", "Ana", "Beto", "beto ", "Carla", "\xC3\x91" "and\xC3\xBA", "", vb::Null},
        {0.1 + 0.2, 0.3, 12.345678, 5, 5.0, -1.25, 100.0},
    };
    const char* const kColumnas[] = {"IDCOMPROBANTE", "FECHA", "FECHAESTFIN", "NOMBRE", "IMPORTE"};
    struct Modo {
        const char* nombre;
        std::function<void(GridQuery&)> ordenar;
    };
    const Modo modos[] = {
        {"the query's own order", [](GridQuery&) {}},
        {"number ascending", Clic(1, "NUMERO")},
        {"number descending", Clic(2, "NUMERO")},
        {"date ascending", Clic(1, "FECHA")},
        {"date descending", Clic(2, "FECHA")},
        {"due date ascending", Clic(1, "VENCIMIENTO")},
        {"due date descending", Clic(2, "VENCIMIENTO")},
        {"customer ascending", Clic(1, "CLIENTE")},
        {"customer descending", Clic(2, "CLIENTE")},
        {"amount ascending", Clic(1, "IMPORTE")},
        {"amount descending", Clic(2, "IMPORTE")},
        {"customer ascending, then date descending",
         [&](GridQuery& q) {
             q.Order = 2;
             Clic(1, "CLIENTE")(q);
             Clic(2, "FECHA")(q);
         }},
        {"a search, by due date",
         [&](GridQuery& q) {
             Clic(1, "VENCIMIENTO")(q);
             q.AgregarFiltro(*q.ClausulaBusqueda("CLIENTE", 4, "a"));
         }},
    };
    for (const unsigned semilla : {7u, 11u}) {
        for (const Modo& modo : modos) {
            for (const bool adelante : {true, false}) {
                SCOPED_TRACE(std::string(modo.nombre) + (adelante ? ", forward" : ", back") + ", seed " +
                             std::to_string(semilla));
                std::mt19937 azar(semilla);
                auto cualquiera = [&](std::size_t n) { return static_cast<std::size_t>(azar() % n); };
                auto valor = [&](std::size_t columna) { return valores[columna][cualquiera(valores[columna].size())]; };
                long siguienteClave = 1;
                auto nueva = [&]() {
                    Insertar(otra_, siguienteClave, valor(0), valor(1), valor(2), valor(3), valor(4));
                    return siguienteClave++;
                };
                otra_.Execute("DELETE FROM V_MV_CPTE");
                std::set<long> intactas;
                std::vector<long> todas;
                for (int i = 0; i < 60; ++i) todas.push_back(nueva());
                intactas.insert(todas.begin(), todas.end());
                auto cambiar = [&](long clave) {
                    intactas.erase(clave);
                    const std::size_t columna = cualquiera(std::size(kColumnas));
                    Escribir(std::string("UPDATE V_MV_CPTE SET ") + kColumnas[columna] + " = ? WHERE ID = ?",
                             {valor(columna), clave});
                };
                GridQuery q = Principal(7);
                modo.ordenar(q);
                const std::vector<long> claves = Caminar(q, adelante, [&](const PaginaLeida& pagina) {
                    cambiar(std::stol(pagina.Filas.front().back()));
                    cambiar(std::stol(pagina.Filas.back().back()));
                    for (int i = 0; i < 2; ++i) cambiar(todas[cualquiera(todas.size())]);
                    const long borrada = todas[cualquiera(todas.size())];
                    intactas.erase(borrada);
                    Escribir("DELETE FROM V_MV_CPTE WHERE ID = ?", {borrada});
                    todas.push_back(nueva());
                });
                ASSERT_GT(intactas.size(), 5u);
                CadaIntactaUnaVezEnOrden(q, claves, intactas);
            }
        }
    }
}

// A station that may not write the file walks the list forward and back
// (the next and previous pages bind the edge of the page shown), while
// another station has the file open and once nobody has: it shows what the
// station that wrote the orders shows. It runs in a process of its own, as
// a user other than the file's owner (nobody, when the tests run as root).
TEST_F(GridDosEstacionesTest, AStationThatMayNotWriteWalksTheListForwardAndBack) {
    AgregarOrdenes(35);
    GridQuery escrita = Principal(10);
    const std::vector<long> claves = Caminar(escrita, true, [](const PaginaLeida&) {});
    ASSERT_EQ(Caminar(escrita, false, [](const PaginaLeida&) {}), claves);
    ASSERT_GT(claves.size(), 30u);
    const std::string archivo = home_.File("empresa.db");
    db_.gCnn.Close();
    using std::filesystem::perms;
    std::filesystem::permissions(archivo, perms::owner_read | perms::group_read | perms::others_read);
    std::filesystem::permissions(home_.Path(), perms::all);
    for (const bool otraAbierta : {true, false}) {
        SCOPED_TRACE(otraAbierta ? "another station has the file open" : "nobody else has the file open");
        if (!otraAbierta) otra_.Close();
        std::fflush(nullptr);
        const pid_t lectora = fork();
        if (lectora == 0) {
            bool ok = geteuid() != 0 || (setgid(65534) == 0 && setuid(65534) == 0);
            try {
                db_.gCnn.Open("Provider=SQLOLEDB;Data Source=" + archivo);
                GridQuery q = Principal(10);
                for (const bool adelante : {true, false}) {
                    const std::vector<long> vistas = Caminar(q, adelante, [](const PaginaLeida&) {});
                    if (vistas != claves) {
                        std::fprintf(stderr, "walking %s: %zu orders shown of %zu\n", adelante ? "forward" : "back",
                                     vistas.size(), claves.size());
                        ok = false;
                    }
                }
            } catch (const vb::Error& e) {
                std::fprintf(stderr, "%s\n", e.Description().c_str());
                ok = false;
            } catch (const std::exception& e) {
                std::fprintf(stderr, "%s\n", e.what());
                ok = false;
            }
            _exit(ok ? 0 : 1);  // the process never returns to the tests
        }
        int estado = 0;
        ASSERT_GT(lectora, 0);
        ASSERT_EQ(waitpid(lectora, &estado, 0), lectora);
        EXPECT_TRUE(WIFEXITED(estado) && WEXITSTATUS(estado) == 0);
    }
}

TEST_F(GridQueryDbTest, CountIsOneCountStatementAndPagesShowConvertedDates) {
    AgregarOrdenes(25);
    GridQuery q = Principal(10);
    TomarSentencias();
    EXPECT_EQ(ContarRegistros(db_, q), 25);
    EXPECT_EQ(TomarSentencias(),
              std::vector<std::string>{"SELECT COUNT(*) FROM V_MV_CPTE WHERE [BLOQUEADA] = 1 AND TC = 'NP'"});

    adodb::Recordset rs;
    AbrirPagina(db_, q, q.ConsultaPagina(3, DialectoPagina(db_)), rs);
    const PaginaLeida pagina = LeerPagina(rs);
    EXPECT_EQ(pagina.Campos, (std::vector<std::string>{"TC", "NUMERO", "FECHA", "VENCIMIENTO", "CLIENTE", "IMPORTE",
                                                        "OBSERVACIONES", "ID"}));
    ASSERT_EQ(pagina.Filas.size(), 5u);
    EXPECT_EQ(pagina.Filas[0][3], "10/03/2024");
    EXPECT_EQ(vb::Len(pagina.Filas[0][2]), 10u);
}

TEST_F(GridQueryDbTest, FailingPageQueryRaisesTheDatabasesErrorAfterItsOwnReport) {
    AgregarOrdenes(5);
    GridQuery q;
    q.SQL = "SELECT a FROM V_MV_CPTE  ";
    q.Campos = "[NOPE], ID";
    operator_.AnswerMsgBox(ui::vbAbort);  // AbrirRecordset's own box
    adodb::Recordset rs;
    try {
        AbrirPagina(db_, q, q.ConsultaPagina(1, DialectoPagina(db_)), rs);
        FAIL() << "no error";
    } catch (const vb::Error& e) {
        EXPECT_NE(e.Description().find("NOPE"), std::string::npos) << e.Description();
    }
    EXPECT_EQ(rs.State(), adodb::adStateClosed);
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_NE(operator_.Shown()[0].title.find("AbrirRecordset"), std::string::npos);
}

// An SQL Server that has no column named like a converted date's alias.
class ServidorSinColumna : public adodb::Engine {
public:
    std::vector<std::string> consultas;
    adodb::Dialect GetDialect() const override { return adodb::Dialect::SqlServer; }
    long Execute(const std::string&) override { return 0; }
    adodb::ResultSet Query(const std::string& sql) override {
        consultas.push_back(sql);
        if (sql.find("Paginacion") != std::string::npos) {
            throw vb::Error(adodb::kErrFail, "Invalid column name 'X'.", "Microsoft OLE DB Provider for SQL Server",
                            207, "42S22");
        }
        adodb::ResultSet r;
        r.fields = {{"TC", adodb::adVarWChar, 4}, {"ID", adodb::adInteger, 4}};
        r.rows = {{vb::Variant("NP"), vb::Variant(7)}};
        return r;
    }
    void BeginTrans() override {}
    void CommitTrans() override {}
    void RollbackTrans() override {}
    bool InTransaction() const override { return false; }
    adodb::ResultSet OpenSchema(int, const std::vector<vb::Variant>&) override { return {}; }
    void SetCommandTimeout(long) override {}
};

TEST_F(GridQueryDbTest, InvalidColumnFallsBackToTheWholeQueryWithTheKeyLast) {
    auto motor = std::make_unique<ServidorSinColumna>();
    ServidorSinColumna* servidor = motor.get();
    db_.gCnn.Close();
    db_.gCnn.Attach(std::move(motor), "Provider=SQLOLEDB;Data Source=servidor;Initial Catalog=empresa");
    GridQuery q;
    q.SQL = "SELECT TC FROM V_MV_CPTE WHERE TC = 'NP' ";
    q.Campos = "[TC], ID";
    operator_.AnswerMsgBox(ui::vbAbort);  // AbrirRecordset's own box for the failed page
    adodb::Recordset rs;
    AbrirPagina(db_, q, q.ConsultaPagina(1, kServidor), rs);
    ASSERT_EQ(rs.State(), adodb::adStateOpen);
    ASSERT_EQ(servidor->consultas.size(), 2u);
    EXPECT_EQ(servidor->consultas[1], "SELECT TC, ID FROM V_MV_CPTE WHERE TC = 'NP' ");
    EXPECT_EQ(LeerPagina(rs).Filas, (std::vector<std::vector<std::string>>{{"NP", "7"}}));
}

}  // namespace
}  // namespace authorization
