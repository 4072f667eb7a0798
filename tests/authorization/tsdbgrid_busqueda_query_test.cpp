// The search conditions and the column choice of the grid, without a window
// or a database: the texts they write.
#include "authorization/tsdbgrid_query.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "vb/error.h"

namespace authorization {
namespace {

using adodb::FieldInfo;

// The main window's query as the grid holds it: TC, NUMERO, FECHA,
// VENCIMIENTO, CLIENTE, IMPORTE, OBSERVACIONES; FECHA and VENCIMIENTO dates,
// IMPORTE a number, the others texts.
GridQuery ConsultaPrincipal() {
    GridQuery q;
    q.SQL = "SELECT TC, IDCOMPROBANTE AS NUMERO,FECHA,FECHAESTFIN AS VENCIMIENTO,NOMBRE AS CLIENTE,IMPORTE,"
            "OBSERVACIONES FROM V_MV_CPTE WHERE [BLOQUEADA] = 1 AND TC = 'NP' ORDER BY [TC] ASC  ";
    q.CargarAlias();
    q.LeerTablaConsulta();
    q.ColumnasFecha = "|2||3|";
    q.ColumnasTexto = "|0||1||4||6|";
    return q;
}

const std::vector<std::string> kTitulos{"TC", "NUMERO", "FECHA", "VENCIMIENTO", "CLIENTE", "IMPORTE", "OBSERVACIONES"};

TEST(GridSearchTexts, ExamplesOfEveryForm) {
    GridQuery dos;
    dos.SQL = "SELECT TC, NOMBRE AS CLIENTE FROM T  ";
    dos.CargarAlias();
    dos.ColumnasTexto = "|1|";
    EXPECT_EQ(dos.CondicionTodos({"TC", "CLIENTE"}, "abc"),
              " ( CONVERT(NVARCHAR,[TC]) LIKE '%abc%' or  [NOMBRE] LIKE '%abc%') ");

    GridQuery q = ConsultaPrincipal();
    EXPECT_EQ(q.ClausulaBusqueda("CLIENTE", 4, "abc"), " [NOMBRE] LIKE '%abc%'");
    EXPECT_EQ(q.ClausulaBusqueda("IMPORTE", 5, "abc"), " CONVERT(NVARCHAR,[IMPORTE]) LIKE '%abc%'");
    EXPECT_EQ(q.ClausulaBusqueda("FECHA", 2, "15/03/05"), " [FECHA] = '15/03/05'");
    EXPECT_EQ(q.ClausulaBusqueda("VENCIMIENTO", 3, "15/03/05"), " [FECHAESTFIN] = '15/03/05'");
    EXPECT_EQ(q.ClausulaBusqueda("FECHA", 2, "abc"), std::nullopt);
}

struct CasoTexto {
    const char* texto;
    const char* clausula;
};

// Whatever is typed stays inside the literal; "%" keeps its LIKE meaning.
TEST(GridSearchTexts, TypedTextNeverEndsTheLiteral) {
    const CasoTexto casos[] = {
        {"O'Brien", " [NOMBRE] LIKE '%O''Brien%'"},
        {"x' OR '1'='1", " [NOMBRE] LIKE '%x'' OR ''1''=''1%'"},
        {"''", " [NOMBRE] LIKE '%''''%'"},
        {"a%b", " [NOMBRE] LIKE '%a%b%'"},
        {"a*b", " [NOMBRE] LIKE '%a*b%'"},
    };
    const GridQuery q = ConsultaPrincipal();
    for (const CasoTexto& caso : casos) {
        SCOPED_TRACE(caso.texto);
        EXPECT_EQ(q.ClausulaBusqueda("CLIENTE", 4, caso.texto), caso.clausula);
    }
}

struct CasoFecha {
    const char* texto;
    std::optional<std::string> literal;
};

// Only a date makes a date clause, written as the database layer reads a date.
TEST(GridSearchTexts, DateClausesComeOnlyFromDates) {
    const CasoFecha casos[] = {
        {"15/03/05", "15/03/05"},
        {"15-3-2005", "15-3-2005"},
        {"15/03/2005 10:20", "15/03/2005 10:20"},
        {"2005-03-15", "15/03/2005"},
        {"2005-03-15 10:20", "15/03/2005 10:20:00"},
        {"31/02/2005", std::nullopt},
        {"15/03", std::nullopt},
        {"abc", std::nullopt},
        {"1' OR '1'='1", std::nullopt},
    };
    const GridQuery q = ConsultaPrincipal();
    for (const CasoFecha& caso : casos) {
        SCOPED_TRACE(caso.texto);
        EXPECT_EQ(GridQuery::TextoFecha(caso.texto), caso.literal);
        const std::optional<std::string> clausula = q.ClausulaBusqueda("FECHA", 2, caso.texto);
        if (caso.literal) {
            EXPECT_EQ(clausula, " [FECHA] = '" + *caso.literal + "'");
        } else {
            EXPECT_EQ(clausula, std::nullopt);
        }
    }
}

TEST(GridSearchTexts, AllColumnsTakeTheDateColumnsOnlyForADate) {
    const GridQuery q = ConsultaPrincipal();
    const std::string texto = q.CondicionTodos(kTitulos, "ana");
    EXPECT_EQ(texto,
              " ( [TC] LIKE '%ana%' or  [IDCOMPROBANTE] LIKE '%ana%' or  [NOMBRE] LIKE '%ana%' or  "
              "CONVERT(NVARCHAR,[IMPORTE]) LIKE '%ana%' or  [OBSERVACIONES] LIKE '%ana%') ");
    const std::string fecha = q.CondicionTodos(kTitulos, "01/01/2024");
    EXPECT_NE(fecha.find("or  [FECHA] = '01/01/2024' or  [FECHAESTFIN] = '01/01/2024' or "), std::string::npos)
        << fecha;

    // With nothing to search in, the condition is still SQL, and finds nothing.
    GridQuery fechas;
    fechas.ColumnasFecha = "|0|";
    EXPECT_EQ(fechas.CondicionTodos({"FECHA"}, "abc"), " (1=0) ");
    EXPECT_EQ(fechas.CondicionTodos({}, "abc"), " (1=0) ");
}

TEST(GridSearchTexts, EachSearchAddsItsConditionWithAnd) {
    GridQuery q;
    q.AgregarFiltro(" (a)");
    EXPECT_EQ(q.FiltroBusqueda, " (a)");
    q.AgregarFiltro(" b");
    EXPECT_EQ(q.FiltroBusqueda, " (a) and  b");
    q.FiltroBusqueda = "  ";
    q.AgregarFiltro(" c");
    EXPECT_EQ(q.FiltroBusqueda, "   c");
}

// ---- Column choice -----------------------------------------------------------------------

TEST(GridColumnChoice, ChosenFieldsMakeTheListsAndTheDateColumns) {
    GridQuery q = ConsultaPrincipal();
    EXPECT_EQ(q.ConsultaColumnas("[TC], [FECHA], [ID]"), "SELECT TOP 1 [TC], [FECHA], [ID] FROM V_MV_CPTE");
    EXPECT_EQ(q.ConsultaColumnas("[NUMERO], [CLIENTE], [ID]"),
              "SELECT TOP 1 [IDCOMPROBANTE] as [NUMERO], [NOMBRE] as [CLIENTE], [ID] FROM V_MV_CPTE");

    const GridQuery::Eleccion e = q.ColumnasElegidas(
        {{"TC", adodb::adVarWChar}, {"FECHA", adodb::adDBTimeStamp}, {"ID", adodb::adInteger}});
    EXPECT_EQ(e.CamposSel, "[TC], CONVERT(NVARCHAR,[FECHA],103) AS [FECHA], ID");
    EXPECT_EQ(e.ListaCamposSel, "[TC], [FECHA], ID");
    EXPECT_EQ(e.ColumnasFecha, "|1|");
    EXPECT_EQ(e.ColumnasTexto, "|0|");

    // A date first, an alias of a date, another key and style.
    q.PrimaryKey = "CLAVE";
    q.FormatDate = 112;
    const GridQuery::Eleccion f = q.ColumnasElegidas(
        {{"VENCIMIENTO", adodb::adDBTimeStamp}, {"CLIENTE", adodb::adVarWChar}, {"FECHA", adodb::adDBTimeStamp},
         {"CLAVE", adodb::adInteger}});
    EXPECT_EQ(f.CamposSel,
              " CONVERT(NVARCHAR,[FECHAESTFIN],112) AS [VENCIMIENTO], [CLIENTE], CONVERT(NVARCHAR,[FECHA],112) AS "
              "[FECHA], CLAVE");
    EXPECT_EQ(f.ListaCamposSel, "[VENCIMIENTO], [CLIENTE], [FECHA], CLAVE");
    EXPECT_EQ(f.ColumnasFecha, "|0||2|");
    EXPECT_EQ(f.ColumnasTexto, "|1|");
}

TEST(GridColumnChoice, NoColumnIsAnError) {
    const GridQuery q = ConsultaPrincipal();
    for (const char* elegidas : {"", "  "}) {
        try {
            q.ConsultaColumnas(elegidas);
            ADD_FAILURE() << "no error for \"" << elegidas << "\"";
        } catch (const vb::Error& e) {
            EXPECT_EQ(e.Number(), vb::kErrInvalidCall);
            EXPECT_EQ(e.Description(), "No se eligió ninguna columna para mostrar.");
        }
    }
}

}  // namespace
}  // namespace authorization
