// Public hourly data files that this program did not write, imported with the settings a user
// would enter; every placed value is checked against the file as an independent split reads it.

#include "csvimport/csv_import.h"

#include "app/numtext.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

using namespace wattorio;
using namespace wattorio::csvimport;

namespace {

std::string realFile(const std::string& name) {
    return std::string(WATTORIO_REALDATA_DIR) + "/" + name;
}

// The file's lines (LF or CR LF) split at every comma.
std::vector<std::vector<std::string>> splitFile(const std::string& path) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(test::readAll(path));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = line.find(',', start);
            fields.push_back(
                line.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        rows.push_back(std::move(fields));
    }
    return rows;
}

TextGrid bookGrid() {
    return TextGrid(366, 28, 1, 3);
}

} // namespace

TEST(RealData, TepcoAreaDemand2019Vertical) {
    const std::string path = realFile("tepco_juyo-2019.csv");
    const auto rows = splitFile(path);
    ASSERT_EQ(rows.size(), 3u + 8760u);
    TextGrid grid = bookGrid();
    // vertical, skip 3, column 3, from 1月1日, 365 days
    auto r = importCsv(path, {CsvLayout::Vertical, 3, 3, 1, 1, 365}, grid);
    ASSERT_TRUE(r) << r.error().message;
    EXPECT_EQ(r->end, CsvEnd::Complete);
    EXPECT_EQ(r->valuesPlaced, 8760);
    for (int day = 1; day <= 365; ++day)
        for (int h = 0; h < 24; ++h)
            ASSERT_EQ(grid.text(day, h + 4), rows[3 + (day - 1) * 24 + h][2]) << day << " " << h;
    EXPECT_EQ(grid.text(1, 4), "3017");
    EXPECT_EQ(grid.text(365, 27), "3029");
    EXPECT_EQ(val(grid.text(365, 27)), 3029);
}

TEST(RealData, CambridgeBuilding2019Vertical) {
    const std::string path = realFile("ucam_building_b21_electricity_2019.csv");
    const auto rows = splitFile(path);
    ASSERT_EQ(rows.size(), 1u + 8760u);
    TextGrid grid = bookGrid();
    // vertical, skip 1, column 2, from 1月1日, 365 days
    auto r = importCsv(path, {CsvLayout::Vertical, 1, 2, 1, 1, 365}, grid);
    ASSERT_TRUE(r) << r.error().message;
    EXPECT_EQ(r->end, CsvEnd::Complete);
    double peak = 0;
    for (int day = 1; day <= 365; ++day)
        for (int h = 0; h < 24; ++h) {
            const std::string& cell = grid.text(day, h + 4);
            ASSERT_EQ(cell, rows[1 + (day - 1) * 24 + h][1]) << day << " " << h;
            peak = std::max(peak, val(cell));
        }
    EXPECT_EQ(grid.text(1, 4), "108.1");
    EXPECT_EQ(peak, 1131);
    // 26 April (row 116) 02:00, during the meter fault.
    EXPECT_EQ(grid.text(116, 6), "14.8");
}

TEST(RealData, Gefcom2012LoadHorizontal) {
    const std::string path = realFile("gefcom2012_Load_solution.csv");
    const auto rows = splitFile(path);
    ASSERT_EQ(rows.size(), 1u + 1323u);
    TextGrid grid = bookGrid();
    // horizontal, skip 1, column 6: 365 lines from 1月1日, the trailing weight ignored.
    auto r = importCsv(path, {CsvLayout::Horizontal, 1, 6, 1, 1, 365}, grid);
    ASSERT_TRUE(r) << r.error().message;
    EXPECT_EQ(r->end, CsvEnd::Complete);
    for (int day = 1; day <= 365; ++day)
        for (int h = 0; h < 24; ++h)
            ASSERT_EQ(grid.text(day, h + 4), rows[day][5 + h]) << day << " " << h;
    EXPECT_EQ(grid.text(1, 4), "19964");
    EXPECT_EQ(grid.text(1, 27), "15146");

    // The last 21 lines (the 21 zones of the last date) from 12月11日 for 30 days: the file ends
    // after 21 days, which are placed.
    TextGrid tail = bookGrid();
    r = importCsv(path, {CsvLayout::Horizontal, 1 + 1302, 6, 12, 11, 30}, tail);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->end, CsvEnd::EndOfFile);
    EXPECT_EQ(r->daysPlaced, 21);
    EXPECT_EQ(tail.text(345 + 20, 4), "1401629");
    EXPECT_EQ(tail.text(345, 4), rows[1303][5]);
}
