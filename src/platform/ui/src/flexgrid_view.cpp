// The window over a flex grid: a table view whose model reads the grid, and
// whose mouse and keys move the grid's current cell and selection. The view
// never changes the selection on its own; it mirrors the grid's.
#include <QAbstractTableModel>
#include <QColor>
#include <QFontMetricsF>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>

#include "ui/flexgrid.h"
#include "vb/conv.h"

namespace ui {

namespace {

QColor ToQColor(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

Qt::Alignment ToQtAlignment(int alignment, const std::string& text) {
    if (alignment == flexAlignGeneral) {
        return Qt::AlignVCenter | (vb::IsNumeric(text) ? Qt::AlignRight : Qt::AlignLeft);
    }
    static constexpr Qt::AlignmentFlag kHorizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    static constexpr Qt::AlignmentFlag kVertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    return kHorizontal[alignment / 3] | kVertical[alignment % 3];
}

// The first grid column the table shows: column 0 of a grid with fixed
// columns is the row titles; further fixed columns show as columns of their
// own that cannot be chosen.
int FirstShownCol(const FlexGrid& grid) { return grid.FixedCols() > 0 ? 1 : 0; }

int PixelsOf(long twips) { return static_cast<int>((twips + kTwipsPerPixel / 2) / kTwipsPerPixel); }

int ButtonOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

// The text a cell shows in `width` pixels of room: its own when it fits; a
// figure that does not fit as "#" marks (as many as fit; none when not even
// one does), any other text cut at its end with "…" as the style cuts it.
// Figures are measured unrounded, as the style measures a line it may elide.
QString TextThatFits(const QString& text, int width, const QFont& font) {
    if (!IsFigure(text)) return QFontMetrics(font).elidedText(text, Qt::ElideRight, width);
    const QFontMetricsF metrics(font);
    if (metrics.horizontalAdvance(text) <= width) return text;
    const double mark = std::max(metrics.horizontalAdvance(QLatin1Char('#')), 1.0);
    QString marks(static_cast<qsizetype>(std::max(width, 0) / mark), QLatin1Char('#'));
    while (!marks.isEmpty() && metrics.horizontalAdvance(marks) > width) marks.chop(1);
    return marks;
}

}  // namespace

bool IsFigure(const QString& text) {
    bool digit = false;
    for (const QChar c : text) {
        if (c.isLetter()) return false;
        digit = digit || c.isDigit();
    }
    return digit;
}

// Draws a cell as the table does, but a figure within the part of the cell
// in view: whole there, or as "#" marks when it does not fit. A column too
// narrow, or cut by the edge of the view, never shows another number. Other
// text the style cuts with "…" to the cell's width.
class FlexGridView::Delegate : public QStyledItemDelegate {
public:
    explicit Delegate(FlexGridView& view) : QStyledItemDelegate(&view), view_(view) {}

    // The room for the text of a cell rectangle: the cell less the margins
    // the style leaves on each side; for a figure only the part in view.
    QRect TextRoom(const QRect& cell, const QString& text) const {
        const int margin = view_.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view_) + 1;
        const QRect room = IsFigure(text) ? cell.intersected(view_.viewport()->rect()) : cell;
        return room.adjusted(margin, 0, -margin, 0);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        if (IsFigure(cell.text)) {
            // Drawn within the part in view: whole there, or as marks.
            cell.text = TextThatFits(cell.text, TextRoom(cell.rect, cell.text).width(), cell.font);
            cell.rect = cell.rect.intersected(view_.viewport()->rect());
        }
        view_.style()->drawControl(QStyle::CE_ItemViewItem, &cell, painter, &view_);
    }

private:
    FlexGridView& view_;
};

// The grid below its fixed rows, from its first shown column. The last fixed
// row gives the column titles, column 0 (when fixed) the row titles.
class FlexGridView::Model : public QAbstractTableModel {
public:
    explicit Model(FlexGridView& view) : QAbstractTableModel(&view), grid_(view.grid_), view_(view) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : std::max(grid_.Rows() - grid_.FixedRows(), 0);
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : std::max(grid_.Cols() - FirstShownCol(grid_), 0);
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        const int row = index.row() + grid_.FixedRows();
        const int col = index.column() + FirstShownCol(grid_);
        if (role == Qt::BackgroundRole && Fixed(index) && grid_.CellBackColorAt(row, col) == 0) {
            return QGuiApplication::palette().button();  // a fixed column looks as the titles do
        }
        if (role == Qt::ToolTipRole) {
            // A cell that shows less than its text has it whole in its tip.
            const QString text = QString::fromStdString(grid_.TextMatrix(row, col));
            return view_.ShownText(row, col) == text ? QVariant() : QVariant(text);
        }
        return CellData(row, col, role);
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        if (Fixed(index)) return Qt::ItemIsEnabled;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal) {
            if (grid_.FixedRows() == 0) return {};
            return CellData(grid_.FixedRows() - 1, section + FirstShownCol(grid_), role);
        }
        if (grid_.FixedCols() == 0) return {};
        return CellData(section + grid_.FixedRows(), 0, role);
    }

    void Reset() {
        beginResetModel();
        endResetModel();
    }

    void Changed(int row, int col) {
        const int r = row - grid_.FixedRows();
        const int c = col - FirstShownCol(grid_);
        if (r >= 0 && c >= 0) {
            emit dataChanged(index(r, c), index(r, c));
        } else if (r == -1 && c >= 0) {
            RedrawTitle(*view_.horizontalHeader(), c);
        } else if (col == 0 && r >= 0) {
            RedrawTitle(*view_.verticalHeader(), r);
        }
    }

private:
    // A title's new text is drawn again in place; the sizes of titles are the
    // grid's. (headerDataChanged would lay the whole table out again, and
    // draw all of it, at each record number of a page.)
    static void RedrawTitle(QHeaderView& header, int section) {
        if (section >= header.count()) return;
        const int position = header.sectionViewportPosition(section);
        const int size = header.sectionSize(section);
        QWidget& area = *header.viewport();
        if (header.orientation() == Qt::Horizontal) area.update(position, 0, size, area.height());
        else area.update(0, position, area.width(), size);
    }

    // A fixed column after the row titles: shown, never chosen.
    bool Fixed(const QModelIndex& index) const { return index.column() + FirstShownCol(grid_) < grid_.FixedCols(); }

    QVariant CellData(int row, int col, int role) const {
        if (row < 0 || row >= grid_.Rows() || col < 0 || col >= grid_.Cols()) return {};
        switch (role) {
        case Qt::DisplayRole: return QString::fromStdString(grid_.TextMatrix(row, col));
        case Qt::BackgroundRole: {
            const std::uint32_t color = grid_.CellBackColorAt(row, col);
            return color == 0 ? QVariant() : QVariant(ToQColor(color));
        }
        case Qt::ForegroundRole: {
            const std::uint32_t color = grid_.CellForeColorAt(row, col);
            return color == 0 ? QVariant() : QVariant(ToQColor(color));
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(ToQtAlignment(grid_.ColAlignment(col), grid_.TextMatrix(row, col)));
        default: return {};
        }
    }

    FlexGrid& grid_;
    const FlexGridView& view_;
};

FlexGridView::FlexGridView(FlexGrid& grid, QWidget* parent)
    : QTableView(parent), grid_(grid), model_(new Model(*this)), delegate_(new Delegate(*this)) {
    setModel(model_);
    setItemDelegate(delegate_);
    // The grid owns the selection; the view only shows it.
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setHighlightSections(false);

    connect(&grid_, &FlexGrid::LayoutChanged, this, [this] { ApplyLayout(); });
    connect(&grid_, &FlexGrid::CellChanged, this, [this](int r, int c) { model_->Changed(r, c); });
    connect(&grid_, &FlexGrid::ColumnChanged, this, [this](int c) { ApplyColumn(c); });
    connect(&grid_, &FlexGrid::SelectionChanged, this, [this] { ApplySelection(); });
    // The grid's widths reach the header with its signals blocked (ApplyColumn):
    // a column resized here is one the user resized.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        const int col = section + FirstShownCol(grid_);
        if (layingOut_ || col >= grid_.Cols() || size <= 0) return;
        grid_.SetColWidth(col, static_cast<long>(size) * kTwipsPerPixel);
        emit ColumnResizedByUser(col);
    });

    // A click on a column title selects the column, on a row title the row.
    connect(horizontalHeader(), &QHeaderView::sectionPressed, this, [this](int section) {
        const int col = section + FirstShownCol(grid_);
        if (grid_.Rows() <= grid_.FixedRows() || col < grid_.FixedCols()) return;
        if (!(QGuiApplication::keyboardModifiers() & Qt::ShiftModifier)) MoveTo(grid_.FixedRows(), col, false);
        grid_.SetRowSel(grid_.Rows() - 1);
        grid_.SetColSel(col);
        emit grid_.Click();
    });
    auto selectRow = [this](int section, bool extend) {
        const int row = section + grid_.FixedRows();
        if (grid_.Cols() <= grid_.FixedCols()) return;
        if (!extend) MoveTo(row, grid_.FixedCols(), false);
        grid_.SetRowSel(row);
        grid_.SetColSel(grid_.Cols() - 1);
    };
    connect(verticalHeader(), &QHeaderView::sectionPressed, this, [this, selectRow](int section) {
        selectRow(section, (QGuiApplication::keyboardModifiers() & Qt::ShiftModifier) != 0);
        emit grid_.Click();
    });
    connect(verticalHeader(), &QHeaderView::sectionEntered, this,
            [selectRow](int section) { selectRow(section, true); });

    ApplyLayout();
}

FlexGridView::~FlexGridView() = default;

void FlexGridView::ApplyColumn(int col) {
    if (col < 0 || col >= grid_.Cols()) return;
    RefreshLater();
    if (col < FirstShownCol(grid_)) {
        const long width = grid_.ColWidth(0);
        verticalHeader()->setVisible(width > 0);
        if (width > 0) verticalHeader()->setFixedWidth(PixelsOf(width));
        return;
    }
    const int viewCol = col - FirstShownCol(grid_);
    const long width = grid_.ColWidth(col);
    // The table would redraw a resized column from a timer of its own, after
    // the paint that follows the change: the refresh does it before that paint.
    const QSignalBlocker quiet(horizontalHeader());
    setColumnHidden(viewCol, width == 0);
    if (width > 0) setColumnWidth(viewCol, PixelsOf(width));
}

// One relayout and one paint for all the changes made until the events are
// next run (a page's load sets many widths).
void FlexGridView::RefreshLater() {
    if (refreshPending_) return;
    refreshPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            refreshPending_ = false;
            updateGeometries();
            viewport()->update();
        },
        Qt::QueuedConnection);
}

void FlexGridView::ApplyLayout() {
    const QScopedValueRollback<bool> layingOut(layingOut_, true);
    model_->Reset();
    horizontalHeader()->setVisible(grid_.FixedRows() > 0);
    verticalHeader()->setVisible(grid_.FixedCols() > 0);
    for (int c = 0; c < grid_.Cols(); ++c) ApplyColumn(c);
    ApplySelection();
}

void FlexGridView::ApplySelection() {
    const int fr = grid_.FixedRows();
    const int fc = grid_.FixedCols();
    const int shown = FirstShownCol(grid_);
    const int r0 = std::max(std::min(grid_.Row(), grid_.RowSel()), fr) - fr;
    const int r1 = std::max(grid_.Row(), grid_.RowSel()) - fr;
    const int c0 = std::max(std::min(grid_.Col(), grid_.ColSel()), fc) - shown;
    const int c1 = std::max(grid_.Col(), grid_.ColSel()) - shown;
    QItemSelectionModel* selection = selectionModel();
    if (r1 >= r0 && c1 >= c0 && r1 >= 0 && c1 >= 0) {
        selection->select(QItemSelection(model_->index(r0, c0), model_->index(r1, c1)),
                          QItemSelectionModel::ClearAndSelect);
    } else {
        selection->clearSelection();
    }
    selection->setCurrentIndex(IndexOf(grid_.Row(), grid_.Col()), QItemSelectionModel::NoUpdate);
    const QModelIndex moving = IndexOf(std::max(grid_.RowSel(), fr), std::max(grid_.ColSel(), fc));
    if (moving.isValid()) scrollTo(moving);
}

QModelIndex FlexGridView::IndexOf(int row, int col) const {
    return model_->index(row - grid_.FixedRows(), col - FirstShownCol(grid_));
}

QString FlexGridView::ShownText(int row, int col) const {
    const QModelIndex index = IndexOf(row, col);
    if (!index.isValid()) return {};
    const QString text = QString::fromStdString(grid_.TextMatrix(row, col));
    return TextThatFits(text, delegate_->TextRoom(visualRect(index), text).width(), font());
}

// A fixed column cannot be chosen: a press there reaches the row's first
// column that can.
std::pair<int, int> FlexGridView::CellAt(const QPoint& pos) const {
    const QModelIndex index = indexAt(pos);
    if (!index.isValid()) return {-1, -1};
    return {index.row() + grid_.FixedRows(), std::max(index.column() + FirstShownCol(grid_), grid_.FixedCols())};
}

void FlexGridView::MoveTo(int row, int col, bool extend) {
    if (extend) {
        if (row != grid_.RowSel()) grid_.SetRowSel(row);
        if (col != grid_.ColSel()) grid_.SetColSel(col);
        return;
    }
    grid_.MoveToCell(row, col);
}

// Moves as the arrows, Home, End and the page keys do; false for other keys.
bool FlexGridView::Navigate(int keyCode, int shift) {
    const int fr = grid_.FixedRows();
    const int fc = grid_.FixedCols();
    if (grid_.Rows() <= fr || grid_.Cols() <= fc) return false;
    const bool extend = (shift & kShiftMask) != 0;
    const bool ctrl = (shift & kCtrlMask) != 0;
    int row = extend ? grid_.RowSel() : grid_.Row();
    int col = extend ? grid_.ColSel() : grid_.Col();
    auto visible = [this](int c) { return grid_.ColWidth(c) != 0; };
    auto stepCol = [&](int from, int direction) {
        for (int c = from + direction; c >= fc && c < grid_.Cols(); c += direction) {
            if (visible(c)) return c;
        }
        return from;
    };
    const int page = std::max(viewport()->height() / std::max(rowHeight(0), 1), 1);
    switch (keyCode) {
    case vk::Up: row -= 1; break;
    case vk::Down: row += 1; break;
    case vk::PageUp: row -= page; break;
    case vk::PageDown: row += page; break;
    case vk::Left: col = stepCol(std::max(col, fc), -1); break;
    case vk::Right: col = stepCol(std::max(col, fc - 1), +1); break;
    case vk::Home:
        col = stepCol(fc - 1, +1);
        if (ctrl) row = fr;
        break;
    case vk::End:
        col = stepCol(grid_.Cols(), -1);
        if (ctrl) row = grid_.Rows() - 1;
        break;
    default: return false;
    }
    row = std::clamp(row, fr, grid_.Rows() - 1);
    col = std::clamp(col, fc, grid_.Cols() - 1);
    MoveTo(row, col, extend);
    return true;
}

void FlexGridView::keyPressEvent(QKeyEvent* event) {
    int keyCode = VbKeyCode(event->key());
    int shift = VbShift(event->modifiers());
    if (keyCode != 0) emit grid_.KeyDown(keyCode, shift);
    const bool handled = keyCode != 0 && Navigate(keyCode, shift);
    const QString text = event->text();
    if (text.size() == 1 && text.at(0).unicode() < 256) {
        int keyAscii = text.at(0).unicode();
        emit grid_.KeyPress(keyAscii);
    }
    if (handled) {
        event->accept();
    } else {
        event->ignore();  // Tab, Enter and shortcuts go on to the form
    }
}

void FlexGridView::RaiseMouseDown(QMouseEvent* event) {
    int button = ButtonOf(event->button());
    int shift = VbShift(event->modifiers());
    float x = static_cast<float>(event->position().x() * kTwipsPerPixel);
    float y = static_cast<float>(event->position().y() * kTwipsPerPixel);
    emit grid_.MouseDown(button, shift, x, y);
}

void FlexGridView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    RaiseMouseDown(event);
    const auto [row, col] = CellAt(event->position().toPoint());
    if (row < 0) return;
    const bool left = event->button() == Qt::LeftButton;
    MoveTo(row, col, left && (event->modifiers() & Qt::ShiftModifier));
    dragging_ = left;
}

void FlexGridView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) return;
    const auto [row, col] = CellAt(event->position().toPoint());
    if (row >= 0) MoveTo(row, col, true);
}

void FlexGridView::mouseReleaseEvent(QMouseEvent* /*event*/) {
    dragging_ = false;
    if (!suppressClick_) emit grid_.Click();
    suppressClick_ = false;
}

void FlexGridView::mouseDoubleClickEvent(QMouseEvent* /*event*/) {
    suppressClick_ = true;  // the release that follows a double click is no click
    emit grid_.DblClick();
}

// A figure is drawn where its cell meets the view's edges, so a scroll
// repaints the whole view rather than moving what was drawn.
void FlexGridView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    viewport()->update();
}

void FlexGridView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    emit grid_.GotFocus();
}

void FlexGridView::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    emit grid_.LostFocus();
}

}  // namespace ui
