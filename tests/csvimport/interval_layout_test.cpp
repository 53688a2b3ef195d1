// Interval files whose first row, one odd row or a note line would mislead a reader that looks at
// too little: the column, the unit, starts or ends and the width of a row come from the whole file.
// And the bounds of one file and of the set, each at the limit itself.

#include "csvimport/interval_import.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

using namespace wattorio;
using namespace wattorio::csvimport;

namespace {

std::string hm(int minutes) {
    char b[16];
    std::snprintf(b, sizeof b, "%d:%02d", minutes / 60, minutes % 60);
    return b;
}

// Rows "DATE H:MM,<fields k>" for the half hours [from, to) of each date; k counts from 0 at 0:00.
std::string halfHours(const std::vector<std::string>& dates, int from, int to,
                      const std::function<std::string(int)>& fields) {
    std::string out;
    for (const std::string& d : dates)
        for (int k = from; k < to; ++k)
            out += d + " " + hm(k * 30) + "," + fields(k) + "\n";
    return out;
}

std::string value(int k) {
    return std::to_string(k + 1);
}

struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;
    int column = 0;
    const char* error = ""; // part of the error; "" when the import succeeds
    const char* columnShown = "";
    const char* timesAre = "starts";
    long missing = 0, fieldCountRows = 0, oddTimeRows = 0;
    std::vector<PlacedHour> checks = {}; // row, hour, kWh
    const char* note = "";               // part of one of the notes
};

TEST(IntervalLayout, ColumnUnitTimesAndWidthFromTheWholeFile) {
    const std::vector<std::string> twoDays = {"2018/1/1", "2018/1/2"};
    // The first row's kWh is "-": the kvarh beside it is no value of the file.
    const std::string firstMissing =
        "日付時刻,使用電力量(kWh),無効電力量(kvarh)\n" +
        halfHours(twoDays, 0, 48, [](int k) { return std::string(k == 0 ? "-" : "100") + ",5"; });
    // The day rows hold 48 kWh and then 48 kW under the same times.
    std::string times = "日付", labels = "", day = "2018/1/1";
    for (int set = 0; set < 2; ++set)
        for (int k = 0; k < 48; ++k) {
            times += "," + hm(k * 30) + "～" + hm(k * 30 + 30);
            labels += std::string(",") + (k ? "" : set ? "最大需要電力(kW)" : "使用電力量(kWh)");
            day += set ? ",40" : ",10";
        }
    std::string backwards;
    for (int k = 95; k >= 0; --k)
        backwards +=
            twoDays[static_cast<std::size_t>(k / 48)] + " " + hm(k % 48 * 30) + "," + value(k % 48) + "\n";
    const std::string starts = halfHours(twoDays, 0, 48, value);

    const std::string unquoted = starts + "2018/1/3 0:00,1,200\n" + halfHours({"2018/1/3"}, 1, 48, value);
    const std::string kwFirst = "日時,デマンド(kW),電力量(kWh)\n" +
                                halfHours(twoDays, 0, 48, [](int) { return std::string("400,200"); });
    const std::string twoColumns = halfHours(twoDays, 0, 48, [](int) { return std::string("1,2"); });
    const std::string zeros = halfHours({"2018/1/1"}, 0, 48, [](int) { return std::string("0"); });
    const std::string hostile = "x\x1b[2J\nz.csv";
    // clang-format off
    const std::vector<Case> cases = {
        {"first row missing", {{"a.csv", firstMissing}}, 0, "", "2列目「使用電力量(kWh)」", "starts", 2, 0, 0,
         {{1, 1, 200}, {2, 1, 200}}},
        {"kW before kWh", {{"a.csv", kwFirst}}, 0, "", "2列目「デマンド(kW)」", "starts", 0, 0, 0, {{1, 0, 400}}},
        {"note line names kW", {{"a.csv", "契約電力,500kW\n日時,使用電力量\n" + starts}}, 0, "",
         "2列目「使用電力量」", "starts", 0, 0, 0, {{1, 0, 3}}},
        {"unit open", {{"a.csv", "契約電力,500kW\n日時,値\n" + starts}}, 0, "単位が見出しからわかりません"},
        {"kWh and kW sets", {{"a.csv", times + "\n" + labels + "\n" + day + "\n"}}, 0, "",
         "2列目「使用電力量(kWh)」", "starts", 0, 0, 0, {{1, 0, 20}, {1, 23, 20}}},
        {"two unnamed columns", {{"a.csv", twoColumns}}, 0, "値の列を決められません"},
        {"two unnamed columns, one chosen", {{"a.csv", twoColumns}}, 3, "", "3列目", "starts", 0, 0, 0, {{1, 0, 4}}},
        {"first 0:00 missing", {{"a.csv", starts.substr(starts.find('\n') + 1)}}, 0, "", "2列目", "starts", 1, 0, 0,
         {{1, 1, 7}, {2, 0, 3}}},
        {"stray 24:00", {{"a.csv", starts + "2018/1/1 24:00,9\n"}}, 0, "", "2列目", "starts", 0, 0, 1,
         {{1, 23, 95}, {2, 0, 3}}, "区間に合わない時刻「24:00」"},
        {"ends", {{"a.csv", halfHours(twoDays, 1, 49, value)}}, 0, "", "2列目", "ends", 0, 0, 0,
         {{1, 0, 5}, {2, 23, 97}}},
        {"unquoted thousands", {{"a.csv", unquoted}}, 0, "", "2列目", "starts", 1, 1, 0, {{2, 23, 95}, {3, 1, 7}},
         "列の数が違う行「2018/1/3 0:00,1,200」"},
        {"newest first", {{"a.csv", backwards}}, 0, "", "2列目", "starts", 0, 0, 0, {{1, 0, 3}, {2, 23, 95}}},
        {"zero reading", {{"a.csv", zeros}}, 0, "", "2列目", "starts", 0, 0, 0, {{1, 0, 0}, {1, 23, 0}}},
        {"first and last year", {{"a.csv", "2000/1/1 0:00,1\n2000/1/1 0:30,1\n2099/12/31 0:00,1\n"}}, 0, "", "",
         "starts", 23},
        {"before 2000", {{"a.csv", "1999/12/31 23:30,1\n2000/1/1 0:00,1\n"}}, 0, "「1999/12/31 23:30」"},
        {"after 2099", {{"a.csv", "2099/12/31 23:30,1\n2100/1/1 0:00,1\n"}}, 0, "「2100/1/1 0:00」"},
        {"before 1970", {{"a.csv", "1969-12-31 23:30,1\n"}}, 0, "「1969-12-31 23:30」は読み込めません"},
        {"control byte in a date", {{"a.csv", "3099-12-31 \t4:00,1\n"}}, 0, "「3099-12-31 \\x094:00」"},
        {"hostile name", {{hostile, starts + "2018/1/3 0:00,abc\n"}}, 0, "", "2列目", "starts", 0, 0, 0, {},
         "x\\x1B[2J\\x0Az.csv:97 読めない値「abc」"},
        {"hostile name refused", {{hostile, "nothing\n"}}, 0, "x\\x1B[2J\\x0Az.csv: "},
    };
    // clang-format on
    for (const Case& c : cases) {
        IntervalImportOptions o;
        o.read.column = c.column;
        Result<IntervalImport> r = readIntervalImportData(c.files, o);
        if (*c.error) {
            ASSERT_FALSE(r) << c.name;
            EXPECT_NE(r.error().message.find(c.error), std::string::npos)
                << c.name << ": " << r.error().message;
            EXPECT_EQ(r.error().message.find('\x1b'), std::string::npos) << c.name;
            continue;
        }
        ASSERT_TRUE(r) << c.name << ": " << r.error().message;
        const IntervalSummary& s = r->summary;
        if (*c.columnShown) {
            EXPECT_EQ(s.column, c.columnShown) << c.name;
        }
        EXPECT_EQ(s.timesAre, c.timesAre) << c.name;
        EXPECT_EQ(s.hoursMissing, c.missing) << c.name;
        EXPECT_EQ(s.fieldCountRows, c.fieldCountRows) << c.name;
        EXPECT_EQ(s.oddTimeRows, c.oddTimeRows) << c.name;
        std::map<std::pair<int, int>, double> got;
        for (const PlacedHour& h : r->hours)
            got[{h.row, h.hour}] = h.value;
        for (const PlacedHour& h : c.checks) {
            ASSERT_TRUE(got.count({h.row, h.hour})) << c.name << " " << h.row << " " << h.hour;
            EXPECT_DOUBLE_EQ(got.at({h.row, h.hour}), h.value) << c.name << " " << h.row << " " << h.hour;
        }
        if (*c.note) {
            const auto& n = s.rejectedNotes;
            EXPECT_TRUE(std::any_of(n.begin(), n.end(), [&](const std::string& t) {
                return t.find(c.note) != std::string::npos;
            })) << c.name;
        }
        // The dated intervals for the meter file: sorted, each once, as read.
        EXPECT_TRUE(std::is_sorted(r->intervals.begin(), r->intervals.end(),
                                   [](const IntervalValue& a, const IntervalValue& b) {
                                       return a.date != b.date ? a.date < b.date : a.start < b.start;
                                   }))
            << c.name;
        for (std::size_t i = 1; i < r->intervals.size(); ++i)
            ASSERT_FALSE(r->intervals[i].date == r->intervals[i - 1].date &&
                         r->intervals[i].start == r->intervals[i - 1].start)
                << c.name;
    }
}

TEST(IntervalLayout, AnOpenColumnIsAskedAndTheAnswerHolds) {
    const std::string twoColumns = halfHours({"2018/1/1"}, 0, 48, [](int) { return std::string("1,2"); });
    for (bool yes : {true, false}) {
        std::vector<IntervalQuestion> asked;
        IntervalImportOptions o;
        o.ask = [&](const IntervalQuestion& q) {
            asked.push_back(q);
            return yes;
        };
        // The second file asks the same: asked once.
        Result<IntervalImport> r = readIntervalImportData({{"a.csv", twoColumns}, {"b.csv", twoColumns}}, o);
        ASSERT_EQ(asked.size(), 1u);
        ASSERT_EQ(asked[0].candidates.size(), 2u);
        EXPECT_EQ(asked[0].candidates[1].column, 3);
        EXPECT_EQ(asked[0].candidates[1].firstValues, (std::vector<std::string>{"2", "2", "2"}));
        EXPECT_NE(questionMessage(asked[0]).text.find("2列目 として読み込みますか"), std::string::npos);
        ASSERT_EQ(r.ok(), yes);
        if (yes) {
            EXPECT_EQ(r->hours.front().value, 2);
        }
    }
}

// Each bound at the limit itself: the largest accepted and the first refused.
TEST(IntervalLayout, BoundsAtTheLimit) {
    const std::string row = "2018/1/1 0:00,1\n2018/1/1 0:30,1\n";
    // Rows of exactly the largest number of fields.
    const auto wide = [](const char* time) {
        return "2018/1/1 " + std::string(time) + ",1" + std::string(kMaxIntervalFields - 2, ',') + "\n";
    };
    const std::string fields = wide("0:00") + wide("0:30");
    const std::string longLine = row + std::string(kMaxIntervalLineBytes, ' ');
    struct Bound {
        const char* name;
        std::vector<std::pair<std::string, std::string>> files;
        std::size_t maxSetBytes;
        const char* error;
    };
    const std::vector<Bound> bounds = {
        {"line length", {{"a.csv", longLine}}, kMaxIntervalSetBytes, ""},
        {"line length + 1", {{"a.csv", longLine + " "}}, kMaxIntervalSetBytes, "3 行目が長すぎます"},
        {"fields", {{"a.csv", fields}}, kMaxIntervalSetBytes, ""},
        {"fields + 1", {{"a.csv", "," + fields}}, kMaxIntervalSetBytes, "項目が多すぎます"},
        {"set lines",
         {{"a.csv", row}, {"b.csv", row + std::string(kMaxIntervalSetLines - 4, '\n')}},
         kMaxIntervalSetBytes,
         ""},
        {"set lines + 1",
         {{"a.csv", row}, {"b.csv", row + std::string(kMaxIntervalSetLines - 3, '\n')}},
         kMaxIntervalSetBytes,
         "読み込むファイルの行が多すぎます（全部で 3000000 行まで）: b.csv"},
        {"set bytes", {{"a.csv", row}, {"b.csv", row}}, 2 * row.size(), ""},
        {"set bytes + 1", {{"a.csv", row}, {"b.csv", row + "\n"}}, 2 * row.size(), "合計が大きすぎます"},
    };
    for (const Bound& b : bounds) {
        IntervalImportOptions o;
        o.maxSetBytes = b.maxSetBytes;
        Result<IntervalImport> r = readIntervalImportData(b.files, o);
        if (*b.error == '\0') {
            EXPECT_TRUE(r) << b.name << ": " << r.error().message;
        } else {
            ASSERT_FALSE(r) << b.name;
            EXPECT_NE(r.error().message.find(b.error), std::string::npos)
                << b.name << ": " << r.error().message;
        }
    }
}

TEST(IntervalLayout, FileSizeAtTheLimit) {
    // The largest file passes the size bound and meets the line bound; one byte more does not.
    std::string bytes(kMaxIntervalFileBytes, '\n');
    for (const char* error : {"行が多すぎます", "ファイルが大きすぎます"}) {
        const Result<IntervalFile> r = readIntervalData(bytes);
        ASSERT_FALSE(r);
        EXPECT_NE(r.error().message.find(error), std::string::npos) << r.error().message;
        bytes += '\n';
    }
}

// Paths go through the program's one read: a pipe or a link in a file's place is refused at once,
// and the set's bound holds there too.
TEST(IntervalLayout, APipeOrALinkIsNoFile) {
    test::TempDir dir;
    dir.write("a.csv", "2018/1/1 0:00,1\n2018/1/1 0:30,1\n");
    ASSERT_EQ(::mkfifo(dir.file("pipe.csv").c_str(), 0600), 0);
    ASSERT_EQ(::symlink(dir.file("a.csv").c_str(), dir.file("link.csv").c_str()), 0);
    EXPECT_TRUE(readIntervalImport({dir.file("a.csv")}, {}));
    for (const char* name : {"pipe.csv", "link.csv"}) {
        EXPECT_FALSE(readIntervalImport({dir.file("a.csv"), dir.file(name)}, {})) << name;
        EXPECT_FALSE(readIntervalFile(dir.file(name))) << name;
    }
    // The set's bytes are counted by that read too: two files fill the bound, a third passes it.
    IntervalImportOptions o;
    o.maxSetBytes = 2 * test::readAll(dir.file("a.csv")).size();
    EXPECT_TRUE(readIntervalImport({dir.file("a.csv"), dir.file("a.csv")}, o));
    Result<IntervalImport> r =
        readIntervalImport({dir.file("a.csv"), dir.file("a.csv"), dir.file("a.csv")}, o);
    ASSERT_FALSE(r);
    EXPECT_NE(r.error().message.find("合計が大きすぎます"), std::string::npos) << r.error().message;
}

} // namespace
