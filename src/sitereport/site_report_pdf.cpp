#include "sitereport/site_report_pdf.h"

#include "app/display_format.h"
#include "app/safe_save.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string_view>

namespace wattorio::sitereport {

namespace {

// The page in points (1/72 inch): A4 portrait and its margins.
constexpr double kPageWidth = 595.28;
constexpr double kPageHeight = 841.89;
constexpr double kLeft = 42;
constexpr double kRight = 42;
constexpr double kTop = 42;
constexpr double kBottom = 58; // room for the foot
constexpr double kBodyWidth = kPageWidth - kLeft - kRight;

const QColor kInk(0x20, 0x20, 0x20);
const QColor kRule(0x90, 0x90, 0x90);
const QColor kGrid(0xd8, 0xd8, 0xd8);
const QColor kHeadFill(0xe8, 0xee, 0xf4);

QString qs(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont font(double points, bool bold = false) {
    // Latin letters and digits from a Latin face: the PDF writer maps the CJK face's Latin glyphs
    // back to no character, so a reader could not copy or search them. Japanese from the CJK face.
    QFont f;
    f.setFamilies(
        {QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK JP")});
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QColor colourOf(std::uint32_t rgb) {
    return QColor(static_cast<int>((rgb >> 16) & 0xff), static_cast<int>((rgb >> 8) & 0xff),
                  static_cast<int>(rgb & 0xff));
}

std::string wholeText(double value) {
    const std::string digits = groupedDigits(value);
    return digits.empty() ? std::string("0") : digits;
}

// A step of 1, 2 or 5 times a power of ten that divides `top` into about `parts` parts.
double niceStep(double top, int parts) {
    if (!(top > 0) || !std::isfinite(top))
        return 1;
    const double raw = top / parts;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (raw <= m * power)
            return m * power;
    return 10 * power;
}

// Axes, grid and value labels of a bar picture over 12 months; returns the plotting rectangle
// and the value scale (points per unit) through its arguments.
QRectF drawMonthAxes(QPainter& p, const QRectF& area, double top, const QString& unit, double* scale) {
    p.setFont(font(7));
    const QFontMetricsF fm(p.font());
    const double step = niceStep(top, 5);
    const double axisTop = std::max(step, std::ceil(top / step) * step);
    const double labelWidth = fm.horizontalAdvance(qs(wholeText(axisTop))) + 6;
    const QRectF plot(area.left() + labelWidth, area.top() + fm.height() + 2, area.width() - labelWidth - 4,
                      area.height() - 2 * fm.height() - 6);
    *scale = plot.height() / axisTop;
    p.setPen(QPen(kInk, 0.5));
    p.drawText(QRectF(area.left(), area.top(), labelWidth + 40, fm.height()),
               Qt::AlignLeft | Qt::AlignVCenter, unit);
    for (double v = 0; v <= axisTop + step / 2; v += step) {
        const double y = plot.bottom() - v * *scale;
        p.setPen(QPen(v == 0 ? kInk : kGrid, v == 0 ? 0.8 : 0.4));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(kInk);
        p.drawText(QRectF(area.left(), y - fm.height() / 2, labelWidth - 4, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, qs(wholeText(v)));
    }
    const double slot = plot.width() / 12;
    for (int m = 1; m <= 12; ++m)
        p.drawText(QRectF(plot.left() + (m - 1) * slot, plot.bottom() + 2, slot, fm.height()),
                   Qt::AlignCenter, qs(calc::monthLabel(m)));
    return plot;
}

void drawLegend(QPainter& p, QPointF at, const std::vector<std::pair<QString, QColor>>& items,
                bool line = false) {
    p.setFont(font(7));
    const QFontMetricsF fm(p.font());
    double x = at.x();
    for (const auto& [name, colour] : items) {
        if (line) {
            p.setPen(QPen(colour, 1.2, Qt::DashLine));
            p.drawLine(QPointF(x, at.y() + fm.height() / 2), QPointF(x + 14, at.y() + fm.height() / 2));
        } else {
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawRect(QRectF(x, at.y() + 2, 10, fm.height() - 4));
        }
        p.setPen(kInk);
        p.setBrush(Qt::NoBrush);
        p.drawText(QPointF(x + 16, at.y() + fm.ascent()), name);
        x += 16 + fm.horizontalAdvance(name) + 12;
    }
}

// The unified ideographs of the Kangxi radicals U+2F00..U+2FD5 (their compatibility forms).
constexpr char16_t kKangxiUnified[] = {
    0x4E00, 0x4E28, 0x4E36, 0x4E3F, 0x4E59, 0x4E85, 0x4E8C, 0x4EA0, 0x4EBA, 0x513F, 0x5165, 0x516B, 0x5182,
    0x5196, 0x51AB, 0x51E0, 0x51F5, 0x5200, 0x529B, 0x52F9, 0x5315, 0x531A, 0x5338, 0x5341, 0x535C, 0x5369,
    0x5382, 0x53B6, 0x53C8, 0x53E3, 0x56D7, 0x571F, 0x58EB, 0x5902, 0x590A, 0x5915, 0x5927, 0x5973, 0x5B50,
    0x5B80, 0x5BF8, 0x5C0F, 0x5C22, 0x5C38, 0x5C6E, 0x5C71, 0x5DDB, 0x5DE5, 0x5DF1, 0x5DFE, 0x5E72, 0x5E7A,
    0x5E7F, 0x5EF4, 0x5EFE, 0x5F0B, 0x5F13, 0x5F50, 0x5F61, 0x5F73, 0x5FC3, 0x6208, 0x6236, 0x624B, 0x652F,
    0x6534, 0x6587, 0x6597, 0x65A4, 0x65B9, 0x65E0, 0x65E5, 0x66F0, 0x6708, 0x6728, 0x6B20, 0x6B62, 0x6B79,
    0x6BB3, 0x6BCB, 0x6BD4, 0x6BDB, 0x6C0F, 0x6C14, 0x6C34, 0x706B, 0x722A, 0x7236, 0x723B, 0x723F, 0x7247,
    0x7259, 0x725B, 0x72AC, 0x7384, 0x7389, 0x74DC, 0x74E6, 0x7518, 0x751F, 0x7528, 0x7530, 0x758B, 0x7592,
    0x7676, 0x767D, 0x76AE, 0x76BF, 0x76EE, 0x77DB, 0x77E2, 0x77F3, 0x793A, 0x79B8, 0x79BE, 0x7A74, 0x7ACB,
    0x7AF9, 0x7C73, 0x7CF8, 0x7F36, 0x7F51, 0x7F8A, 0x7FBD, 0x8001, 0x800C, 0x8012, 0x8033, 0x807F, 0x8089,
    0x81E3, 0x81EA, 0x81F3, 0x81FC, 0x820C, 0x821B, 0x821F, 0x826E, 0x8272, 0x8278, 0x864D, 0x866B, 0x8840,
    0x884C, 0x8863, 0x897E, 0x898B, 0x89D2, 0x8A00, 0x8C37, 0x8C46, 0x8C55, 0x8C78, 0x8C9D, 0x8D64, 0x8D70,
    0x8DB3, 0x8EAB, 0x8ECA, 0x8F9B, 0x8FB0, 0x8FB5, 0x9091, 0x9149, 0x91C6, 0x91CC, 0x91D1, 0x9577, 0x9580,
    0x961C, 0x96B6, 0x96B9, 0x96E8, 0x9751, 0x975E, 0x9762, 0x9769, 0x97CB, 0x97ED, 0x97F3, 0x9801, 0x98A8,
    0x98DB, 0x98DF, 0x9996, 0x9999, 0x99AC, 0x9AA8, 0x9AD8, 0x9ADF, 0x9B25, 0x9B2F, 0x9B32, 0x9B3C, 0x9B5A,
    0x9CE5, 0x9E75, 0x9E7F, 0x9EA5, 0x9EBB, 0x9EC3, 0x9ECD, 0x9ED1, 0x9EF9, 0x9EFD, 0x9F0E, 0x9F13, 0x9F20,
    0x9F3B, 0x9F4A, 0x9F52, 0x9F8D, 0x9F9C, 0x9FA0};

// The character a reader should get for a code the PDF writer's character map gives. The CJK face
// draws 力 and the radical ⼒, ・ and ‧, ／ and ∕ with one glyph each, and the writer names each
// glyph by the lowest of its characters: the radical, not the word's character.
unsigned unifiedCode(unsigned code) {
    if (code >= 0x2F00 && code < 0x2F00 + std::size(kKangxiUnified))
        return kKangxiUnified[code - 0x2F00];
    if (code == 0x2027)
        return 0x30FB; // ・
    if (code == 0x2215)
        return 0xFF0F; // ／
    return code;
}

} // namespace

// Rewrites the codes of the character maps (the writer's /ToUnicode streams, plain text) in
// place: every code keeps its four hex digits, so no length or offset of the file changes.
void mendCharacterMaps(std::string& pdf) {
    static constexpr std::string_view kBegin = "begincmap";
    static constexpr std::string_view kEnd = "endcmap";
    const auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    for (std::size_t at = pdf.find(kBegin); at != std::string::npos; at = pdf.find(kBegin, at)) {
        const std::size_t end = pdf.find(kEnd, at);
        if (end == std::string::npos)
            return;
        for (std::size_t i = at; i + 6 <= end; ++i) {
            if (pdf[i] != '<' || pdf[i + 5] != '>' || !hex(pdf[i + 1]) || !hex(pdf[i + 2]) ||
                !hex(pdf[i + 3]) || !hex(pdf[i + 4]))
                continue;
            const unsigned code = static_cast<unsigned>(std::stoul(pdf.substr(i + 1, 4), nullptr, 16));
            const unsigned unified = unifiedCode(code);
            if (unified != code) {
                char digits[5];
                std::snprintf(digits, sizeof digits, "%04X", unified);
                pdf.replace(i + 1, 4, digits);
            }
            i += 5;
        }
        at = end;
    }
}

namespace {

// One laid-out piece of the report: its height and how it is drawn at the top of a rectangle.
struct Block {
    double height = 0;
    std::function<void(QPainter&, const QRectF&)> draw;
    bool keepWithNext = false; // a section title stays on the page of what follows it
};

double wrappedHeight(const QFont& f, const QString& text, double width, QPaintDevice* device) {
    const QFontMetricsF fm(f, device);
    return fm.boundingRect(QRectF(0, 0, width, 10000), Qt::TextWordWrap, text).height();
}

Block titleBlock(const std::string& title) {
    return {26,
            [title](QPainter& p, const QRectF& r) {
                p.setFont(font(11, true));
                p.setPen(kInk);
                p.drawText(QRectF(r.left(), r.top() + 6, r.width(), 16), Qt::AlignLeft | Qt::AlignVCenter,
                           qs(title));
                p.setPen(QPen(kRule, 0.6));
                p.drawLine(QPointF(r.left(), r.top() + 23), QPointF(r.right(), r.top() + 23));
            },
            true};
}

Block paragraphBlock(const std::string& text, double points, QPaintDevice* device, double indent = 0) {
    const QFont f = font(points);
    const QString t = qs(text);
    const double h = wrappedHeight(f, t, kBodyWidth - indent, device) + 4;
    return {h, [f, t, indent](QPainter& p, const QRectF& r) {
                p.setFont(f);
                p.setPen(kInk);
                p.drawText(QRectF(r.left() + indent, r.top() + 2, r.width() - indent, r.height()),
                           Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, t);
            }};
}

// A table of texts: headings on a tinted row, then the rows; `widths` in points, `right[c]`
// right-aligns column c. Texts too wide for their column are cut with "…".
Block tableBlock(std::vector<std::string> headings, std::vector<std::vector<std::string>> rows,
                 std::vector<double> widths, std::vector<bool> right, double points = 8) {
    constexpr double kRow = 15;
    const double h = kRow * static_cast<double>(rows.size() + 1) + 2;
    return {h, [=](QPainter& p, const QRectF& r) {
                p.setFont(font(points));
                const QFontMetricsF fm(p.font());
                auto row = [&](const std::vector<std::string>& cells, double y, bool head) {
                    if (head) {
                        p.setPen(Qt::NoPen);
                        p.setBrush(kHeadFill);
                        p.drawRect(QRectF(r.left(), y, r.width(), kRow));
                        p.setBrush(Qt::NoBrush);
                    }
                    double x = r.left();
                    for (std::size_t c = 0; c < cells.size() && c < widths.size(); ++c) {
                        const QRectF cell(x + 3, y, widths[c] - 6, kRow);
                        p.setPen(kInk);
                        const Qt::Alignment align =
                            (!head && c < right.size() && right[c] ? Qt::AlignRight : Qt::AlignLeft) |
                            Qt::AlignVCenter;
                        p.drawText(cell, align, fm.elidedText(qs(cells[c]), Qt::ElideRight, cell.width()));
                        x += widths[c];
                    }
                    p.setPen(QPen(kGrid, 0.5));
                    p.drawLine(QPointF(r.left(), y + kRow), QPointF(r.right(), y + kRow));
                };
                row(headings, r.top(), true);
                for (std::size_t i = 0; i < rows.size(); ++i)
                    row(rows[i], r.top() + kRow * static_cast<double>(i + 1), false);
            }};
}

std::vector<Block> reportBlocks(const SiteReport& report, QPaintDevice* device) {
    std::vector<Block> blocks;
    blocks.push_back(
        {static_cast<double>(report.heading.size()) * 15 + 40,
         [&report](QPainter& p, const QRectF& r) { drawHeadingBlock(p, r, kReportTitle, report.heading); }});

    blocks.push_back(titleBlock("現在の契約と、契約できる安いメニュー（年間）"));
    if (!report.rankingCondition.empty())
        blocks.push_back(paragraphBlock("比べたメニュー：" + report.rankingCondition, 8, device));
    std::vector<std::vector<std::string>> rows;
    const auto add = [&](const MenuLine& m) {
        rows.push_back({m.role, m.name, yenText(m.total), yenText(m.withTax), m.taxText,
                        m.partial ? std::string("一部の期間のみ") : yenText(m.difference)});
    };
    if (report.current)
        add(*report.current);
    for (const MenuLine& m : report.cheapest)
        add(m);
    if (rows.empty())
        blocks.push_back(paragraphBlock("比べられるメニューがありません。", 9, device));
    else
        blocks.push_back(tableBlock({"", "メニュー", "年間合計", "消費税込み", "税", "最安との差"}, rows,
                                    {72, 181, 72, 78, 44, 68}, {false, false, true, true, false, true}));

    if (report.bills) {
        const BillTable& bills = *report.bills;
        blocks.push_back(titleBlock(bills.caption));
        std::vector<double> widths = bills.widths;
        if (widths.size() != bills.headings.size())
            widths.assign(bills.headings.size(),
                          kBodyWidth / static_cast<double>(std::max<std::size_t>(1, bills.headings.size())));
        std::vector<bool> right(bills.headings.size(), true);
        if (!right.empty())
            right[0] = false;
        blocks.push_back(tableBlock(bills.headings, bills.rows, widths, right, 7));
        if (!bills.note.empty())
            blocks.push_back(paragraphBlock(bills.note, 7.5, device));
    }

    const calc::ResultChartData& data = report.charts;
    blocks.push_back(titleBlock(calc::kMonthlyChartTitle));
    blocks.push_back({230, [&data](QPainter& p, const QRectF& r) { drawMonthlyChart(p, r, data); }});
    blocks.push_back(titleBlock("月別最大電力と契約電力"));
    if (data.hourly)
        blocks.push_back({200, [&data](QPainter& p, const QRectF& r) { drawPeakChart(p, r, data); }});
    else
        blocks.push_back(paragraphBlock(calc::kNoHourlyReadings, 9, device));

    blocks.push_back(titleBlock("前提"));
    for (const std::string& line : report.assumptions)
        blocks.push_back(paragraphBlock("・" + line, 8.5, device, 4));
    return blocks;
}

// Pages as lists of block indexes: a block goes onto the next page when it does not fit, a
// section title with the block after it.
std::vector<std::vector<std::size_t>> paginate(const std::vector<Block>& blocks) {
    const double room = kPageHeight - kTop - kBottom;
    std::vector<std::vector<std::size_t>> pages(1);
    double used = 0;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        double need = blocks[i].height;
        if (blocks[i].keepWithNext && i + 1 < blocks.size())
            need += blocks[i + 1].height;
        if (used > 0 && used + need > room) {
            pages.emplace_back();
            used = 0;
        }
        pages.back().push_back(i);
        used += blocks[i].height + 4;
    }
    return pages;
}

} // namespace

double drawHeadingBlock(QPainter& p, const QRectF& area, const std::string& title,
                        const std::vector<std::pair<std::string, std::string>>& lines) {
    p.setPen(kInk);
    p.setFont(font(18, true));
    p.drawText(QRectF(area.left(), area.top(), area.width(), 26), Qt::AlignLeft | Qt::AlignVCenter,
               qs(title));
    p.setPen(QPen(kInk, 1.2));
    p.drawLine(QPointF(area.left(), area.top() + 30), QPointF(area.right(), area.top() + 30));
    p.setFont(font(9));
    double y = area.top() + 36;
    for (const auto& [label, value] : lines) {
        p.setPen(QColor(0x50, 0x50, 0x50));
        p.drawText(QRectF(area.left(), y, 90, 15), Qt::AlignLeft | Qt::AlignVCenter, qs(label));
        p.setPen(kInk);
        p.drawText(QRectF(area.left() + 90, y, area.width() - 90, 15), Qt::AlignLeft | Qt::AlignVCenter,
                   qs(value));
        y += 15;
    }
    return y - area.top();
}

void drawPageFoot(QPainter& p, const QRectF& page, const std::string& site, const std::string& made,
                  int pageNumber, int pages) {
    const double y = page.bottom() - 40;
    p.setPen(QPen(kRule, 0.5));
    p.drawLine(QPointF(page.left() + kLeft, y), QPointF(page.right() - kRight, y));
    p.setPen(kInk);
    p.setFont(font(8));
    const QRectF line(page.left() + kLeft, y + 4, page.width() - kLeft - kRight, 14);
    p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, qs(site));
    p.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter, qs("作成日 " + made));
    p.drawText(line, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("%1 / %2").arg(pageNumber).arg(pages));
}

void drawMonthlyChart(QPainter& p, const QRectF& area, const calc::ResultChartData& data) {
    p.save();
    std::vector<std::pair<QString, QColor>> legend;
    for (const calc::MonthlyBandSeries& s : data.monthly)
        legend.emplace_back(qs(s.name), colourOf(s.colour));
    drawLegend(p, area.topLeft(), legend);
    const QRectF body = area.adjusted(0, 16, 0, 0);
    double scale = 0;
    const QRectF plot = drawMonthAxes(p, body, data.monthlyMax, QStringLiteral("kWh"), &scale);
    const double slot = plot.width() / 12;
    p.setPen(Qt::NoPen);
    for (int m = 0; m < 12; ++m) {
        double base = plot.bottom();
        for (const calc::MonthlyBandSeries& s : data.monthly) {
            const double h = std::max(0.0, s.kwh[static_cast<std::size_t>(m)]) * scale;
            p.setBrush(colourOf(s.colour));
            p.drawRect(QRectF(plot.left() + m * slot + slot * 0.18, base - h, slot * 0.64, h));
            base -= h;
        }
    }
    p.restore();
}

void drawPeakChart(QPainter& p, const QRectF& area, const calc::ResultChartData& data) {
    p.save();
    const QColor bar(0x3a, 0x6e, 0xa5);
    const QColor contract(0xc0, 0x39, 0x2b);
    drawLegend(p, area.topLeft(), {{QStringLiteral("最大電力（1 時間の使用量）"), bar}});
    if (data.contract > 0)
        drawLegend(p, area.topLeft() + QPointF(190, 0),
                   {{qs("契約電力 " + wholeText(data.contract) + " kW"), contract}}, true);
    const QRectF body = area.adjusted(0, 16, 0, 0);
    double scale = 0;
    const QRectF plot = drawMonthAxes(p, body, data.peakMax, QStringLiteral("kW"), &scale);
    const double slot = plot.width() / 12;
    p.setFont(font(6));
    for (int m = 0; m < 12; ++m) {
        const double v = std::max(0.0, data.peakDemand[static_cast<std::size_t>(m)]);
        const QRectF r(plot.left() + m * slot + slot * 0.22, plot.bottom() - v * scale, slot * 0.56,
                       v * scale);
        p.setPen(Qt::NoPen);
        p.setBrush(bar);
        p.drawRect(r);
        p.setPen(kInk);
        p.drawText(QRectF(r.left() - 6, r.top() - 10, r.width() + 12, 9), Qt::AlignCenter, qs(wholeText(v)));
    }
    if (data.contract > 0) {
        const double y = plot.bottom() - data.contract * scale;
        p.setPen(QPen(contract, 1.2, Qt::DashLine));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    p.restore();
}

std::string siteReportPdf(const SiteReport& report) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly))
        return {};
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(72); // painter units are points
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        writer.setTitle(qs(std::string(kReportTitle) + "　" + report.siteName));
        writer.setCreator(QStringLiteral("ワットリオ"));
        const std::vector<Block> blocks = reportBlocks(report, &writer);
        const std::vector<std::vector<std::size_t>> pages = paginate(blocks);
        QPainter painter;
        if (!painter.begin(&writer))
            return {};
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF page(0, 0, kPageWidth, kPageHeight);
        for (std::size_t n = 0; n < pages.size(); ++n) {
            if (n > 0 && !writer.newPage())
                return {};
            double y = kTop;
            for (std::size_t i : pages[n]) {
                blocks[i].draw(painter, QRectF(kLeft, y, kBodyWidth, blocks[i].height));
                y += blocks[i].height + 4;
            }
            drawPageFoot(painter, page, report.siteName, report.made, static_cast<int>(n + 1),
                         static_cast<int>(pages.size()));
        }
        if (!painter.end())
            return {};
    }
    std::string pdf(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    mendCharacterMaps(pdf);
    return pdf;
}

Status writeSiteReportPdf(const SiteReport& report, const std::string& path) {
    const std::string bytes = siteReportPdf(report);
    if (bytes.empty())
        return Error{"PDFファイルを作成できません。"};
    return saveFileAtomically(path, bytes);
}

} // namespace wattorio::sitereport
