// The summary grid of the visible tabs, with the article breakdown by
// category or type, and the painting of rows and columns.
#include <QTabWidget>
#include <QWidget>

#include <string>
#include <vector>

#include "entrygrids/columnas.h"
#include "foundation/comunes.h"
#include "grids_fixture.h"

namespace entrygrids::testing {
namespace {

constexpr std::uint32_t kAmarillo = 12648447;
constexpr std::uint32_t kNaranja = 12640511;
constexpr std::uint32_t kAzul = 16711680;

class TotalesTest : public GridsTest {
protected:
    TotalesTest() {
        for (const char* titulo : {"Tareas", "Artículos", "Otros"}) solapas_.addTab(new QWidget, titulo);
        Cmn().InicializaGrids(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, host_, "FC", &resumen_);
        Llena(tareas_, {"T1", "T2", ""}, kColsTareas);
        tareas_.SetTextMatrix(1, kTarHoras, "01:30");
        tareas_.SetTextMatrix(2, kTarHoras, "02:45");
        Llena(articulos_, {"A1", "A2", "  ", "A3", ""}, kColsArticulos);
        Cantidad(1, "2", "01");
        Cantidad(2, "1.5", "02");
        Cantidad(3, "100", "09");  // no code: not a line
        Cantidad(4, "3", "01");
        Llena(otros_, {"Flete", ""}, kColsOtrosConceptos);
        Sql("INSERT INTO V_ta_Rubros (IdRubro, Descripcion) VALUES ('01', 'Maderas'), ('02', 'Herrajes')");
        Sql("INSERT INTO V_ta_TipoArticulo (IdTipo, Tipo, Descripcion) VALUES ('X', 'P', 'Propio')");
    }

    void Cantidad(int fila, const std::string& cantidad, const std::string& rubro) {
        articulos_.SetTextMatrix(fila, kColCantidad, cantidad);
        articulos_.SetTextMatrix(fila, kColAuxRubroArticulo, rubro);
    }

    void Totalizar(bool porRubro = false, bool porTipo = false) {
        Cmn().TotalizadorControl(tareas_, articulos_, otros_, resumen_, solapas_, porRubro, porTipo);
    }

    std::vector<std::string> Fila(int r) const {
        return {resumen_.TextMatrix(r, 0), resumen_.TextMatrix(r, 1), resumen_.TextMatrix(r, 2)};
    }

    ui::FlexGrid tareas_;
    ui::FlexGrid articulos_;
    ui::FlexGrid otros_;
    ui::FlexGrid resumen_;
    QTabWidget solapas_;
};

using Filas = std::vector<std::vector<std::string>>;

TEST_F(TotalesTest, OneSummaryRowPerVisibleTab) {
    Totalizar();
    ASSERT_EQ(resumen_.Rows(), 5);
    EXPECT_EQ(Fila(1), (std::vector<std::string>{"Tareas", "2", "4:15"}));
    EXPECT_EQ(Fila(2), (std::vector<std::string>{"Artículos", "3", "6.5"}));
    EXPECT_EQ(Fila(3), (std::vector<std::string>{"Otros", "1", ""}));
    for (int r = 1; r <= 3; ++r) {
        for (int c = 0; c < 3; ++c) EXPECT_EQ(resumen_.CellBackColorAt(r, c), kAmarillo) << r << "," << c;
    }
    for (int c = 0; c < 3; ++c) EXPECT_EQ(resumen_.CellBackColorAt(4, c), kAzul);
    EXPECT_EQ(Fila(4), (std::vector<std::string>{"", "", ""}));
}

TEST_F(TotalesTest, TaskHoursCarryMinutesIntoHours) {
    struct Caso {
        std::vector<std::string> horas;
        std::string total;
    };
    const std::vector<Caso> casos = {
        {{"01:30", "02:45"}, "4:15"}, {{"10:05"}, "10:05"}, {{"2"}, "2:00"}, {{"1.50", "0:30"}, "2:00"}, {{}, "0:00"}};
    solapas_.setTabVisible(1, false);
    solapas_.setTabVisible(2, false);
    for (const Caso& caso : casos) {
        Llena(tareas_, std::vector<std::string>(caso.horas.size(), "T"), kColsTareas);
        for (std::size_t i = 0; i < caso.horas.size(); ++i)
            tareas_.SetTextMatrix(static_cast<int>(i) + 1, kTarHoras, caso.horas[i]);
        Totalizar();
        EXPECT_EQ(resumen_.TextMatrix(1, 2), caso.total) << ::testing::PrintToString(caso.horas);
        EXPECT_EQ(resumen_.Rows(), 3);
    }
}

TEST_F(TotalesTest, NoVisibleTabLeavesRowOneBlue) {
    resumen_.SetTextMatrix(1, 0, "anterior");
    for (int i = 0; i < 3; ++i) solapas_.setTabVisible(i, false);
    Totalizar(true);
    EXPECT_EQ(resumen_.Rows(), 2);
    EXPECT_EQ(resumen_.TextMatrix(1, 0), "anterior");
    EXPECT_EQ(resumen_.CellBackColorAt(1, 0), kAzul);
}

TEST_F(TotalesTest, BreakdownByCategory) {
    solapas_.setTabVisible(0, false);
    solapas_.setTabVisible(2, false);
    Totalizar(true);
    const Filas esperadas = {{"Artículos", "3", "6.5"}, {"-", "", ""}, {"01-Maderas", "", "5"},
                             {"02-Herrajes", "", "1.5"}, {"", "", ""}};
    ASSERT_EQ(resumen_.Rows(), 6);
    for (int r = 1; r <= 5; ++r) EXPECT_EQ(Fila(r), esperadas[r - 1]) << r;
    for (int r = 2; r <= 4; ++r) EXPECT_EQ(resumen_.CellBackColorAt(r, 1), kNaranja) << r;
    EXPECT_EQ(resumen_.CellBackColorAt(5, 1), kAzul);
}

TEST_F(TotalesTest, BlankGroupsAreTotalledInTheFirstGroupRow) {
    solapas_.setTabVisible(0, false);
    solapas_.setTabVisible(2, false);
    articulos_.SetTextMatrix(2, kColAuxTipoArticulo, " P ");
    Totalizar(false, true);
    // Type breakdown: A1 and A3 have no type, A2 is of type P.
    EXPECT_EQ(Fila(2), (std::vector<std::string>{"-", "", "5"}));
    EXPECT_EQ(Fila(3), (std::vector<std::string>{"P-Propio", "", "1.5"}));
    EXPECT_EQ(resumen_.Rows(), 5);
}

TEST_F(TotalesTest, NoBreakdownWithoutTheSwitchesOrWithoutLines) {
    Sentencias();
    Totalizar();
    EXPECT_EQ(resumen_.Rows(), 5);
    EXPECT_TRUE(Sentencias().empty());
    Llena(articulos_, {""}, kColsArticulos);
    Totalizar(true);
    EXPECT_EQ(Fila(2), (std::vector<std::string>{"Artículos", "0", "0"}));
    EXPECT_EQ(resumen_.Rows(), 5);
}

TEST_F(TotalesTest, AFailureIsReportedUnderTheRoutinesName) {
    // Painting a row of a grid without columns fails on its first cell.
    articulos_.SetTextMatrix(1, kColAuxRubroArticulo, "01");
    operator_.AnswerMsgBox(ui::vbAbort);
    resumen_.SetCols(0);
    Totalizar();
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_NE(operator_.Shown()[0].title.find("TotalizadorControl"), std::string::npos);
}

TEST_F(TotalesTest, PaintingRowsAndColumns) {
    ui::FlexGrid g;
    g.SetRows(5);
    g.SetCols(4);
    g.SetRow(3);
    g.SetCol(2);
    Cmn().PintarFila(1, g, 255);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(g.CellBackColorAt(1, c), 255u);
    EXPECT_EQ(g.Col(), 2);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(g.CellBackColorAt(2, 0), 0u);

    g.SetRow(3);
    Cmn().PintarColuma(3, g, -1, -1, 65280);
    for (int r = 0; r < 5; ++r) EXPECT_EQ(g.CellBackColorAt(r, 3), 65280u) << r;
    EXPECT_EQ(g.Row(), 3);
    EXPECT_EQ(g.Col(), 3);

    Cmn().PintarColuma(0, g, 2, 3, 77);
    EXPECT_EQ(g.CellBackColorAt(1, 0), 255u);
    EXPECT_EQ(g.CellBackColorAt(2, 0), 77u);
    EXPECT_EQ(g.CellBackColorAt(3, 0), 77u);
    EXPECT_EQ(g.CellBackColorAt(4, 0), 0u);

    // Rows beyond the grid and a bad column are skipped without a message.
    Cmn().PintarColuma(1, g, 3, 9, 88);
    EXPECT_EQ(g.CellBackColorAt(4, 1), 88u);
    Cmn().PintarColuma(7, g, -1, -1, 99);
    for (int r = 0; r < 5; ++r) EXPECT_NE(g.CellBackColorAt(r, 1), 99u);
    EXPECT_EQ(g.Row(), 3);
    EXPECT_EQ(testsupport::ErrorNumberOf([&] { Cmn().PintarFila(9, g, 1); }), ui::kErrInvalidRow);
}

}  // namespace
}  // namespace entrygrids::testing
