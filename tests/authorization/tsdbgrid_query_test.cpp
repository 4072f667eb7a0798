// The grid's queries without a window: the texts it sends, and paging through
// a real database in every sort mode.
#include "authorization/tsdbgrid_query.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <numeric>
#include <set>
#include <tuple>

#include "grid_fixture.h"
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
// pages before it with an OFFSET that grows with the position.
struct CasoSqlite {
    const char* nombre;
    std::int64_t pagina;  // of 95 records at 10 a page, page 5 shown (keys 17 to 42)
    Acceso acceso;
    const char* cola;  // the text after the select list and FROM
    bool invertida;
};

TEST(GridQueryTexts, SqlitePagesReadFromTheEdgeOfThePageShownOrFromTheNearerEnd) {
    const std::string inicio = std::string("SELECT  ") + kLista + "  FROM V_MV_CPTE AS Paginacion ";
    const CasoSqlite casos[] = {
        {"next", 6, Acceso::Siguiente,
         " WHERE ([BLOQUEADA] = 1 AND TC = 'NP') AND Paginacion.ID > 42  ORDER BY Paginacion.[TC] ASC, "
         "Paginacion.ID  LIMIT 10",
         false},
        {"previous", 4, Acceso::Anterior,
         " WHERE ([BLOQUEADA] = 1 AND TC = 'NP') AND Paginacion.ID < 17  ORDER BY Paginacion.[TC] DESC, "
         "Paginacion.ID DESC  LIMIT 10",
         true},
        {"first", 1, Acceso::Principio,
         "WHERE [BLOQUEADA] = 1 AND TC = 'NP'   ORDER BY Paginacion.[TC] ASC, Paginacion.ID  LIMIT 10 OFFSET 0",
         false},
        {"last, five records", 10, Acceso::Final,
         "WHERE [BLOQUEADA] = 1 AND TC = 'NP'   ORDER BY Paginacion.[TC] DESC, Paginacion.ID DESC  LIMIT 5 OFFSET 0",
         true},
        {"nearer the end", 8, Acceso::Final,
         "WHERE [BLOQUEADA] = 1 AND TC = 'NP'   ORDER BY Paginacion.[TC] DESC, Paginacion.ID DESC  LIMIT 10 OFFSET "
         "15",
         true},
        {"nearer the start", 3, Acceso::Principio,
         "WHERE [BLOQUEADA] = 1 AND TC = 'NP'   ORDER BY Paginacion.[TC] ASC, Paginacion.ID  LIMIT 10 OFFSET 20",
         false},
    };
    for (const CasoSqlite& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        GridQuery q = ConsultaPrincipal();
        q.ConsultaPagina(5, kSqlite);
        q.RecordarPagina(5, PaginaLeida{{"ID"}, {{"17"}, {"33"}, {"42"}}});
        ASSERT_EQ(q.AccesoPagina(caso.pagina, 95), caso.acceso);
        // TC is held to one value by the condition: only the key continues the order.
        EXPECT_EQ(q.ConsultaNulos("42"), "");
        const ConsultaDePagina consulta = q.ConsultaSqlite(caso.acceso, caso.pagina, 95);
        EXPECT_EQ(consulta.texto, inicio + caso.cola);
        EXPECT_EQ(consulta.invertida, caso.invertida);
    }
}

TEST(GridQueryTexts, SqliteContinuesASortByItsColumnsReadFromTheEdgeRowNullsFirst) {
    GridQuery q = ConsultaPrincipal();
    q.Order = 2;
    q.OrdenSent = 1;
    q.ArmarOrdenColumna("CLIENTE");
    q.OrdenSent = 2;
    q.ArmarOrdenColumna("FECHA");
    q.ConsultaPagina(2, kSqlite);
    q.RecordarPagina(2, PaginaLeida{{"ID"}, {{"17"}, {"42"}}});
    EXPECT_EQ(q.ConsultaNulos("42"),
              "SELECT Borde.[NOMBRE] IS NULL, Borde.[FECHA] IS NULL FROM V_MV_CPTE AS Borde WHERE Borde.ID = 42");
    const std::string nombre = "(SELECT Borde.[NOMBRE] FROM V_MV_CPTE AS Borde WHERE Borde.ID = 42)";
    const std::string fecha = "(SELECT Borde.[FECHA] FROM V_MV_CPTE AS Borde WHERE Borde.ID = 42)";
    const std::string orden = "  ORDER BY Paginacion.[NOMBRE] Asc, Paginacion.[FECHA] Desc, Paginacion.ID  LIMIT 10";
    const std::string donde = " WHERE ([BLOQUEADA] = 1 AND TC = 'NP') AND ";
    const std::string select = std::string("SELECT  ") + kLista + "  FROM V_MV_CPTE AS Paginacion ";
    ASSERT_EQ(q.AccesoPagina(3, 95), Acceso::Siguiente);
    // A name after it, or the same name and a date before it (or none), or the same of both and a greater key.
    EXPECT_EQ(q.ConsultaSqlite(Acceso::Siguiente, 3, 95, {false, false}).texto,
              select + donde + "Paginacion.[NOMBRE] >= " + nombre + " AND (Paginacion.[NOMBRE] > " + nombre +
                  " OR (Paginacion.[NOMBRE] = " + nombre + " AND (Paginacion.[FECHA] < " + fecha +
                  " OR Paginacion.[FECHA] IS NULL OR (Paginacion.[FECHA] = " + fecha +
                  " AND Paginacion.ID > 42))))" + orden);
    // Null name and date: every name comes after it; a null date is the last of its name.
    EXPECT_EQ(q.ConsultaSqlite(Acceso::Siguiente, 3, 95, {true, true}).texto,
              select + donde +
                  "(Paginacion.[NOMBRE] IS NOT NULL OR (Paginacion.[NOMBRE] IS NULL AND (Paginacion.[FECHA] IS NULL "
                  "AND Paginacion.ID > 42)))" +
                  orden);
    // Before the first row: the same in the reverse order.
    ASSERT_EQ(q.AccesoPagina(1, 95), Acceso::Principio);
    q.RecordarPagina(3, PaginaLeida{{"ID"}, {{"17"}, {"42"}}});
    ASSERT_EQ(q.AccesoPagina(2, 95), Acceso::Anterior);
    const std::string previo = "(SELECT Borde.[FECHA] FROM V_MV_CPTE AS Borde WHERE Borde.ID = 17)";
    const ConsultaDePagina anterior = q.ConsultaSqlite(Acceso::Anterior, 2, 95, {true, false});
    EXPECT_TRUE(anterior.invertida);
    EXPECT_EQ(anterior.texto,
              select + donde + "(Paginacion.[NOMBRE] IS NULL AND (Paginacion.[FECHA] > " + previo +
                  " OR (Paginacion.[FECHA] = " + previo + " AND Paginacion.ID < 17)))" +
                  "  ORDER BY Paginacion.[NOMBRE] DESC, Paginacion.[FECHA] ASC, Paginacion.ID DESC  LIMIT 10");

    // Another sort, page size or search: the page shown no longer continues.
    for (const std::function<void(GridQuery&)>& cambio : std::vector<std::function<void(GridQuery&)>>{
             [](GridQuery& g) { g.ArmarOrdenColumna("NUMERO"); }, [](GridQuery& g) { g.PageSize = 20; },
             [](GridQuery& g) { g.FiltroBusqueda = "x = 1"; }}) {
        GridQuery otra = q;
        cambio(otra);
        EXPECT_NE(otra.AccesoPagina(4, 95), Acceso::Siguiente);
    }
    // An order by an expression is read from the nearer end only.
    q.OrdenSent = 3;
    q.OrderBy = " Order by CONVERT(NVARCHAR,[FECHA],112) Asc ";
    q.ConsultaPagina(3, kSqlite);
    q.RecordarPagina(3, PaginaLeida{{"ID"}, {{"17"}, {"42"}}});
    EXPECT_EQ(q.AccesoPagina(4, 95), Acceso::Principio);
    EXPECT_EQ(q.ConsultaNulos("42"), "");
    // A key that is no whole number is never placed in the text.
    q.OrderBy = " Order by [NOMBRE] Asc ";
    q.ConsultaPagina(3, kSqlite);
    q.RecordarPagina(3, PaginaLeida{{"ID"}, {{"17"}, {"4'2"}}});
    EXPECT_EQ(q.AccesoPagina(4, 95), Acceso::Principio);
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
        {"", " [FECHA] = '04/02/2024' and  CONVERT(NVARCHAR,[TC]) LIKE '%b%'", {"FECHA"}},
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
    EXPECT_EQ(q.OrdenExterior(), " ORDER BY CONVERT(NVARCHAR,[FECHA],112) Asc, Paginacion.[NOMBRE] Desc, Paginacion.ID ");
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
};

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
// end, then each before the edge of the one after), and jumping to each page
// (from the nearer end, LIMIT and OFFSET). Some names and dates are Null,
// which sorts first; here an empty text stands for it.
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
    auto clic = [](int sentido, const char* titulo) {
        return [=](GridQuery& q) {
            q.OrdenSent = sentido;
            q.ArmarOrdenColumna(titulo);
        };
    };
    auto todas = [](const Orden&) { return true; };
    auto porClave = [](const Orden& a, const Orden& b) { return a.id < b.id; };
    auto porNombre = [](const Orden& a, const Orden& b) { return std::tie(a.nombre, a.id) < std::tie(b.nombre, b.id); };
    const ModoOrden modos[] = {
        {"mode 0 (every TC equal: only the key orders)", 10, [](GridQuery& q) { q.OrdenSent = 0; }, todas, porClave},
        {"ascending by an alias", 10, clic(1, "CLIENTE"), todas, porNombre},
        {"descending by a date", 7, clic(2, "FECHA"), todas,
         [](const Orden& a, const Orden& b) { return a.fecha != b.fecha ? a.fecha > b.fecha : a.id < b.id; }},
        {"cumulative", 10,
         [&](GridQuery& q) {
             q.Order = 2;
             clic(1, "CLIENTE")(q);
             clic(2, "FECHA")(q);
         },
         todas,
         [](const Orden& a, const Orden& b) {
             if (a.nombre != b.nombre) return a.nombre < b.nombre;
             return a.fecha != b.fecha ? a.fecha > b.fecha : a.id < b.id;
         }},
        {"mode 3 keeps a stored order", 10,
         [](GridQuery& q) {
             q.OrdenSent = 3;
             q.OrderBy = " Order by [NOMBRE] Desc ";
         },
         todas,
         [](const Orden& a, const Orden& b) { return a.nombre != b.nombre ? a.nombre > b.nombre : a.id < b.id; }},
        {"a search over every page", 4,
         [&](GridQuery& q) {
             clic(1, "CLIENTE")(q);
             q.AgregarFiltro(q.CondicionTodos({"TC", "NUMERO", "FECHA", "VENCIMIENTO", "CLIENTE"}, "a"));
         },
         [](const Orden& o) { return vb::Contains(o.nombre, "a", vb::Compare::Text); }, porNombre},
        {"a date search", 10,
         [](GridQuery& q) {
             q.AgregarFiltro(q.CondicionTodos({"TC", "NUMERO", "FECHA", "VENCIMIENTO", "CLIENTE"}, "04/02/2024"));
         },
         [](const Orden& o) { return o.fecha == "2024-02-04 00:00:00"; }, porClave},
        {"one record a page", 1, clic(2, "NUMERO"), todas,
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
        GridQuery q;
        q.SQL = std::string(kConsultaPrincipal) + "  ";
        q.PageSize = modo.pageSize;
        q.CargarAlias();
        q.CargarCampos(LeerCampos(db_, q));
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
                EXPECT_EQ(porBorde, contiguos && continua && recorrido.orden[i] != 1) << "visit " << i;
                if (porBorde) EXPECT_EQ(accesos[i], contigua) << "visit " << i;
            }
        }
    }
}

// The edge row of the page shown is gone: the next page is read from the
// nearer end, as the rows stand now.
TEST_F(GridQueryDbTest, NextPageAfterItsEdgeRowWasDeletedIsReadFromTheNearerEnd) {
    AgregarOrdenes(45);
    GridQuery q;
    q.SQL = std::string(kConsultaPrincipal) + "  ";
    q.PageSize = 10;
    q.CargarAlias();
    q.CargarCampos(LeerCampos(db_, q));
    q.OrdenSent = 1;
    q.ArmarOrdenColumna("CLIENTE");
    LeerPaginaNumero(db_, q, 2, 45);
    db_.gCnn.Execute("DELETE FROM V_MV_CPTE WHERE ID = " + q.Vista.ultima);
    ASSERT_EQ(q.AccesoPagina(3, 44), Acceso::Siguiente);
    const Filas pagina = LeerPaginaNumero(db_, q, 3, 44).Filas;
    adodb::Recordset rs;
    AbrirPagina(db_, q, q.ConsultaPagina(3, kServidor), rs);
    EXPECT_EQ(pagina, LeerPagina(rs).Filas);
    EXPECT_EQ(pagina.size(), 10u);
}

TEST_F(GridQueryDbTest, CountIsOneCountStatementAndPagesShowConvertedDates) {
    AgregarOrdenes(25);
    GridQuery q;
    q.SQL = std::string(kConsultaPrincipal) + "  ";
    q.PageSize = 10;
    q.CargarAlias();
    q.CargarCampos(LeerCampos(db_, q));
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
