// The printed form's line limit, item counts, repeated codes and fractional
// numbers.
#include <optional>
#include <string>
#include <vector>

#include "entrygrids/columnas.h"
#include "grids_fixture.h"
#include "vb/variant.h"

namespace entrygrids::testing {
namespace {

class ControlesTest : public GridsTest {
protected:
    ControlesTest() {
        // 2 task lines, 3 article lines (one blank row between), 2 other concepts: 7 in all.
        Llena(tareas_, {"T1", " T2 ", ""});
        Llena(articulos_, {"A1", "   ", "A2", "A3", ""}, kColsArticulos);
        articulos_.SetTextMatrix(2, kColCantidad, "99");  // a row without code is no line
        Llena(otros_, {"Flete", "Seguro"});
    }

    ui::FlexGrid tareas_;
    ui::FlexGrid articulos_;
    ui::FlexGrid otros_;
};

struct CasoLineas {
    const char* nombre;
    std::optional<int> limite;  // TA_CONFIG_IMP_CPTE row for FC / A
    long agregar;
    int lineasEntrada;
    int lineasAnteriores;
    bool resultado;
    int lineasSalida;
    int usadasSalida;
};

TEST_F(ControlesTest, LineLimitOfThePrintedForm) {
    const std::vector<CasoLineas> casos = {
        {"no row: no limit", std::nullopt, 50, 0, 0, true, 0, -5},
        {"limit 0: no limit", 0, 50, 0, 0, true, 0, -5},
        {"room for 3 more", 10, 3, 0, 0, true, 10, 7},
        {"no room for 4 more", 10, 4, 0, 0, false, 10, 7},
        {"limit given by the caller", std::nullopt, 1, 8, -1, true, 8, 7},
        {"limit 0 given by the caller reads nothing", 5, 99, 0, -1, true, 0, -5},
    };
    for (const CasoLineas& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Sql("DELETE FROM TA_CONFIG_IMP_CPTE");
        if (caso.limite) {
            Sql("INSERT INTO TA_CONFIG_IMP_CPTE (ID, TC, LETRA, CANTLINEAS) VALUES (2, 'FC', 'A', " +
                std::to_string(*caso.limite) + ")");
            Sql("INSERT INTO TA_CONFIG_IMP_CPTE (ID, TC, LETRA, CANTLINEAS) VALUES (5, 'FC', 'A', 1)");
            Sql("INSERT INTO TA_CONFIG_IMP_CPTE (ID, TC, LETRA, CANTLINEAS) VALUES (1, 'FC', 'B', 1)");
        }
        int lineas = caso.lineasEntrada;
        int usadas = -5;
        Sentencias();
        EXPECT_EQ(Cmn().ValidaCantidadLineasCpte("FC", "A", &tareas_, &articulos_, &otros_, &lineas, &usadas,
                                                 caso.agregar, caso.lineasAnteriores),
                  caso.resultado);
        EXPECT_EQ(lineas, caso.lineasSalida);
        EXPECT_EQ(usadas, caso.usadasSalida);
        if (caso.lineasAnteriores == -1) {
            EXPECT_TRUE(Sentencias().empty());
        }
    }
}

TEST_F(ControlesTest, LineLimitSkipsGridsPassedAsNoObject) {
    Sql("INSERT INTO TA_CONFIG_IMP_CPTE (ID, TC, LETRA, CANTLINEAS) VALUES (1, 'FC', 'A', 3)");
    int lineas = 0;
    int usadas = 0;
    EXPECT_TRUE(Cmn().ValidaCantidadLineasCpte("FC", "A", nullptr, &articulos_, nullptr, &lineas, &usadas));
    EXPECT_EQ(usadas, 3);
    EXPECT_FALSE(Cmn().ValidaCantidadLineasCpte("FC", "A", &tareas_, &articulos_, nullptr, &lineas, &usadas));
    EXPECT_EQ(usadas, 5);
}

TEST_F(ControlesTest, LineLimitQueryKeepsTheTextsAsLiterals) {
    Sql("INSERT INTO TA_CONFIG_IMP_CPTE (ID, TC, LETRA, CANTLINEAS) VALUES (1, 'F''C', 'A', 3)");
    int lineas = 0;
    int usadas = 0;
    EXPECT_FALSE(Cmn().ValidaCantidadLineasCpte("F'C", "A", &tareas_, &articulos_, &otros_, &lineas, &usadas));
    EXPECT_EQ(lineas, 3);
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(ControlesTest, LineLimitFailureIsReportedAndAnswersFalse) {
    Sql("DROP TABLE TA_CONFIG_IMP_CPTE");
    // The query is reported where it is opened; reading it then fails in the check.
    operator_.AnswerMsgBox(ui::vbAbort).AnswerMsgBox(ui::vbAbort);
    int lineas = 0;
    EXPECT_FALSE(Cmn().ValidaCantidadLineasCpte("FC", "A", &tareas_, &articulos_, &otros_, &lineas));
    ASSERT_EQ(operator_.Shown().size(), 2u);
    EXPECT_NE(operator_.Shown()[1].title.find("ValidaCantidadLineasCpte"), std::string::npos);
}

struct CasoUnidades {
    std::vector<std::string> cantidades;
    long unidades;
};

TEST_F(ControlesTest, ItemCountsAndTotalUnits) {
    long tareas = -1;
    long articulos = -1;
    long otros = -1;
    long unidades = -1;
    articulos_.SetTextMatrix(1, kColCantidad, "2");
    articulos_.SetTextMatrix(3, kColCantidad, " 3.5 ");
    articulos_.SetTextMatrix(4, kColCantidad, "abc");
    EXPECT_EQ(Cmn().CuentaItems(&tareas_, &articulos_, &otros_, &tareas, &articulos, &otros, &unidades), 7);
    EXPECT_EQ(tareas, 2);
    EXPECT_EQ(articulos, 3);
    EXPECT_EQ(otros, 2);
    EXPECT_EQ(unidades, 6);  // 5.5 rounds to the even 6

    // Units are summed exactly and rounded once.
    const std::vector<CasoUnidades> casos = {
        {{"1.5", "1.5"}, 3}, {{"0.5", "0.5"}, 1}, {{"0.5"}, 0}, {{"2.5", "-1"}, 2}, {{}, 0}};
    for (const CasoUnidades& caso : casos) {
        ui::FlexGrid g;
        std::vector<std::string> codigos(caso.cantidades.size(), "A");
        Llena(g, codigos, kColsArticulos);
        for (std::size_t i = 0; i < caso.cantidades.size(); ++i)
            g.SetTextMatrix(static_cast<int>(i) + 1, kColCantidad, caso.cantidades[i]);
        Cmn().CuentaItems(nullptr, &g, nullptr, nullptr, nullptr, nullptr, &unidades);
        EXPECT_EQ(unidades, caso.unidades) << ::testing::PrintToString(caso.cantidades);
    }

    EXPECT_EQ(Cmn().CuentaItems(nullptr, nullptr, nullptr, &tareas, &articulos, &otros, &unidades), 0);
    EXPECT_EQ(tareas + articulos + otros + unidades, 0);
}

TEST_F(ControlesTest, RepeatedCodes) {
    struct Caso {
        const char* nombre;
        std::string codigo;
        long ignorar;
        bool resultado;
        long fila;
    };
    ui::FlexGrid g;
    Llena(g, {" t01 ", "T02", "X", "Y", "T02", ""});
    const std::vector<Caso> casos = {
        {"case and blanks ignored", "T01", 0, true, 1},
        {"first of two", "T02", 0, true, 2},
        {"the row ignored is skipped", "T02", 2, true, 5},
        {"only on the ignored row", "T01", 1, false, -7},
        {"absent", "Z", 0, false, -7},
        {"blank code finds the entry row", "  ", 0, true, 6},
        {"ignored row beyond the grid skips nothing", "X", 99, true, 3},
    };
    using Metodo = bool (documents::ClsCmnCptes::*)(ui::FlexGrid&, const std::string&, long, long*);
    for (Metodo metodo : {&documents::ClsCmnCptes::TareaRepetida, &documents::ClsCmnCptes::ArticuloRepetido,
                          &documents::ClsCmnCptes::OtrosConceptosRepetidos}) {
        for (const Caso& caso : casos) {
            SCOPED_TRACE(caso.nombre);
            long fila = -7;
            EXPECT_EQ((Cmn().*metodo)(g, caso.codigo, caso.ignorar, &fila), caso.resultado);
            EXPECT_EQ(fila, caso.fila);
        }
    }
}

TEST_F(ControlesTest, FractionalNumbers) {
    struct Caso {
        vb::Variant numero;
        bool fraccion;
    };
    const std::vector<Caso> casos = {
        {2.5, true},     {3.5, true},      {3.0, false},      {"7", false},        {"0.25", true},
        {-1.5, true},    {32767.0, false}, {32768.5, true},   {40000.5, true},     {40000.0, false},
        {-40000.5, true}, {"123456789.25", true}, {3000000000.0, false}};
    // No 16-bit step: beyond 32767 the answer is still the number's own.
    for (const Caso& caso : casos) EXPECT_EQ(Cmn().NumeroEsFraccion(caso.numero), caso.fraccion) << vb::CStr(caso.numero);
    EXPECT_EQ(testsupport::ErrorNumberOf([&] { Cmn().NumeroEsFraccion(vb::Null); }), vb::kErrInvalidUseOfNull);
}

}  // namespace
}  // namespace entrygrids::testing
