// report-pdf run as a user would on the demo folder: the PDF's text (poppler's pdftotext) holds the
// site and the very amounts price and compare print for the same menu; the refusals.

#include "cli_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {

using namespace wattorio;
using test::cli;

// The text without blanks: pdftotext places words by position, so blanks between them vary.
std::string squeezed(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    text.erase(std::remove(text.begin(), text.end(), '\t'), text.end());
    return text;
}

std::string textOf(const std::string& pdf) {
    std::string read;
    if (FILE* pipe = ::popen(("pdftotext -layout '" + pdf + "' -").c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            read.append(buffer, n);
        ::pclose(pipe);
    }
    return squeezed(read);
}

TEST(ReportPdfCli, ThePdfHoldsTheSiteAndTheAmountsTheOtherCommandsPrint) {
    if (std::system("pdftotext -v >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "poppler-utils (pdftotext) is not installed";
    test::TempDir dir;
    test::copyDemoFolder(dir);
    const std::string pdf = dir.file("本社.pdf");
    const test::CliRun made = cli(dir.path(), "report-pdf --site 1 --menu 42:0 --out '" + pdf + "'", true);
    if (made.status == 2 && made.out.find("WATTORIO_GUI") != std::string::npos)
        GTEST_SKIP() << "report-pdf needs the build with the windows";
    ASSERT_EQ(made.status, 0) << made.out;
    const std::string read = textOf(pdf);
    // price prints the panel: its total and total with tax are in the report, as are the menus of
    // compare's ranking (two for this site).
    const std::string price = cli(dir.path(), "price --site 1 --menu 42:0").out;
    // The demo site is 高圧 and 事務所・ビル・店舗 under 500 kW: it can sign the ③ office menus.
    const std::string compare = cli(dir.path(), "compare --site 1 --category office --voltage 3").out;
    std::vector<std::string> wanted{"本社ビル（事務所）", "21,650,179円", "22,732,687円"};
    for (int rank = 1; rank <= 2; ++rank) {
        // A ranking line: "   1  東京電力 ... 18,028,013 円 ..." — its amount with tax is the fifth yen
        // figure.
        const std::string line = "\n   " + std::to_string(rank) + "  ";
        const std::size_t at = compare.find(line);
        ASSERT_NE(at, std::string::npos) << compare;
        std::size_t pos = at;
        for (int k = 0; k < 3; ++k)
            pos = compare.find(" 円", pos) + 1;
        const std::size_t end = compare.find(" 円", pos);
        const std::size_t start = compare.rfind(' ', end - 1) + 1;
        wanted.push_back(compare.substr(start, end - start) + "円");
    }
    EXPECT_NE(price.find("21,650,179 円"), std::string::npos) << price;
    for (const std::string& w : wanted)
        EXPECT_NE(read.find(w), std::string::npos) << w;

    // With a tariff file: the monthly bills of bill, their total and a recorded invoice.
    ASSERT_EQ(
        cli(dir.path(),
            "invoice --site 1 --month 2025-06 --kwh 1 --max-demand 1 --power-factor 98 --amount 2500000")
            .status,
        0);
    const std::string dated = dir.file("dated.pdf");
    ASSERT_EQ(cli(dir.path(),
                  "report-pdf --site 1 --tariff example_seasonal_time_of_use.json --out '" + dated + "'")
                  .status,
              0);
    const std::string bill = cli(dir.path(), "bill --site 1 --tariff example_seasonal_time_of_use.json").out;
    const std::size_t total = bill.find("\n合計\t");
    ASSERT_NE(total, std::string::npos) << bill;
    std::vector<std::string> fields;
    for (std::size_t at = total + 1, tab; fields.size() < 7; at = tab + 1) {
        tab = bill.find('\t', at);
        fields.push_back(bill.substr(at, tab - at));
    }
    const std::string datedText = textOf(dated);
    for (const std::string& w :
         {fields[4], fields[6] + "円", std::string("2,500,000"), std::string("月別請求額")})
        EXPECT_NE(datedText.find(w), std::string::npos) << w;

    // Refused: no .pdf name, an existing file without --overwrite, a bad menu.
    const struct {
        std::string args;
        int status;
    } refusals[] = {
        {"report-pdf --site 1 --out '" + dir.file("x.dat") + "'", 1},
        {"report-pdf --site 1 --out '" + pdf + "'", 2},
        {"report-pdf --site 1 --menu 99:0 --out '" + dir.file("y.pdf") + "'", 1},
    };
    for (const auto& r : refusals)
        EXPECT_EQ(cli(dir.path(), r.args).status, r.status) << r.args;
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.dat")));
    EXPECT_EQ(cli(dir.path(), "report-pdf --site 1 --menu 42:0 --overwrite --out '" + pdf + "'").status, 0);
}

} // namespace
