// The grid's queries without a window: the texts it sends, and paging through
// a real database in every sort mode.
#include "authorization/tsdbgrid_query.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
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

    const std::vector<std::string> entradas = q.CargarCampos(
        {{"TC", adodb::adVarWChar}, {"NOTAS", adodb::adLongVarWChar}, {"FECHA", adodb::adDBTimeStamp},
         {"FOTO", adodb::adLongVarBinary}, {"VENCIMIENTO", adodb::adDBTimeStamp}});
    EXPECT_EQ(entradas, (std::vector<std::string>{"Todos", "TC", "FECHA", "VENCIMIENTO"}));
    EXPECT_EQ(q.ColumnasFecha, "|2||4|");
    EXPECT_EQ(q.Campos, "[TC], CONVERT(NVARCHAR,[FECHA],103) AS [FECHA], CONVERT(NVARCHAR,[FECHAESTFIN],103) AS "
                        "[VENCIMIENTO], ID");
    EXPECT_EQ(q.ListaCampos, "[TC], [FECHA], [VENCIMIENTO], ID");

    // Chosen columns: the field box lists them without brackets and without the key.
    q.CamposSel = "[TC], CONVERT(NVARCHAR,[FECHA],103) AS [FECHA], ID";
    q.ListaCamposSel = "[TC], [FECHA], ID";
    const std::vector<std::string> elegidas = q.CargarCampos({{"TC", adodb::adVarWChar}, {"FECHA", adodb::adDBTimeStamp}});
    EXPECT_EQ(elegidas, (std::vector<std::string>{"Todos", "TC", "FECHA"}));
    EXPECT_EQ(q.ColumnasFecha, "|2||4|");  // not rebuilt
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
// SQLite form (LIMIT and OFFSET) page the same rows, and every row comes once, in the
// order the sort mode asks for.
TEST_F(GridQueryDbTest, BothPageFormsReturnTheSameRowsOnEveryPageInEverySortMode) {
    const std::vector<Orden> ordenes = AgregarOrdenes(95);
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
        const std::vector<Filas> sqlite = Recorrer(q, kSqlite);
        EXPECT_EQ(Claves(sqlite), claves);
        ASSERT_EQ(sqlite.size(), servidor.size());
        for (std::size_t p = 0; p < sqlite.size(); ++p) EXPECT_EQ(sqlite[p], servidor[p]) << "page " << p + 1;
    }
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
