// Interval data files placed by their own dates: the twelve real monthly files of one household,
// and small files of the other layouts.

#include "csvimport/interval_import.h"

#include "app/sjis.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

using namespace wattorio;
using namespace wattorio::csvimport;

namespace {

constexpr int kDaysBefore[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

std::string camsl(int month) {
    char name[64];
    std::snprintf(name, sizeof name, "/camsl_140/2018%02d.csv", month);
    return std::string(WATTORIO_REALDATA_DIR) + name;
}

// Hour sums (kWh) of a camsl file, read with a plain split: "YYYY-MM-DD HH:MM:SS,hour,Wh".
void addHourSums(const std::string& bytes, std::map<std::pair<int, int>, double>& sums) {
    std::istringstream in(bytes);
    std::string line;
    while (std::getline(in, line)) {
        int y, m, d, hh, mm, ss;
        double hour, wh;
        if (std::sscanf(line.c_str(), "%d-%d-%d %d:%d:%d,%lf,%lf", &y, &m, &d, &hh, &mm, &ss, &hour, &wh) ==
            8)
            sums[{kDaysBefore[m] + d, hh}] += wh / 1000;
    }
}

IntervalImportOptions camslOptions() {
    IntervalImportOptions o;
    o.read.unit = EnergyUnit::Wh;
    o.read.column = 3;
    return o;
}

std::map<std::pair<int, int>, double> placed(const IntervalImport& r) {
    std::map<std::pair<int, int>, double> m;
    for (const PlacedHour& h : r.hours)
        m[{h.row, h.hour}] = h.value;
    return m;
}

TEST(IntervalImport, TwelveRealMonthlyFilesInOneGoEveryHourRight) {
    std::vector<std::string> paths;
    std::map<std::pair<int, int>, double> expected;
    for (int m = 1; m <= 12; ++m) {
        paths.push_back(camsl(m));
        addHourSums(test::readAll(paths.back()), expected);
    }
    ASSERT_EQ(expected.size(), 8760u);
    int progressCalls = 0;
    Result<IntervalImport> r = readIntervalImport(paths, camslOptions(), [&](int, int) { ++progressCalls; });
    ASSERT_TRUE(r) << r.error().message;
    EXPECT_EQ(progressCalls, 12);
    const auto got = placed(*r);
    ASSERT_EQ(got.size(), expected.size());
    for (const auto& [key, kwh] : expected)
        ASSERT_NEAR(got.at(key), kwh, 1e-9) << key.first << " " << key.second;
    const IntervalSummary& s = r->summary;
    EXPECT_EQ(s.intervalMinutes, 30);
    EXPECT_EQ(s.timesAre, "starts");
    EXPECT_EQ(s.firstDate, "2018-01-01");
    EXPECT_EQ(s.lastDate, "2018-12-31");
    EXPECT_EQ(s.hoursPlaced, 8760);
    EXPECT_EQ(s.hoursMissing + s.rejected + s.duplicates + s.feb29LeftOut, 0);
    const std::string json = summaryJson(s);
    for (const char* field :
         {"\"files\": [", "\"interval_minutes\": 30", "\"times_are\": \"starts\"",
          "\"first_date\": \"2018-01-01\"", "\"hours_placed\": 8760", "\"hours_missing\": 0",
          "\"feb29_left_out\": 0", "\"duplicates\": 0", "\"rejected\": 0",
          "\"monthly_max_demand_kw\": [null, ", "\"monthly_max_demand_at\": [null, \""})
        EXPECT_NE(json.find(field), std::string::npos) << field;
}

TEST(IntervalImport, AGapLeavesOnlyThatHourMissingAndTheMultiplierDivides) {
    std::vector<std::pair<std::string, std::string>> files;
    std::map<std::pair<int, int>, double> expected;
    for (int m = 5; m <= 7; ++m) {
        std::string bytes = test::readAll(camsl(m));
        if (m == 6) {
            const std::size_t at = bytes.find("2018-06-15 13:30:00");
            ASSERT_NE(at, std::string::npos);
            bytes.erase(at, bytes.find('\n', at) + 1 - at);
        }
        addHourSums(bytes, expected);
        files.emplace_back(camsl(m), bytes);
    }
    IntervalImportOptions o = camslOptions();
    o.multiplier = 40;
    Result<IntervalImport> r = readIntervalImportData(files, o);
    ASSERT_TRUE(r) << r.error().message;
    const auto got = placed(*r);
    EXPECT_EQ(r->summary.hoursMissing, 1);
    ASSERT_EQ(r->summary.missingHourNotes.size(), 1u);
    EXPECT_EQ(r->summary.missingHourNotes[0], "6月15日 13時");
    EXPECT_EQ(got.count({kDaysBefore[6] + 15, 13}), 0u);
    EXPECT_EQ(got.size(), expected.size() - 1);
    for (const auto& [key, kwh] : expected)
        if (key != std::pair{kDaysBefore[6] + 15, 13}) {
            ASSERT_NEAR(got.at(key), kwh / 40, 1e-12);
        }
}

std::string sjis(const std::string& utf8) {
    std::string out;
    toCp932(utf8, out);
    return out;
}

std::string hm(int minutes) {
    char b[32];
    std::snprintf(b, sizeof b, "%d:%02d", minutes / 60, minutes % 60);
    return b;
}

// One day of n values in one row: value k = k + 1.
std::string dayRow(const std::string& date, int n, const std::string& sep = ",") {
    std::string row = date;
    for (int k = 0; k < n; ++k)
        row += sep + std::to_string(k + 1);
    return row;
}

struct Case {
    const char* name;
    std::vector<std::string> files;
    IntervalReadOptions read;
    int interval;
    const char* timesAre;
    long placed, missing, rejected, duplicates, feb29;
    std::vector<PlacedHour> checks; // row, hour, kWh
};

TEST(IntervalImport, LayoutsUnitsAndRefusalsFromTheFileItself) {
    // 48 half hours a day with a heading of ranges (both wave dashes), Shift_JIS, CR LF.
    std::string heading48 = "日付";
    for (int k = 0; k < 48; ++k)
        heading48 += "," + hm(k * 30) + (k % 2 ? "〜" : "～") + hm(k * 30 + 30);
    const std::string perDay48 = sjis("需要実績 kWh\r\n" + heading48 + "\r\n" + dayRow("2024/4/1", 48) +
                                      "\r\n" + dayRow("2024/4/2", 48) + "\r\n合計,1,2\r\n");
    // Interval ends in two fields, kW, UTF-8 with a byte-order mark: 0:30 .. 24:00.
    std::string ends = "\xEF\xBB\xBF日付,時刻,電力(kW)\n";
    for (int k = 1; k <= 48; ++k)
        ends += "2019/1/1," + hm(k * 30) + ",4\n";
    // Interval starts in one field, 15 minutes, over 28/29 February with Wh chosen; one value "NA".
    std::string quarter = "datetime,value\n";
    for (int day : {28, 29})
        for (int k = 0; k < 96; ++k)
            quarter += "2024-02-" + std::to_string(day) + " " + (k < 40 ? "0" : "") + hm(k * 15) + ":00," +
                       (day == 28 && k == 5 ? "NA" : "250") + "\n";
    // 24 hourly values a day, YYYYMMDD, quoted fields, with hostile values.
    std::string hostile = "\"20230101\"";
    for (int h = 0; h < 24; ++h)
        hostile += std::string(",\"") + (h == 3 ? "-1" : h == 4 ? "inf" : h == 5 ? "x" : "1,000") + "\"";
    hostile += "\n" + dayRow("20230102", 24) + "\n" + dayRow("20300101", 24) + "\n";
    // The same interval twice: once with the same value, once with another.
    const std::string twiceA = "2020/3/1 0:00,1\n2020/3/1 0:30,1\n2020/3/1 1:00,1\n2020/3/1 1:30,1\n";
    const std::string twiceB = "2020/3/1 0:00,1\n2020/3/1 0:30,1\n2020/3/1 1:00,5\n";

    // A column that repeats the time (hour of day, interval number) comes before the value.
    std::string hourColumn, slotColumn;
    for (int k = 0; k < 48; ++k) {
        hourColumn += "2018-01-01 " + std::string(k < 20 ? "0" : "") + hm(k * 30) + ":00," +
                      std::to_string(k / 2) + (k % 2 ? ".5" : ".0") + ",500\n";
        slotColumn += "2024/10/01," + hm(k * 30) + "," + std::to_string(k + 1) + ",2\n";
    }

    const std::vector<Case> cases = {
        {"hour column Wh",
         {hourColumn},
         {EnergyUnit::Wh, 0},
         30,
         "starts",
         24,
         0,
         0,
         0,
         0,
         {{1, 0, 1}, {1, 23, 1}}},
        {"slot column", {slotColumn}, {}, 30, "starts", 24, 0, 0, 0, 0, {{274, 0, 4}, {274, 23, 4}}},
        {"per day 48", {perDay48}, {}, 30, "starts", 48, 0, 0, 0, 0, {{91, 0, 3}, {92, 23, 95}}},
        {"ends kW", {ends}, {}, 30, "ends", 24, 0, 0, 0, 0, {{1, 0, 4}, {1, 23, 4}}},
        {"quarter Wh",
         {quarter},
         {EnergyUnit::Wh, 0},
         15,
         "starts",
         23,
         1,
         0,
         0,
         24,
         {{59, 0, 1}, {59, 23, 1}}},
        {"hostile", {hostile}, {}, 60, "starts", 45, 3, 27, 0, 0, {{1, 0, 1000}, {1, 23, 1000}, {2, 5, 6}}},
        {"twice", {twiceA, twiceB}, {}, 30, "starts", 1, 23, 1, 2, 0, {{60, 0, 2}}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<std::string, std::string>> files;
        for (std::size_t i = 0; i < c.files.size(); ++i)
            files.emplace_back("f" + std::to_string(i) + ".csv", c.files[i]);
        IntervalImportOptions o;
        o.read = c.read;
        Result<IntervalImport> r = readIntervalImportData(files, o);
        ASSERT_TRUE(r) << c.name << ": " << r.error().message;
        const IntervalSummary& s = r->summary;
        EXPECT_EQ(s.intervalMinutes, c.interval) << c.name;
        EXPECT_EQ(s.timesAre, c.timesAre) << c.name;
        EXPECT_EQ(s.hoursPlaced, c.placed) << c.name;
        EXPECT_EQ(s.hoursMissing, c.missing) << c.name;
        EXPECT_EQ(s.rejected, c.rejected) << c.name;
        EXPECT_EQ(s.duplicates, c.duplicates) << c.name;
        EXPECT_EQ(s.feb29LeftOut, c.feb29) << c.name;
        const auto got = placed(*r);
        for (const PlacedHour& h : c.checks) {
            ASSERT_TRUE(got.count({h.row, h.hour})) << c.name << " " << h.row << " " << h.hour;
            EXPECT_DOUBLE_EQ(got.at({h.row, h.hour}), h.value) << c.name << " " << h.row << " " << h.hour;
        }
    }
}

TEST(IntervalImport, DemandPerMonthAndUnreadableFilesPlaceNothing) {
    std::string file;
    for (int k = 0; k < 48; ++k)
        file += "2021-07-10 " + hm(k * 30) + "," + (k == 27 ? "60" : "10") + "\n";
    Result<IntervalImport> r = readIntervalImportData({{"a.csv", file}}, {});
    ASSERT_TRUE(r);
    EXPECT_DOUBLE_EQ(*r->summary.monthlyMaxDemandKw[7], 120);
    EXPECT_EQ(r->summary.monthlyMaxDemandAt[7], "10日 13:30");
    EXPECT_FALSE(r->summary.monthlyMaxDemandKw[6].has_value());

    for (const std::string& bad :
         {std::string("no dates here\n1,2,3\n"),
          std::string("2021/1/1 0:00,1\n2021/1/1 0:20,1\n2021/1/1 0:40,1\n"),
          std::string("2021/1/1") + std::string(kMaxIntervalLineBytes + 10, ',') + "\n",
          dayRow("2021/1/1", 20)}) {
        Result<IntervalImport> e = readIntervalImportData({{"a.csv", file}, {"b.csv", bad}}, {});
        EXPECT_FALSE(e) << bad.substr(0, 30);
        if (!e) {
            EXPECT_EQ(e.error().message.rfind("b.csv: ", 0), 0u) << e.error().message;
        }
    }
}

} // namespace
