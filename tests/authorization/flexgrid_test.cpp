// The flex grid model without a window, and its view offscreen.
#include "ui/flexgrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "pintadas.h"
#include "support.h"

#include "vb/error.h"

namespace {

using ui::FlexGrid;

using testsupport::ErrorNumberOf;

// The cell events a grid raised, in order: "L" leave, "E" enter.
struct Eventos {
    explicit Eventos(FlexGrid& g) {
        QObject::connect(&g, &FlexGrid::LeaveCell, [this] { lista += "L"; });
        QObject::connect(&g, &FlexGrid::EnterCell, [this] { lista += "E"; });
    }
    std::string Tomar() { return std::exchange(lista, {}); }
    std::string lista;
};

TEST(FlexGrid, MovingTheCurrentCellByCodeRaisesLeaveAndEnterAndResetsTheSelection) {
    FlexGrid g;
    g.SetRows(5);
    g.SetCols(4);
    Eventos eventos(g);
    g.SetRowSel(4);
    g.SetColSel(3);
    EXPECT_EQ(eventos.Tomar(), "");
    g.SetRow(2);
    EXPECT_EQ(eventos.Tomar(), "LE");
    EXPECT_EQ(g.RowSel(), 2);
    EXPECT_EQ(g.ColSel(), 1);
    g.SetRow(2);
    EXPECT_EQ(eventos.Tomar(), "");  // same cell
    g.SetCol(0);                     // a fixed column may be current
    g.SetRow(0);
    EXPECT_EQ(eventos.Tomar(), "LELE");
    g.MoveToCell(3, 2);
    EXPECT_EQ(eventos.Tomar(), "LE");
    EXPECT_EQ(ErrorNumberOf([&] { g.SetRow(5); }), ui::kErrInvalidRow);
    EXPECT_EQ(ErrorNumberOf([&] { g.SetCol(-1); }), ui::kErrInvalidCol);
    EXPECT_EQ(g.Row(), 3);
}

TEST(FlexGrid, ShrinkingDiscardsCellsAndTextArrayCountsRowByRow) {
    FlexGrid g;
    g.SetRows(4);
    g.SetCols(3);
    g.SetTextMatrix(3, 2, "x");
    g.SetTextMatrix(1, 1, "y");
    EXPECT_EQ(g.TextArray(1 * 3 + 1), "y");
    g.SetTextArray(3 * 3 + 2, "z");
    EXPECT_EQ(g.TextMatrix(3, 2), "z");
    g.MoveToCell(3, 2);
    g.SetRows(3);
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(ErrorNumberOf([&] { (void)g.TextMatrix(3, 2); }), ui::kErrSubscriptRange);
    g.SetRows(4);
    EXPECT_EQ(g.TextMatrix(3, 2), "");  // the row removed is gone
    EXPECT_EQ(g.TextMatrix(1, 1), "y");
    g.SetCols(1);
    g.SetCols(3);
    EXPECT_EQ(g.TextMatrix(1, 1), "");
}

TEST(FlexGrid, ColoursWidthsClearAndDataSource) {
    FlexGrid g;
    g.SetRows(3);
    g.SetCols(3);
    g.MoveToCell(1, 2);
    g.SetCellBackColor(ui::RGB(192, 232, 232));
    EXPECT_EQ(g.CellBackColor(), 0xE8E8C0u);
    EXPECT_EQ(g.CellBackColorAt(1, 1), 0u);  // default
    g.SetText("t");
    g.SetColWidth(2, 0);
    g.SetColWidth(1, 1500);
    EXPECT_EQ(ErrorNumberOf([&] { g.SetColWidth(1, -1); }), ui::kErrSubscriptRange);

    g.Clear();
    EXPECT_EQ(g.TextMatrix(1, 2), "");
    EXPECT_EQ(g.CellBackColor(), 0xE8E8C0u);
    EXPECT_EQ(g.Rows(), 3);

    Eventos eventos(g);
    g.SetDataSource({"A", "B", "C"}, {{"a1", "b1", "c1"}, {"a2", "b2", "c2"}});
    EXPECT_EQ(eventos.Tomar(), "");
    EXPECT_EQ(g.Rows(), 3);
    EXPECT_EQ(g.Cols(), 4);
    EXPECT_EQ(g.TextMatrix(0, 1), "A");
    EXPECT_EQ(g.TextMatrix(2, 3), "c2");
    EXPECT_EQ(g.TextMatrix(1, 0), "");
    EXPECT_EQ(g.ColWidth(1), 1500);  // widths of existing columns stay
    EXPECT_EQ(g.ColWidth(2), 0);
    EXPECT_EQ(g.ColWidth(3), FlexGrid::kDefaultColWidth);
    EXPECT_EQ(g.CellBackColorAt(1, 2), 0u);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(g.Col(), 1);
}

// A result of the shape the grid has (the next page of a list) tells its
// views of the cells that changed only: texts, and colours put back.
TEST(FlexGrid, AResultOfTheSameShapeReportsOnlyTheCellsThatChanged) {
    FlexGrid g;
    g.SetDataSource({"A", "B"}, {{"a1", "b1"}, {"a2", "b2"}});
    g.SetTextMatrix(1, 0, "1");
    g.MoveToCell(2, 1);
    g.SetCellBackColor(ui::RGB(192, 232, 232));
    int disposiciones = 0;
    std::vector<std::pair<int, int>> celdas;
    QObject::connect(&g, &FlexGrid::LayoutChanged, [&] { ++disposiciones; });
    QObject::connect(&g, &FlexGrid::CellChanged, [&](int r, int c) { celdas.emplace_back(r, c); });
    g.SetDataSource({"A", "B"}, {{"a1", "b9"}, {"a2", "b2"}});
    EXPECT_EQ(disposiciones, 0);
    EXPECT_EQ(celdas, (std::vector<std::pair<int, int>>{{1, 0}, {1, 2}, {2, 1}}));
    EXPECT_EQ(g.TextMatrix(1, 2), "b9");
    EXPECT_EQ(g.CellBackColorAt(2, 1), 0u);

    celdas.clear();
    g.SetDataSource({"A", "B"}, {{"a1", "b1"}});  // another shape: laid out anew
    EXPECT_EQ(disposiciones, 1);
    EXPECT_TRUE(celdas.empty());
    EXPECT_EQ(g.Rows(), 2);

    // A width or alignment set to what it is changes nothing.
    int columnas = 0;
    QObject::connect(&g, &FlexGrid::ColumnChanged, [&] { ++columnas; });
    g.SetColWidth(1, g.ColWidth(1));
    g.SetColAlignment(1, g.ColAlignment(1));
    EXPECT_EQ(columnas, 0);
    g.SetColWidth(1, g.ColWidth(1) + 15);
    EXPECT_EQ(columnas, 1);
}

TEST(FlexGrid, KeyCodesOfQtKeys) {
    const std::pair<int, int> casos[] = {
        {Qt::Key_Return, 13}, {Qt::Key_Enter, 13}, {Qt::Key_Escape, 27}, {Qt::Key_PageUp, 33},
        {Qt::Key_PageDown, 34}, {Qt::Key_Up, 38}, {Qt::Key_Down, 40}, {Qt::Key_F1, 112},
        {Qt::Key_F3, 114}, {Qt::Key_A, 65}, {Qt::Key_7, 55}, {Qt::Key_Backspace, 8}, {Qt::Key_VolumeUp, 0},
    };
    for (const auto& [qt, vb] : casos) EXPECT_EQ(ui::VbKeyCode(qt), vb) << qt;
    EXPECT_EQ(ui::VbShift(Qt::ShiftModifier | Qt::ControlModifier), ui::kShiftMask | ui::kCtrlMask);
}

// ---- The view --------------------------------------------------------------------------------

class FlexGridViewTest : public ::testing::Test {
protected:
    FlexGridViewTest() : vista_(grid_) {
        grid_.SetRows(6);
        grid_.SetCols(4);
        for (int c = 1; c < 4; ++c) grid_.SetTextMatrix(0, c, "T" + std::to_string(c));
        for (int r = 1; r < 6; ++r) grid_.SetTextMatrix(r, 0, std::to_string(r));
        grid_.SetColWidth(3, 0);
        vista_.resize(400, 300);
        vista_.show();
    }

    void Tecla(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& texto = {}) {
        QKeyEvent evento(QEvent::KeyPress, key, mods, texto);
        QApplication::sendEvent(&vista_, &evento);
    }
    void Clic(int row, int col, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        const QPoint punto = vista_.visualRect(vista_.model()->index(row - 1, col - 1)).center();
        QMouseEvent press(QEvent::MouseButtonPress, punto, vista_.viewport()->mapToGlobal(punto), Qt::LeftButton,
                          Qt::LeftButton, mods);
        QMouseEvent release(QEvent::MouseButtonRelease, punto, vista_.viewport()->mapToGlobal(punto), Qt::LeftButton,
                            Qt::NoButton, mods);
        QApplication::sendEvent(vista_.viewport(), &press);
        QApplication::sendEvent(vista_.viewport(), &release);
    }

    FlexGrid grid_;
    ui::FlexGridView vista_;
};

TEST_F(FlexGridViewTest, ShowsTitlesAndHidesColumnsOfWidthZero) {
    EXPECT_EQ(vista_.model()->headerData(0, Qt::Horizontal).toString(), "T1");
    EXPECT_EQ(vista_.model()->headerData(2, Qt::Vertical).toString(), "3");
    EXPECT_TRUE(vista_.isColumnHidden(2));
    EXPECT_FALSE(vista_.isColumnHidden(1));
    grid_.SetColWidth(3, 900);
    EXPECT_FALSE(vista_.isColumnHidden(2));
    EXPECT_EQ(vista_.columnWidth(2), 60);
}

// A figure (number, date, code) shows whole or as "#" marks, never cut into
// another value: in a column too narrow for it and at the edge of the view.
// Text with letters never shows marks.
TEST_F(FlexGridViewTest, AFigureShowsWholeOrAsMarksNeverCut) {
    const std::vector<std::string> textos = {"9419", "08/02/2024", "0001-00001201", "7", "Ferreter\xC3\xAD" "a 12"};
    grid_.SetRows(static_cast<int>(textos.size()) + 1);
    grid_.SetColWidth(3, 2400);
    for (int r = 1; r <= static_cast<int>(textos.size()); ++r) {
        for (int c = 1; c < 4; ++c) grid_.SetTextMatrix(r, c, textos[static_cast<std::size_t>(r - 1)]);
    }
    auto entero = [](const QString& texto, const QString& visto) {
        return visto == texto || (!visto.isEmpty() && visto.count(QLatin1Char('#')) == visto.size()) || visto.isEmpty();
    };
    bool marcas = false;
    bool enteros = false;
    for (const int ancho : {150, 300, 600, 1200, 2400}) {
        grid_.SetColWidth(1, ancho);
        for (const int vista : {60, 120, 200, 400}) {
            vista_.resize(vista, 300);
            QApplication::processEvents();
            for (int r = 1; r <= static_cast<int>(textos.size()); ++r) {
                for (int c = 1; c < 4; ++c) {
                    const QString texto = QString::fromUtf8(grid_.TextMatrix(r, c).c_str());
                    const QString visto = vista_.ShownText(r, c);
                    if (r == static_cast<int>(textos.size())) {
                        // letters: never marks; whole, or cut with "…"
                        EXPECT_TRUE(visto == texto || visto.endsWith(QChar(0x2026))) << visto.toStdString();
                        EXPECT_FALSE(visto.contains(QLatin1Char('#')));
                        continue;
                    }
                    EXPECT_TRUE(entero(texto, visto)) << ancho << " " << vista << " " << r << "," << c << ": "
                                                      << visto.toStdString();
                    marcas = marcas || (visto != texto && !visto.isEmpty());
                    enteros = enteros || (visto == texto && r == 1);
                }
            }
        }
    }
    EXPECT_TRUE(marcas);
    EXPECT_TRUE(enteros);

    // A narrow column shows marks; widened, the number.
    vista_.resize(400, 300);
    grid_.SetColWidth(1, 300);
    QApplication::processEvents();
    EXPECT_EQ(vista_.ShownText(1, 1).toStdString().find_first_not_of('#'), std::string::npos);
    EXPECT_EQ(vista_.ShownText(4, 1), "7");
    // What the view draws is what ShownText says: the number's cell looks
    // as a cell holding those marks as its text.
    grid_.SetColAlignment(1, ui::flexAlignRightCenter);  // the marks' text is no number
    grid_.SetTextMatrix(2, 1, "9419");
    grid_.SetTextMatrix(3, 1, vista_.ShownText(2, 1).toStdString());
    QApplication::processEvents();
    auto dibujo = [&](int fila) {
        return vista_.viewport()->grab(vista_.visualRect(vista_.model()->index(fila - 1, 0))).toImage();
    };
    EXPECT_EQ(dibujo(2), dibujo(3));
    grid_.SetTextMatrix(3, 1, "94");
    QApplication::processEvents();
    EXPECT_NE(dibujo(2), dibujo(3));
    grid_.SetColWidth(1, 3000);
    QApplication::processEvents();
    EXPECT_EQ(vista_.ShownText(1, 1), "9419");

    // Cut by the right edge of the view: marks; scrolled into view: the number.
    const int derecha = vista_.columnViewportPosition(2);
    vista_.resize(vista_.width() - vista_.viewport()->width() + derecha + 10, 300);
    QApplication::processEvents();
    ASSERT_LT(vista_.viewport()->width(), derecha + vista_.columnWidth(2));
    EXPECT_NE(vista_.ShownText(3, 3), "0001-00001201");
    vista_.horizontalScrollBar()->setValue(vista_.horizontalScrollBar()->maximum());
    QApplication::processEvents();
    EXPECT_EQ(vista_.ShownText(3, 3), "0001-00001201");
}

// A figure whose cell the view cuts at its left edge is drawn in the part in
// view, whole when it fits there: as a cell of that width would draw it.
TEST_F(FlexGridViewTest, AFigureCutByTheLeftEdgeIsDrawnWholeInThePartInView) {
    vista_.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    grid_.SetColWidth(1, 3000);  // 200 pixels
    grid_.SetColWidth(2, 1500);  // 100 pixels
    for (const int c : {1, 2}) {
        grid_.SetColAlignment(c, ui::flexAlignLeftCenter);
        grid_.SetTextMatrix(2, c, "08/02/2024");
    }
    vista_.resize(500, 300);
    QApplication::processEvents();
    vista_.resize(vista_.width() - vista_.viewport()->width() + 200, 300);  // 200 pixels in view
    QApplication::processEvents();
    vista_.horizontalScrollBar()->setValue(100);
    QApplication::processEvents();
    const QRect cortada = vista_.visualRect(vista_.model()->index(1, 0)).intersected(vista_.viewport()->rect());
    const QRect entera = vista_.visualRect(vista_.model()->index(1, 1));
    ASSERT_EQ(cortada.width(), entera.width());
    ASSERT_TRUE(vista_.viewport()->rect().contains(entera));
    EXPECT_EQ(vista_.ShownText(2, 1), "08/02/2024");
    EXPECT_EQ(vista_.viewport()->grab(cortada).toImage(), vista_.viewport()->grab(entera).toImage());
}

// Text too long for its cell is cut with "…", as a cell holding the cut text
// is drawn, and has its whole text as its tip; so has a figure shown as marks.
// A cell that shows its whole text has no tip.
TEST_F(FlexGridViewTest, TextTooLongIsCutWithAnEllipsisAndWholeInItsTip) {
    const std::string largo = "Distribuidora de Art\xC3\xAD" "culos de Ferreter\xC3\xAD" "a del Litoral Sociedad An\xC3\xB3nima";
    grid_.SetColAlignment(1, ui::flexAlignLeftCenter);
    grid_.SetColWidth(1, 1500);  // 100 pixels
    grid_.SetTextMatrix(2, 1, largo);
    grid_.SetTextMatrix(3, 1, "Ana");
    grid_.SetTextMatrix(4, 1, "123456789012345678");
    QApplication::processEvents();
    QAbstractItemModel& modelo = *vista_.model();
    auto tip = [&](int fila) { return modelo.data(modelo.index(fila - 1, 0), Qt::ToolTipRole); };

    const QString visto = vista_.ShownText(2, 1);
    ASSERT_TRUE(visto.endsWith(QChar(0x2026))) << visto.toStdString();
    EXPECT_TRUE(QString::fromStdString(largo).startsWith(visto.chopped(1)));
    EXPECT_EQ(tip(2).toString().toStdString(), largo);
    EXPECT_EQ(vista_.ShownText(3, 1), "Ana");
    EXPECT_FALSE(tip(3).isValid());
    EXPECT_EQ(vista_.ShownText(4, 1).count(QLatin1Char('#')), vista_.ShownText(4, 1).size());
    EXPECT_EQ(tip(4).toString(), "123456789012345678");

    grid_.SetTextMatrix(5, 1, visto.toStdString());
    QApplication::processEvents();
    auto dibujo = [&](int fila) {
        return vista_.viewport()->grab(vista_.visualRect(modelo.index(fila - 1, 0))).toImage();
    };
    EXPECT_EQ(dibujo(2), dibujo(5));

    // Wide enough, the text shows whole (also where the view cuts the
    // cell) and needs no tip.
    grid_.SetColWidth(1, 12000);
    QApplication::processEvents();
    EXPECT_EQ(vista_.ShownText(2, 1).toStdString(), largo);
    EXPECT_FALSE(tip(2).isValid());
}

// A new title, of a column or of a row, is drawn again where it stands.
TEST_F(FlexGridViewTest, ANewTitleIsDrawnAgain) {
    QApplication::processEvents();
    QHeaderView& columnas = *vista_.horizontalHeader();
    QHeaderView& filas = *vista_.verticalHeader();
    testsupport::Pintadas enColumnas(*columnas.viewport());
    testsupport::Pintadas enFilas(*filas.viewport());
    grid_.SetTextMatrix(0, 2, "Otro");
    grid_.SetTextMatrix(3, 0, "99");
    QApplication::processEvents();
    EXPECT_EQ(columnas.model()->headerData(1, Qt::Horizontal).toString(), "Otro");
    EXPECT_TRUE(enColumnas.region.contains(QPoint(columnas.sectionViewportPosition(1) + 1, 1)));
    EXPECT_TRUE(enFilas.region.contains(QPoint(1, filas.sectionViewportPosition(2) + 1)));
}

// A column the user resizes keeps the width in the grid and is named; widths
// the grid sets are not the user's.
TEST_F(FlexGridViewTest, AColumnTheUserResizesTakesItsWidthInTheGrid) {
    std::vector<int> columnas;
    QObject::connect(&vista_, &ui::FlexGridView::ColumnResizedByUser, [&](int c) { columnas.push_back(c); });
    grid_.SetColWidth(2, 1500);
    grid_.SetDataSource({"A", "B", "C"}, {{"a", "b", "c"}});
    EXPECT_TRUE(columnas.empty());
    vista_.horizontalHeader()->resizeSection(1, 150);  // as a drag of its edge does
    EXPECT_EQ(columnas, std::vector<int>{2});
    EXPECT_EQ(grid_.ColWidth(2), 150 * ui::kTwipsPerPixel);
    EXPECT_EQ(vista_.columnWidth(1), 150);
}

TEST_F(FlexGridViewTest, ClicksAndShiftSelectARowRange) {
    int clics = 0;
    QObject::connect(&grid_, &FlexGrid::Click, [&] { ++clics; });
    Clic(4, 2);
    EXPECT_EQ(grid_.Row(), 4);
    EXPECT_EQ(grid_.Col(), 2);
    EXPECT_EQ(clics, 1);
    Clic(2, 1, Qt::ShiftModifier);
    EXPECT_EQ(grid_.Row(), 4);  // the anchor stays
    EXPECT_EQ(grid_.RowSel(), 2);
    EXPECT_EQ(grid_.ColSel(), 1);
    Tecla(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(grid_.RowSel(), 1);
    EXPECT_EQ(grid_.Row(), 4);
    EXPECT_TRUE(vista_.selectionModel()->isSelected(vista_.model()->index(2, 0)));
    Tecla(Qt::Key_Down);
    EXPECT_EQ(grid_.Row(), 5);
    EXPECT_EQ(grid_.RowSel(), 5);
}

// Fixed columns after the row titles show, look fixed and are never current.
TEST_F(FlexGridViewTest, ASecondFixedColumnShowsButIsNeverCurrent) {
    for (int r = 1; r < 6; ++r) grid_.SetTextMatrix(r, 1, "F" + std::to_string(r));
    grid_.SetFixedCols(2);
    grid_.MoveToCell(1, 2);
    QAbstractItemModel& modelo = *vista_.model();
    ASSERT_EQ(modelo.columnCount(), 3);
    EXPECT_EQ(modelo.headerData(0, Qt::Horizontal).toString(), "T1");
    EXPECT_EQ(modelo.data(modelo.index(2, 0)).toString(), "F3");
    EXPECT_FALSE(modelo.flags(modelo.index(2, 0)) & Qt::ItemIsSelectable);
    EXPECT_TRUE(modelo.flags(modelo.index(2, 1)) & Qt::ItemIsSelectable);

    Clic(3, 1);  // a press on the fixed cell reaches the row's first free cell
    EXPECT_EQ(grid_.Row(), 3);
    EXPECT_EQ(grid_.Col(), 2);
    for (const int tecla : {Qt::Key_Left, Qt::Key_Home}) {
        Tecla(tecla);
        EXPECT_EQ(grid_.Col(), 2);
    }
    emit vista_.horizontalHeader()->sectionPressed(0);  // its title chooses nothing
    EXPECT_EQ(grid_.Col(), 2);
    EXPECT_EQ(grid_.ColSel(), 2);

    emit vista_.verticalHeader()->sectionPressed(3);  // a row title chooses the free cells
    EXPECT_EQ(grid_.Row(), 4);
    EXPECT_EQ(grid_.Col(), 2);
    EXPECT_FALSE(vista_.selectionModel()->isSelected(modelo.index(3, 0)));
    EXPECT_TRUE(vista_.selectionModel()->isSelected(modelo.index(3, 1)));
    EXPECT_EQ(vista_.selectionModel()->currentIndex(), modelo.index(3, 1));
}

TEST_F(FlexGridViewTest, KeysReachTheHostAsKeyCodesBeforeTheViewMoves) {
    grid_.MoveToCell(1, 1);
    std::vector<int> codigos;
    std::vector<int> caracteres;
    QObject::connect(&grid_, &FlexGrid::KeyDown, [&](int& code, int&) { codigos.push_back(code); });
    QObject::connect(&grid_, &FlexGrid::KeyPress, [&](int& ascii) { caracteres.push_back(ascii); });
    Tecla(Qt::Key_F1);
    Tecla(Qt::Key_Return, Qt::NoModifier, "\r");
    Tecla(Qt::Key_A, Qt::NoModifier, "a");
    Tecla(Qt::Key_Down);
    EXPECT_EQ(codigos, (std::vector<int>{112, 13, 65, 40}));
    EXPECT_EQ(caracteres, (std::vector<int>{13, 97}));
    EXPECT_EQ(grid_.Row(), 2);
    // Right skips the hidden column and stops at the last visible one.
    Tecla(Qt::Key_Right);
    Tecla(Qt::Key_Right);
    EXPECT_EQ(grid_.Col(), 2);

    // A host that clears the key code keeps the view from moving.
    QObject::connect(&grid_, &FlexGrid::KeyDown, [](int& code, int&) { code = 0; });
    Tecla(Qt::Key_Down);
    EXPECT_EQ(grid_.Row(), 2);
}

}  // namespace
