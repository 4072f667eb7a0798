// The flex grid: a table of texts with fixed (title) rows and columns, a
// current cell and a selected range, and the events a host form handles.
//
// FlexGrid is the model and needs no window: code sets and reads it exactly as
// the forms do, and moving the current cell by code raises LeaveCell and
// EnterCell. FlexGridView shows it in a window and turns the user's mouse and
// keys into the same moves and events (keys as the runtime's key codes).
// User-interface thread only. Sizes are in twips (15 twips a pixel); colours
// are 0x00BBGGRR, 0 meaning "the default colour".
#pragma once

#include <QTableView>

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

inline constexpr int kTwipsPerPixel = 15;

constexpr std::uint32_t RGB(int r, int g, int b) {
    return static_cast<std::uint32_t>(r & 0xFF) | (static_cast<std::uint32_t>(g & 0xFF) << 8) |
           (static_cast<std::uint32_t>(b & 0xFF) << 16);
}

// Key codes the grid reports in KeyDown (the runtime's vbKey constants).
namespace vk {
inline constexpr int Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Menu = 18,
                     Escape = 27, Space = 32, PageUp = 33, PageDown = 34, End = 35, Home = 36,
                     Left = 37, Up = 38, Right = 39, Down = 40, Insert = 45, Delete = 46, F1 = 112;
}
// Shift argument bits.
inline constexpr int kShiftMask = 1, kCtrlMask = 2, kAltMask = 4;

// The key code of a Qt key (letters as upper case, digits as themselves, F1..F24
// from 112); 0 when the key has none.
int VbKeyCode(int qtKey);
// The Shift argument of the Qt modifiers.
int VbShift(Qt::KeyboardModifiers modifiers);

// Column alignments (ColAlignment).
enum FlexAlignment : int {
    flexAlignLeftTop = 0,
    flexAlignLeftCenter = 1,
    flexAlignLeftBottom = 2,
    flexAlignCenterTop = 3,
    flexAlignCenterCenter = 4,
    flexAlignCenterBottom = 5,
    flexAlignRightTop = 6,
    flexAlignRightCenter = 7,
    flexAlignRightBottom = 8,
    flexAlignGeneral = 9,  // text on the left, numbers on the right
};

// Errors the grid raises for values out of range.
inline constexpr long kErrInvalidRow = 30009;
inline constexpr long kErrInvalidCol = 30010;
inline constexpr long kErrSubscriptRange = 381;

class FlexGrid : public QObject {
    Q_OBJECT

public:
    static constexpr long kDefaultColWidth = 960;  // twips

    explicit FlexGrid(QObject* parent = nullptr);

    int Rows() const { return rows_; }
    int Cols() const { return cols_; }
    int FixedRows() const { return fixedRows_; }
    int FixedCols() const { return fixedCols_; }
    // Shrinking discards the rows or columns removed; growing adds empty ones.
    void SetRows(int rows);
    void SetCols(int cols);
    void SetFixedRows(int fixedRows);  // raises kErrInvalidRow beyond Rows
    void SetFixedCols(int fixedCols);  // raises kErrInvalidCol beyond Cols

    // The current cell. Setting Row or Col (also to a fixed row or column)
    // raises LeaveCell and EnterCell when the cell changes, and makes the
    // current cell the whole selection (RowSel = Row, ColSel = Col).
    int Row() const { return row_; }
    int Col() const { return col_; }
    void SetRow(int row);
    void SetCol(int col);
    // The other corner of the selected range.
    int RowSel() const { return rowSel_; }
    int ColSel() const { return colSel_; }
    void SetRowSel(int row);
    void SetColSel(int col);
    // Moves the current cell to (row, col) at once, as a click does: one
    // LeaveCell and one EnterCell when the cell changes.
    void MoveToCell(int row, int col);

    const std::string& TextMatrix(int row, int col) const;
    void SetTextMatrix(int row, int col, std::string text);
    // The cells numbered row by row (index = row * Cols + col).
    const std::string& TextArray(int index) const;
    void SetTextArray(int index, std::string text);
    // The current cell's text.
    const std::string& Text() const { return TextMatrix(row_, col_); }
    void SetText(std::string text) { SetTextMatrix(row_, col_, std::move(text)); }

    long ColWidth(int col) const;
    void SetColWidth(int col, long twips);  // 0 hides the column
    int ColAlignment(int col) const;
    void SetColAlignment(int col, int alignment);

    // The back colour of the current cell (0: default).
    std::uint32_t CellBackColor() const { return CellBackColorAt(row_, col_); }
    void SetCellBackColor(std::uint32_t color);
    std::uint32_t CellBackColorAt(int row, int col) const;
    // The text colour of the current cell (0: default).
    std::uint32_t CellForeColor() const { return CellForeColorAt(row_, col_); }
    void SetCellForeColor(std::uint32_t color);
    std::uint32_t CellForeColorAt(int row, int col) const;

    // Empties every text; sizes, widths and colours stay.
    void Clear();

    // Shows a result: the last fixed row gets the field names, one row per
    // record follows, the fixed columns stay (empty). Widths of existing
    // columns are kept, cell colours are reset, the current cell goes to the
    // first data cell without raising cell events. When the shape (rows and
    // columns) stays, views hear of the cells that changed only.
    void SetDataSource(const std::vector<std::string>& fieldNames,
                       std::vector<std::vector<std::string>> records);

signals:
    // ---- Events of the grid, for the host ----
    void EnterCell();
    void LeaveCell();
    void Click();
    void DblClick();
    void GotFocus();
    void LostFocus();
    // The host may change the arguments; the view acts on what it leaves
    // (a KeyCode of 0 is not handled).
    void KeyDown(int& KeyCode, int& Shift);
    void KeyPress(int& KeyAscii);
    void MouseDown(int& Button, int& Shift, float& x, float& y);

    // ---- Notifications for views ----
    void LayoutChanged();  // sizes, fixed rows or columns, or every cell (Clear)
    void CellChanged(int row, int col);
    void ColumnChanged(int col);  // width or alignment
    void SelectionChanged();      // Row, Col, RowSel or ColSel

private:
    std::size_t Index(int row, int col) const;
    void CheckCell(int row, int col) const;
    void Resize(int rows, int cols);
    void MoveCurrent(int row, int col);

    int rows_ = 2;
    int cols_ = 2;
    int fixedRows_ = 1;
    int fixedCols_ = 1;
    int row_ = 1;
    int col_ = 1;
    int rowSel_ = 1;
    int colSel_ = 1;
    std::vector<std::string> texts_;
    std::vector<std::uint32_t> backColors_;
    std::vector<std::uint32_t> foreColors_;
    std::vector<long> colWidths_;
    std::vector<int> colAlignments_;
};

// A number, a date or a code: digits, with no letter among them. Cut, such a
// text would read as another value.
bool IsFigure(const QString& text);

// A window over a FlexGrid. The last fixed row is shown as the column titles
// and the first fixed column as the row titles; columns of width 0 are
// hidden. A click makes a cell current, a drag or a Shift+click or
// Shift+arrow extends the selection (RowSel, ColSel); a click on a column
// title selects the column, on a row title the row. Keys are reported as
// KeyDown (key code) and KeyPress (character) before the view moves. A
// figure (a number, date or code: digits and no letter) that does not fit in
// the part of its cell in view shows "#" marks instead of a cut value; other
// text too long for its cell is cut with "…". A cell that shows less than its
// text has it whole as its tool tip. A column the user resizes takes its new
// width in the grid (ColumnResizedByUser follows). The grid must outlive its
// view.
class FlexGridView : public QTableView {
    Q_OBJECT

public:
    explicit FlexGridView(FlexGrid& grid, QWidget* parent = nullptr);
    ~FlexGridView() override;

    FlexGrid& Grid() { return grid_; }
    // The table's index of a grid cell; invalid for the fixed rows, for
    // column 0 of a grid with fixed columns, and outside the grid.
    QModelIndex IndexOf(int row, int col) const;
    // The text a data cell shows now: the grid's, "#" marks for a figure
    // that does not fit in the part of the cell in view, or other text cut
    // with "…" to the cell's width.
    QString ShownText(int row, int col) const;

signals:
    // The user resized grid column `col`; the grid holds its new width.
    void ColumnResizedByUser(int col);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    class Model;
    class Delegate;
    void ApplyColumn(int col);
    void ApplyLayout();
    void ApplySelection();
    void RefreshLater();
    // The grid cell under a point of the viewport, or {-1, -1}.
    std::pair<int, int> CellAt(const QPoint& pos) const;
    // Moves the current cell, or with `extend` the selection's other corner.
    void MoveTo(int row, int col, bool extend);
    bool Navigate(int keyCode, int shift);
    void RaiseMouseDown(QMouseEvent* event);

    FlexGrid& grid_;
    Model* model_;
    Delegate* delegate_;
    bool dragging_ = false;
    bool suppressClick_ = false;
    bool refreshPending_ = false;
    bool layingOut_ = false;
};

}  // namespace ui
