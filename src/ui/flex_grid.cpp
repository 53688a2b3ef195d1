#include "ui/flex_grid.h"

#include <QClipboard>
#include <QColor>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>

namespace wattorio::ui {

namespace {
// The view of the fixed columns: its clicks are the grid's clicks.
class FrozenView : public QTableView {
public:
    FrozenView(FlexGrid* grid) : QTableView(grid), grid_(grid) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        QTableView::mousePressEvent(event);
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid())
            emit grid_->cellClicked(index.row() + 1, index.column());
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        QTableView::mouseReleaseEvent(event);
        QModelIndex index = indexAt(event->position().toPoint());
        if (!index.isValid())
            index = currentIndex();
        if (index.isValid())
            emit grid_->selectionEnded(index.row() + 1, index.column());
    }

private:
    FlexGrid* grid_;
};

QVariant colourOf(std::uint32_t rgb) {
    if (rgb == kNoColour)
        return {};
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}
} // namespace

TextGridModel::TextGridModel(TextGrid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {
    grid_.setListener([this](int r0, int c0, int r1, int c1) {
        if (r0 == 0)
            emit headerDataChanged(Qt::Horizontal, c0, c1);
        const int first = std::max(r0, 1) - 1;
        const int last = r1 - 1;
        if (last >= first && last >= 0)
            emit dataChanged(index(first, c0), index(last, c1));
    });
}

TextGridModel::~TextGridModel() {
    grid_.setListener({});
}

void TextGridModel::reset() {
    beginResetModel();
    endResetModel();
}

int TextGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(grid_.rows() - 1, 0);
}

int TextGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.cols();
}

QVariant TextGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const int row = index.row() + 1;
    const int col = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(grid_.text(row, col));
    case Qt::BackgroundRole: {
        QVariant c = colourOf(grid_.background(row, col));
        if (!c.isValid() && col < grid_.fixedCols())
            return QColor(0xE0, 0xE0, 0xE0);
        return c;
    }
    case Qt::TextAlignmentRole:
        switch (grid_.colAlign(col)) {
        case TextGrid::Align::Left:
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        case TextGrid::Align::Right:
            return int(Qt::AlignRight | Qt::AlignVCenter);
        case TextGrid::Align::Center:
            return int(Qt::AlignCenter);
        }
        return int(Qt::AlignCenter);
    default:
        return {};
    }
}

QVariant TextGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(grid_.text(0, section));
    case Qt::BackgroundRole:
        return colourOf(grid_.background(0, section));
    default:
        return {};
    }
}

Qt::ItemFlags TextGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

FlexGrid::FlexGrid(TextGrid& grid, QWidget* parent)
    : QTableView(parent), model_(new TextGridModel(grid, this)) {
    setModel(model_);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(18);
    verticalHeader()->setMinimumSectionSize(10);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setWordWrap(false);
    // Pixel scrolling lets the scrolled columns start right beside the fixed ones.
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int col) { emit cellClicked(0, col); });
    setUpFrozenView();
    applySizes();
}

void FlexGrid::setUpFrozenView() {
    frozen_ = new FrozenView(this);
    frozen_->setObjectName(QStringLiteral("FixedColumns"));
    frozen_->setModel(model_);
    frozen_->setSelectionModel(selectionModel());
    frozen_->setFocusPolicy(Qt::NoFocus);
    frozen_->verticalHeader()->hide();
    frozen_->horizontalHeader()->setHighlightSections(false);
    frozen_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    frozen_->setWordWrap(false);
    frozen_->setFrameShape(QFrame::NoFrame);
    viewport()->stackUnder(frozen_);
    connect(frozen_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int col) { emit cellClicked(0, col); });
    connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] { updateFrozenView(); });
    connect(verticalHeader(), &QHeaderView::sectionResized, this,
            [this](int row, int, int size) { frozen_->setRowHeight(row, size); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { updateFrozenView(true); });
}

int FlexGrid::frozenCols() const {
    return std::min(frozenCols_ >= 0 ? frozenCols_ : model_->grid().fixedCols(), model_->columnCount());
}

void FlexGrid::setFrozenCols(int count) {
    frozenCols_ = count;
    updateFrozenView(true);
}

int FlexGrid::fixedWidth() const {
    const int fixed = frozenCols();
    int width = 0;
    for (int c = 0; c < fixed; ++c)
        if (!isColumnHidden(c))
            width += columnWidth(c);
    return width;
}

void FlexGrid::updateFrozenView(bool rows) {
    const int fixed = frozenCols();
    if (fixed <= 0 || model_->columnCount() <= fixed) {
        frozen_->hide();
        return;
    }
    frozen_->setSelectionBehavior(selectionBehavior());
    frozen_->setSelectionMode(selectionMode());
    frozen_->setTextElideMode(textElideMode());
    frozen_->setShowGrid(showGrid());
    frozen_->setVerticalScrollMode(verticalScrollMode());
    frozen_->verticalHeader()->setMinimumSectionSize(verticalHeader()->minimumSectionSize());
    frozen_->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    for (int c = 0; c < model_->columnCount(); ++c) {
        frozen_->setColumnHidden(c, c >= fixed || isColumnHidden(c));
        if (c < fixed)
            frozen_->setColumnWidth(c, columnWidth(c));
    }
    if (rows)
        for (int r = 0; r < model_->rowCount(); ++r)
            frozen_->setRowHeight(r, rowHeight(r));
    frozen_->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
    frozen_->setGeometry(frameWidth() + (verticalHeader()->isVisible() ? verticalHeader()->width() : 0),
                         frameWidth(), fixedWidth(), viewport()->height() + horizontalHeader()->height());
    frozen_->verticalScrollBar()->setValue(verticalScrollBar()->value());
    frozen_->show();
}

void FlexGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
    QScrollBar* bar = horizontalScrollBar();
    const int before = bar->value();
    QTableView::scrollTo(index, hint);
    const int fixed = frozenCols();
    if (!index.isValid() || fixed <= 0)
        return;
    if (index.column() < fixed) {
        // A fixed cell is always in view: only the rows scroll.
        bar->setValue(before);
        return;
    }
    // The cell goes right of the fixed columns; one wider than the room left shows its left edge.
    const QRect rect = visualRect(index);
    const int left = fixedWidth();
    if (rect.left() < left || rect.width() > viewport()->width() - left)
        bar->setValue(bar->value() + rect.left() - left);
}

void FlexGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    updateFrozenView();
}

void FlexGrid::showEvent(QShowEvent* event) {
    QTableView::showEvent(event);
    updateFrozenView(true);
}

bool FlexGrid::viewportEvent(QEvent* event) {
    const bool handled = QTableView::viewportEvent(event);
    if (event->type() == QEvent::Resize)
        updateFrozenView();
    return handled;
}

void FlexGrid::applySizes() {
    TextGrid& g = model_->grid();
    for (int c = 0; c < g.cols(); ++c) {
        const int twips = g.colWidth(c);
        setColumnWidth(c, twips > 0 ? twipsToPixels(twips) : 64);
    }
    for (int r = 1; r < g.rows(); ++r) {
        const int twips = g.rowHeight(r);
        if (twips > 0)
            setRowHeight(r - 1, twipsToPixels(twips));
    }
    if (g.rows() > 0 && g.rowHeight(0) > 0)
        horizontalHeader()->setFixedHeight(twipsToPixels(g.rowHeight(0)));
    updateFrozenView(true);
}

void FlexGrid::scrollToColumn(int col) {
    int x = 0;
    for (int c = frozenCols(); c < col; ++c)
        x += columnWidth(c);
    if (QScrollBar* bar = horizontalScrollBar())
        bar->setValue(horizontalScrollMode() == QAbstractItemView::ScrollPerPixel
                          ? x
                          : std::max(col - frozenCols(), 0));
}

void FlexGrid::selectCell(int row, int col) {
    if (row < 1)
        return;
    setCurrentIndex(model_->index(row - 1, col));
}

void FlexGrid::clickCell(int row, int col) {
    selectCell(row, col);
    emit cellClicked(row, col);
    emit selectionEnded(row, col);
}

bool FlexGrid::selectedBlock(int& r0, int& c0, int& r1, int& c1) const {
    QModelIndexList cells = selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList{};
    if (cells.isEmpty() && currentIndex().isValid())
        cells.push_back(currentIndex());
    if (cells.isEmpty())
        return false;
    r0 = r1 = cells.front().row() + 1;
    c0 = c1 = cells.front().column();
    for (const QModelIndex& i : cells) {
        r0 = std::min(r0, i.row() + 1);
        r1 = std::max(r1, i.row() + 1);
        c0 = std::min(c0, i.column());
        c1 = std::max(c1, i.column());
    }
    return true;
}

void FlexGrid::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        emit cellClicked(index.row() + 1, index.column());
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid())
        index = currentIndex();
    if (index.isValid())
        emit selectionEnded(index.row() + 1, index.column());
}

void copySelectedBlock(const FlexGrid& grid, const std::function<std::string(int, int, int, int)>& text) {
    int r0 = 0, c0 = 0, r1 = 0, c1 = 0;
    if (!grid.selectedBlock(r0, c0, r1, c1))
        return;
    if (const std::string copied = text(r0, c0, r1, c1); !copied.empty())
        QGuiApplication::clipboard()->setText(QString::fromStdString(copied));
}

} // namespace wattorio::ui
