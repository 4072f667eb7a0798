// The flex grid model and the key codes.
#include "ui/flexgrid.h"

#include <algorithm>
#include <utility>

#include "vb/error.h"

namespace ui {

int VbKeyCode(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return vk::F1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace: return vk::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return vk::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vk::Return;
    case Qt::Key_Shift: return vk::Shift;
    case Qt::Key_Control: return vk::Control;
    case Qt::Key_Alt: return vk::Menu;
    case Qt::Key_Escape: return vk::Escape;
    case Qt::Key_Space: return vk::Space;
    case Qt::Key_PageUp: return vk::PageUp;
    case Qt::Key_PageDown: return vk::PageDown;
    case Qt::Key_End: return vk::End;
    case Qt::Key_Home: return vk::Home;
    case Qt::Key_Left: return vk::Left;
    case Qt::Key_Up: return vk::Up;
    case Qt::Key_Right: return vk::Right;
    case Qt::Key_Down: return vk::Down;
    case Qt::Key_Insert: return vk::Insert;
    case Qt::Key_Delete: return vk::Delete;
    default: return 0;
    }
}

int VbShift(Qt::KeyboardModifiers modifiers) {
    int shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= kShiftMask;
    if (modifiers & Qt::ControlModifier) shift |= kCtrlMask;
    if (modifiers & Qt::AltModifier) shift |= kAltMask;
    return shift;
}

FlexGrid::FlexGrid(QObject* parent) : QObject(parent) { Resize(rows_, cols_); }

std::size_t FlexGrid::Index(int row, int col) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) + static_cast<std::size_t>(col);
}

void FlexGrid::CheckCell(int row, int col) const {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_) {
        throw vb::Error(kErrSubscriptRange, "Subscript out of range");
    }
}

// Keeps every cell that still exists at its place.
void FlexGrid::Resize(int rows, int cols) {
    std::vector<std::string> texts(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
    std::vector<std::uint32_t> colors(texts.size(), 0);
    std::vector<std::uint32_t> foreColors(texts.size(), 0);
    const int keepRows = std::min(rows, rows_);
    const int keepCols = std::min(cols, cols_);
    if (!texts_.empty()) {
        for (int r = 0; r < keepRows; ++r) {
            for (int c = 0; c < keepCols; ++c) {
                const std::size_t to = static_cast<std::size_t>(r) * static_cast<std::size_t>(cols) + c;
                texts[to] = std::move(texts_[Index(r, c)]);
                colors[to] = backColors_[Index(r, c)];
                foreColors[to] = foreColors_[Index(r, c)];
            }
        }
    }
    texts_ = std::move(texts);
    backColors_ = std::move(colors);
    foreColors_ = std::move(foreColors);
    rows_ = rows;
    cols_ = cols;
    colWidths_.resize(static_cast<std::size_t>(cols), kDefaultColWidth);
    colAlignments_.resize(static_cast<std::size_t>(cols), flexAlignGeneral);
    fixedRows_ = std::min(fixedRows_, rows_);
    fixedCols_ = std::min(fixedCols_, cols_);
    auto clamp = [](int v, int count) { return std::clamp(v, 0, std::max(count - 1, 0)); };
    row_ = clamp(row_, rows_);
    rowSel_ = clamp(rowSel_, rows_);
    col_ = clamp(col_, cols_);
    colSel_ = clamp(colSel_, cols_);
}

void FlexGrid::SetRows(int rows) {
    if (rows < 0) throw vb::Error(kErrInvalidRow, "Invalid Row value");
    if (rows == rows_) return;
    Resize(rows, cols_);
    emit LayoutChanged();
}

void FlexGrid::SetCols(int cols) {
    if (cols < 0) throw vb::Error(kErrInvalidCol, "Invalid Col value");
    if (cols == cols_) return;
    Resize(rows_, cols);
    emit LayoutChanged();
}

void FlexGrid::SetFixedRows(int fixedRows) {
    if (fixedRows < 0 || fixedRows > rows_) throw vb::Error(kErrInvalidRow, "Invalid Row value");
    fixedRows_ = fixedRows;
    emit LayoutChanged();
}

void FlexGrid::SetFixedCols(int fixedCols) {
    if (fixedCols < 0 || fixedCols > cols_) throw vb::Error(kErrInvalidCol, "Invalid Col value");
    fixedCols_ = fixedCols;
    emit LayoutChanged();
}

void FlexGrid::MoveCurrent(int row, int col) {
    const bool moved = row != row_ || col != col_;
    if (moved) emit LeaveCell();
    row_ = row;
    col_ = col;
    rowSel_ = row;
    colSel_ = col;
    emit SelectionChanged();
    if (moved) emit EnterCell();
}

void FlexGrid::SetRow(int row) {
    if (row < 0 || row >= rows_) throw vb::Error(kErrInvalidRow, "Invalid Row value");
    MoveCurrent(row, col_);
}

void FlexGrid::SetCol(int col) {
    if (col < 0 || col >= cols_) throw vb::Error(kErrInvalidCol, "Invalid Col value");
    MoveCurrent(row_, col);
}

void FlexGrid::MoveToCell(int row, int col) {
    if (row < 0 || row >= rows_) throw vb::Error(kErrInvalidRow, "Invalid Row value");
    if (col < 0 || col >= cols_) throw vb::Error(kErrInvalidCol, "Invalid Col value");
    MoveCurrent(row, col);
}

void FlexGrid::SetRowSel(int row) {
    if (row < 0 || row >= rows_) throw vb::Error(kErrInvalidRow, "Invalid Row value");
    rowSel_ = row;
    emit SelectionChanged();
}

void FlexGrid::SetColSel(int col) {
    if (col < 0 || col >= cols_) throw vb::Error(kErrInvalidCol, "Invalid Col value");
    colSel_ = col;
    emit SelectionChanged();
}

const std::string& FlexGrid::TextMatrix(int row, int col) const {
    CheckCell(row, col);
    return texts_[Index(row, col)];
}

void FlexGrid::SetTextMatrix(int row, int col, std::string text) {
    CheckCell(row, col);
    std::string& cell = texts_[Index(row, col)];
    if (cell == text) return;
    cell = std::move(text);
    emit CellChanged(row, col);
}

const std::string& FlexGrid::TextArray(int index) const {
    if (cols_ == 0 || index < 0) throw vb::Error(kErrSubscriptRange, "Subscript out of range");
    return TextMatrix(index / cols_, index % cols_);
}

void FlexGrid::SetTextArray(int index, std::string text) {
    if (cols_ == 0 || index < 0) throw vb::Error(kErrSubscriptRange, "Subscript out of range");
    SetTextMatrix(index / cols_, index % cols_, std::move(text));
}

long FlexGrid::ColWidth(int col) const {
    if (col < 0 || col >= cols_) throw vb::Error(kErrSubscriptRange, "Subscript out of range");
    return colWidths_[static_cast<std::size_t>(col)];
}

void FlexGrid::SetColWidth(int col, long twips) {
    if (col < 0 || col >= cols_ || twips < 0) throw vb::Error(kErrSubscriptRange, "Subscript out of range");
    long& width = colWidths_[static_cast<std::size_t>(col)];
    if (width == twips) return;
    width = twips;
    emit ColumnChanged(col);
}

int FlexGrid::ColAlignment(int col) const {
    if (col < 0 || col >= cols_) throw vb::Error(kErrSubscriptRange, "Subscript out of range");
    return colAlignments_[static_cast<std::size_t>(col)];
}

void FlexGrid::SetColAlignment(int col, int alignment) {
    if (col < 0 || col >= cols_ || alignment < flexAlignLeftTop || alignment > flexAlignGeneral) {
        throw vb::Error(kErrSubscriptRange, "Subscript out of range");
    }
    int& current = colAlignments_[static_cast<std::size_t>(col)];
    if (current == alignment) return;
    current = alignment;
    emit ColumnChanged(col);
}

void FlexGrid::SetCellBackColor(std::uint32_t color) {
    CheckCell(row_, col_);
    backColors_[Index(row_, col_)] = color & 0x00FFFFFFu;
    emit CellChanged(row_, col_);
}

std::uint32_t FlexGrid::CellBackColorAt(int row, int col) const {
    CheckCell(row, col);
    return backColors_[Index(row, col)];
}

void FlexGrid::SetCellForeColor(std::uint32_t color) {
    CheckCell(row_, col_);
    foreColors_[Index(row_, col_)] = color & 0x00FFFFFFu;
    emit CellChanged(row_, col_);
}

std::uint32_t FlexGrid::CellForeColorAt(int row, int col) const {
    CheckCell(row, col);
    return foreColors_[Index(row, col)];
}

void FlexGrid::Clear() {
    for (std::string& text : texts_) text.clear();
    emit LayoutChanged();
}

void FlexGrid::SetDataSource(const std::vector<std::string>& fieldNames,
                             std::vector<std::vector<std::string>> records) {
    const int cols = fixedCols_ + static_cast<int>(fieldNames.size());
    const int rows = fixedRows_ + static_cast<int>(records.size());
    const std::size_t cells = static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols);
    // A result of the same shape as the one shown (the next page of a list)
    // changes only the cells that differ; another shape lays the grid out anew.
    const bool sameShape = rows == rows_ && cols == cols_;
    std::vector<std::string> texts(cells);
    std::swap(texts, texts_);
    std::vector<std::uint32_t> backColors(cells, 0);
    std::swap(backColors, backColors_);
    std::vector<std::uint32_t> foreColors(cells, 0);
    std::swap(foreColors, foreColors_);
    rows_ = rows;
    cols_ = cols;
    colWidths_.resize(static_cast<std::size_t>(cols), kDefaultColWidth);
    colAlignments_.resize(static_cast<std::size_t>(cols), flexAlignGeneral);
    if (fixedRows_ > 0) {
        for (std::size_t f = 0; f < fieldNames.size(); ++f) {
            texts_[Index(fixedRows_ - 1, fixedCols_ + static_cast<int>(f))] = fieldNames[f];
        }
    }
    for (std::size_t r = 0; r < records.size(); ++r) {
        std::vector<std::string>& record = records[r];
        const std::size_t n = std::min(record.size(), fieldNames.size());
        for (std::size_t f = 0; f < n; ++f) {
            texts_[Index(fixedRows_ + static_cast<int>(r), fixedCols_ + static_cast<int>(f))] =
                std::move(record[f]);
        }
    }
    row_ = rowSel_ = std::min(fixedRows_, std::max(rows_ - 1, 0));
    col_ = colSel_ = std::min(fixedCols_, std::max(cols_ - 1, 0));
    if (sameShape) {
        for (int r = 0; r < rows_; ++r) {
            for (int c = 0; c < cols_; ++c) {
                const std::size_t i = Index(r, c);
                if (texts[i] != texts_[i] || backColors[i] != 0 || foreColors[i] != 0) emit CellChanged(r, c);
            }
        }
    } else {
        emit LayoutChanged();
    }
    emit SelectionChanged();
}

}  // namespace ui
