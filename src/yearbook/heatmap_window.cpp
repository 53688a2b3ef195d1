#include "yearbook/heatmap_window.h"
#include "ui/widgets.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolTip>

#include <cmath>

namespace wattorio::yearbook {

namespace {

using ui::qs;

constexpr int kLeft = 48;    // month labels
constexpr int kStrip = 10;   // day-off marks
constexpr int kStripGap = 3; // between the marks and the carpet
constexpr int kTop = 38;     // hour labels
constexpr int kBottom = 10;
constexpr int kLegend = 118;     // colour scale, its ticks and the day-off keys
constexpr int kFirstHourCol = 4; // grid column of hour slot 0

QRgb rgb(std::uint32_t colour) {
    return qRgb(static_cast<int>((colour >> 16) & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>(colour & 0xFF));
}

} // namespace

YearHeatmap::YearHeatmap(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("YearHeatmap"));
    setWindowTitle(QString::fromUtf8(kHeatmapTitle));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    scaleTitle_ = QStringLiteral("kWh");
    close_ = new QPushButton(QStringLiteral("閉じる"), this);
    close_->setObjectName(QStringLiteral("CloseButton"));
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
    setData(HeatmapData{});
}

void YearHeatmap::setScaleTitle(const QString& title) {
    scaleTitle_ = title;
    update();
}

void YearHeatmap::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void YearHeatmap::resizeEvent(QResizeEvent* event) {
    // The button sits at the foot of the legend column, clear of the carpet.
    const int w = kLegend - 28;
    close_->setGeometry(width() - w - 8, height() - 34, w, 26);
    QWidget::resizeEvent(event);
}

void YearHeatmap::refresh(const AppState& state) {
    setData(heatmapFromTables(state));
}

void YearHeatmap::refreshFromGrid(const TextGrid& grid, const AppState& state) {
    setData(heatmapFromGrid(grid, state));
}

void YearHeatmap::setData(const HeatmapData& data) {
    data_ = data;
    carpet_ = QImage(24, 365, QImage::Format_RGB32);
    dayOffs_ = QImage(1, 365, QImage::Format_RGB32);
    for (int r = 1; r <= 365; ++r) {
        auto* line = reinterpret_cast<QRgb*>(carpet_.scanLine(r - 1));
        const auto& values = data_.value[static_cast<std::size_t>(r)];
        for (int h = 0; h < 24; ++h)
            line[h] = rgb(heatColour(values[static_cast<std::size_t>(h)], data_.low, data_.high));
        const float mark = data_.dayMark[static_cast<std::size_t>(r)];
        dayOffs_.setPixel(0, r - 1,
                          mark == 0 ? qRgb(255, 255, 255) : rgb(mark == 2 ? kSaturdayMark : kHolidayMark));
    }
    scale_ = QImage(1, 256, QImage::Format_RGB32);
    for (int i = 0; i < 256; ++i)
        scale_.setPixel(0, 255 - i, rgb(heatColour(i / 255.0, 0, 1)));
    update();
}

void YearHeatmap::setCurrentCell(int row, int col) {
    const bool valid = row >= 1 && row <= 365 && col >= kFirstHourCol && col < kFirstHourCol + 24;
    currentRow_ = valid ? row : 0;
    currentCol_ = valid ? col : 0;
    update();
}

QRectF YearHeatmap::carpetArea() const {
    const double left = kLeft + kStrip + kStripGap;
    return QRectF(left, kTop, std::max(24.0, width() - left - kLegend),
                  std::max(365.0 / 4, height() - kTop - kBottom * 1.0));
}

QRect YearHeatmap::cellRect(int row, int col) const {
    if (row < 1 || row > 365 || col < kFirstHourCol || col >= kFirstHourCol + 24)
        return {};
    const QRectF area = carpetArea();
    const double w = area.width() / 24, h = area.height() / 365;
    const QPointF topLeft(area.left() + (col - kFirstHourCol) * w, area.top() + (row - 1) * h);
    const QPointF bottomRight(area.left() + (col - kFirstHourCol + 1) * w, area.top() + row * h);
    return QRectF(topLeft, bottomRight).toAlignedRect();
}

bool YearHeatmap::cellAt(const QPoint& point, int* row, int* col) const {
    const QRectF area = carpetArea();
    if (!area.contains(QPointF(point)))
        return false;
    const int h = static_cast<int>((point.x() - area.left()) * 24 / area.width());
    const int r = static_cast<int>((point.y() - area.top()) * 365 / area.height()) + 1;
    if (h < 0 || h > 23 || r < 1 || r > 365)
        return false;
    if (row)
        *row = r;
    if (col)
        *col = h + kFirstHourCol;
    return true;
}

QSize YearHeatmap::sizeHint() const {
    return QSize(kLeft + kStrip + kStripGap + 24 * 26 + kLegend, kTop + 365 * 2 + kBottom);
}

QSize YearHeatmap::minimumSizeHint() const {
    return QSize(kLeft + kStrip + kStripGap + 24 * 12 + kLegend, kTop + 365 + kBottom);
}

void YearHeatmap::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QRectF area = carpetArea();
    const double rowH = area.height() / 365, colW = area.width() / 24;

    // The carpet and the day-off marks, one image pixel a cell, drawn without smoothing.
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(area, carpet_);
    p.drawImage(QRectF(kLeft, area.top(), kStrip, area.height()), dayOffs_);

    // Hour labels across the top.
    QFont small = font();
    small.setPointSizeF(std::max(6.5, small.pointSizeF() * 0.85));
    p.setFont(small);
    p.setPen(palette().color(QPalette::WindowText));
    const int step = colW < 18 ? 2 : 1;
    for (int h = 0; h < 24; h += step)
        p.drawText(QRectF(area.left() + h * colW - 6, 2, colW + 12, kTop - 4),
                   Qt::AlignHCenter | Qt::AlignBottom, QString::number(h));
    p.drawText(QRectF(0, 2, kLeft + kStrip, kTop - 4), Qt::AlignLeft | Qt::AlignBottom,
               QStringLiteral("月＼時"));

    // Months: the name at the left and a tick where each begins, outside the carpet so that no
    // reading is hidden.
    for (int m = 1; m <= 12; ++m) {
        const int first = firstRowOfMonth(m);
        const int last = m == 12 ? 365 : firstRowOfMonth(m + 1) - 1;
        const double y0 = area.top() + (first - 1) * rowH;
        const double y1 = area.top() + last * rowH;
        p.drawText(QRectF(0, y0, kLeft - 8, y1 - y0), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(m) + QStringLiteral("月"));
        p.drawLine(QPointF(kLeft - 6, y0), QPointF(kLeft - 1, y0));
    }
    p.drawLine(QPointF(kLeft - 6, area.bottom()), QPointF(kLeft - 1, area.bottom()));
    p.setPen(QColor(0x70, 0x70, 0x70));
    p.setBrush(Qt::NoBrush);
    p.drawRect(area.adjusted(-1, -1, 0, 0));

    if (currentRow_ > 0) {
        const QRect cell = cellRect(currentRow_, currentCol_);
        p.setPen(QPen(Qt::black, 2));
        p.drawRect(cell.adjusted(-2, -2, 2, 2));
        p.setPen(QPen(Qt::white, 1));
        p.drawRect(cell.adjusted(-1, -1, 1, 1));
    }

    // The legend: the colour scale with its ticks, then the day-off keys.
    const double lx = area.right() + 16;
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QRectF(lx, 0, kLegend - 20, 20), Qt::AlignLeft | Qt::AlignVCenter, scaleTitle_);
    const double barH = std::min(300.0, area.height() * 0.6);
    const QRectF bar(lx, area.top(), 16, barH);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.drawImage(bar, scale_);
    p.setPen(QColor(0x70, 0x70, 0x70));
    p.drawRect(bar);
    p.setPen(palette().color(QPalette::WindowText));
    const double span = data_.high - data_.low;
    for (const LegendTick& tick : legendTicks(data_.low, data_.high)) {
        const double t = span > 0 ? (tick.value - data_.low) / span : 0.5;
        const double y = bar.bottom() - t * bar.height();
        p.drawLine(QPointF(bar.right(), y), QPointF(bar.right() + 4, y));
        p.drawText(QRectF(bar.right() + 6, y - 9, kLegend - 40, 18), Qt::AlignLeft | Qt::AlignVCenter,
                   qs(tick.text));
    }
    double ky = bar.bottom() + 24;
    for (const auto& [colour, text] :
         {std::pair{kHolidayMark, kHeatmapDayOff}, std::pair{kSaturdayMark, kHeatmapSaturday}}) {
        p.fillRect(QRectF(lx, ky, 12, 12), QColor::fromRgb(rgb(colour)));
        p.drawText(QRectF(lx + 16, ky - 3, kLegend - 20, 18), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromUtf8(text));
        ky += 20;
    }
}

void YearHeatmap::mousePressEvent(QMouseEvent* event) {
    int row = 0, col = 0;
    if (event->button() == Qt::LeftButton && cellAt(event->position().toPoint(), &row, &col)) {
        setCurrentCell(row, col);
        emit cellClicked(row, col);
        return;
    }
    QWidget::mousePressEvent(event);
}

bool YearHeatmap::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        int row = 0, col = 0;
        if (cellAt(help->pos(), &row, &col))
            QToolTip::showText(help->globalPos(), qs(heatmapCellCaption(data_, row, col - kFirstHourCol)),
                               this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

} // namespace wattorio::yearbook
