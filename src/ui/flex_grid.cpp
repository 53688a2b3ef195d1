#include "ui/flex_grid.h"

#include <QColor>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>

namespace wattorio::ui {

namespace {
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
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int col) { emit cellClicked(0, col); });
    applySizes();
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
}

void FlexGrid::scrollToColumn(int col) {
    int x = 0;
    for (int c = model_->grid().fixedCols(); c < col; ++c)
        x += columnWidth(c);
    if (QScrollBar* bar = horizontalScrollBar())
        bar->setValue(horizontalScrollMode() == QAbstractItemView::ScrollPerPixel
                          ? x
                          : std::max(col - model_->grid().fixedCols(), 0));
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

} // namespace wattorio::ui
