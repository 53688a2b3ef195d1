#pragma once
// The site report as an A4 portrait PDF made by Qt's own PDF writer: text laid out and drawn as
// text (a reader can search and copy it), the pictures drawn as lines and areas, never as an
// image. Every page carries the site's name, the date made and "n / N" at its foot.

#include "app/result.h"
#include "calc/result_charts.h"
#include "sitereport/site_report.h"

#include <string>
#include <vector>

class QPainter;
class QRectF;

namespace wattorio::sitereport {

// The report as PDF bytes; "" when the writer failed.
std::string siteReportPdf(const SiteReport& report);
// The same written to `path` in one step (saveFileAtomically).
Status writeSiteReportPdf(const SiteReport& report, const std::string& path);

// Mends the character maps of a PDF made by Qt's writer so that a reader copies the characters
// that were drawn (see the .cpp); lengths and offsets stay as they are.
void mendCharacterMaps(std::string& pdf);

// The pictures, drawn into `area` of any painter (the charts window's PDF uses them too).
void drawMonthlyChart(QPainter& painter, const QRectF& area, const calc::ResultChartData& data);
void drawPeakChart(QPainter& painter, const QRectF& area, const calc::ResultChartData& data);

// The foot of a page: site name at the left, "作成日 …" in the middle, "n / N" at the right, under
// a thin rule, inside the bottom of `page`.
void drawPageFoot(QPainter& painter, const QRectF& page, const std::string& site, const std::string& made,
                  int pageNumber, int pages);

// The lines of a heading block ("label　value"), drawn from the top of `area`; returns the height used.
double drawHeadingBlock(QPainter& painter, const QRectF& area, const std::string& title,
                        const std::vector<std::pair<std::string, std::string>>& lines);

} // namespace wattorio::sitereport
