// The site report and the charts' PDF read back as a reader sees them (poppler's pdftotext and
// pdfimages): the site, the amounts the results form shows, the page feet, text that copies as
// the characters drawn, and no picture of anything. Pages are rendered under
// /tmp/wattorio-compare-shots/ (pdftoppm) to be looked at.

#include "calc/charts_window.h"
#include "calc/total_form.h"
#include "compare_fixture.h"
#include "sitereport/site_report.h"
#include "sitereport/site_report_pdf.h"
#include "support/temp_dir.h"
#include "ui/prompt.h"

#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

using namespace wattorio;

namespace {

bool havePoppler() {
    return std::system("pdftotext -v >/dev/null 2>&1") == 0;
}

std::string run(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// pdftotext's text of the file without blanks (it places words by their positions, so the
// blanks between them vary), and the number of pictures pdfimages finds in it.
std::string squeezed(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}
std::string pdfText(const std::string& path) {
    return squeezed(run("pdftotext -layout '" + path + "' -"));
}
int pictures(const std::string& path) {
    const std::string list = run("pdfimages -list '" + path + "'");
    return static_cast<int>(std::count(list.begin(), list.end(), '\n')) - 2; // two heading lines
}

const std::time_t kMade = 1765281600; // 2025-12-09

} // namespace

class SiteReportTest : public QObject {
    Q_OBJECT

private slots:
    void theReportHoldsWhatTheScreensShow() {
        if (!havePoppler())
            QSKIP("poppler-utils (pdftotext) is not installed");
        AppState state;
        QVERIFY(test::setUpRealSite(state, 1));
        state.SiteTable[1][8] = "Y2019";
        calc::TotalForm form(state);
        QVERIFY(form.Form_Load());
        ui::QueuedPrompter prompter;
        QVERIFY(form.ApplyTariffMenu(42, 0, prompter));

        const sitereport::SiteReport report = sitereport::buildSiteReport({&state, &form, true, kMade});
        QVERIFY(report.current);
        QCOMPARE(report.current->total, form.total());
        QCOMPARE(report.cheapest.size(), std::size_t{3});
        QVERIFY(report.cheapest[0].withTax <= report.cheapest[2].withTax);

        test::TempDir dir;
        const std::string path = dir.file("report.pdf");
        QVERIFY(sitereport::writeSiteReportPdf(report, path));
        const std::string text = pdfText(path);
        const int pages = std::stoi(run("pdfinfo '" + path + "' | sed -n 's/^Pages: *//p'"));
        QVERIFY(pages >= 1);
        // Site, period, version, the panel's total and the ranking's amounts, the page feet; text
        // that copies as drawn (力, not the radical ⼒); nothing drawn as an image.
        std::vector<std::string> wanted{"物件レポート", "研究棟Ｂ２１", "2019年1月1日〜2019年12月31日",
                                        "東京電力", "作成日 2025年12月9日", form.text("Label20"),
                                        "1 / " + std::to_string(pages), std::to_string(pages) + " / " + std::to_string(pages)};
        for (const sitereport::MenuLine& m : report.cheapest)
            wanted.push_back(sitereport::yenText(m.withTax));
        for (const std::string& w : wanted)
            QVERIFY2(text.find(squeezed(w)) != std::string::npos, w.c_str());
        QVERIFY(text.find("⼒") == std::string::npos);
        QCOMPARE(pictures(path), 0);
        std::system(("pdftoppm -r 60 -png '" + path + "' '" + test::shotPath("site-report").toStdString() + "'").c_str());
    }

    void theChartsPdfIsDrawnAsVectorsUnderAHeading() {
        if (!havePoppler())
            QSKIP("poppler-utils (pdftotext) is not installed");
        AppState state;
        QVERIFY(test::setUpRealSite(state, 1));
        ui::QueuedPrompter prompter;
        calc::ResultCharts charts(prompter);
        charts.resize(900, 560);
        charts.refresh(state, true);
        test::TempDir dir;
        const std::string path = dir.file("charts.pdf");
        writeFile(path, charts.vectorPdf(kMade));
        const std::string text = pdfText(path);
        for (const char* w : {"研究棟Ｂ２１", "作成日 2025年12月9日", "1 / 1", "月別電力量"})
            QVERIFY2(text.find(squeezed(w)) != std::string::npos, w);
        QCOMPARE(pictures(path), 0);
        std::system(("pdftoppm -r 60 -png '" + path + "' '" + test::shotPath("charts-pdf").toStdString() + "'").c_str());
    }
};

QTEST_MAIN(SiteReportTest)
#include "site_report_test.moc"
