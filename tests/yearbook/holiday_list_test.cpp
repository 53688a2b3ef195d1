// The national holidays computed from the law, the shipped list written from them, and the
// official calendar of the year book, all checked against the Cabinet Office's own list.

#include "app/sjis.h"
#include "support/temp_dir.h"
#include "yearbook/calendar.h"
#include "yearbook/holiday_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sys/stat.h>

using namespace wattorio;
using namespace wattorio::yearbook;

namespace {

const HolidayList& officialList() {
    static const HolidayList list = [] {
        Result<HolidayList> l = loadHolidayList(std::string(WATTORIO_REALDATA_DIR) + "/syukujitsu.csv");
        EXPECT_TRUE(l) << l.error().message;
        return l ? *l : HolidayList();
    }();
    return list;
}

std::string text(const std::vector<Holiday>& hs) {
    std::string s;
    for (const Holiday& h : hs)
        s += std::to_string(h.year) + "/" + std::to_string(h.month) + "/" + std::to_string(h.day) + " " +
             h.name + "\n";
    return s;
}

TEST(HolidayList, ComputedHolidaysAreTheOfficialOnesEveryYear) {
    ASSERT_LE(officialList().firstYear(), kComputedFirstYear);
    ASSERT_GE(officialList().lastYear(), kComputedLastYear);
    for (int y = kComputedFirstYear; y <= kComputedLastYear; ++y)
        EXPECT_EQ(text(computedHolidays(y)), text(officialList().ofYear(y))) << y;
}

TEST(HolidayList, ShippedListIsTheComputedOne) {
    const std::string shipped = test::readAll(std::string(WATTORIO_SOURCE_DIR) + "/data/syukujitsu.csv");
    EXPECT_EQ(shipped, computedListBytes());
    Result<HolidayList> list = parseHolidayList(shipped);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->firstYear(), kComputedFirstYear);
    EXPECT_EQ(list->lastYear(), kComputedLastYear);
}

TEST(HolidayList, ReadsTheLayoutInEitherEncodingAndRefusesGarbage) {
    struct Case {
        std::string bytes;
        std::size_t holidays; // 0: refused
    };
    std::string sjisName;
    toCp932("元日", sjisName);
    const std::vector<Case> cases = {
        {"date,name\r\n2030/1/1," + sjisName + "\r\n", 1},
        {"\xEF\xBB\xBF国民の祝日,名称\n2030/1/1,元日\n2030/1/14,成人の日\n", 2},
        {"\"2030/01/01\",\"元日\"\n\n2030/1/1,元日\n", 1}, // quoted, blank line, a repeat kept once
        {"heading\n2030/2/30,x\n", 0},                     // no such date
        {"heading\n2030/1/1,x\nnot a date\n", 0},
        {"heading only\n", 0},
        {std::string(kMaxHolidayListBytes + 1, 'a'), 0},
    };
    for (const Case& c : cases) {
        Result<HolidayList> list = parseHolidayList(c.bytes);
        EXPECT_EQ(list ? list->holidays().size() : 0u, c.holidays) << c.bytes.substr(0, 40);
        if (list) {
            EXPECT_EQ(list->holidays().front().name, "元日");
        }
    }
}

TEST(HolidayList, WorkingFolderListTakesPrecedenceAndADamagedOneIsSaidSo) {
    test::TempDir app;
    test::TempDir data;
    data.write(kHolidayListName, computedListBytes(2020, 2020));
    HolidaySource s = findHolidayList(app.path(), data.path());
    EXPECT_EQ(s.path, data.file(kHolidayListName));
    EXPECT_TRUE(s.list.covers(2020) && !s.list.covers(2021));

    app.write(kHolidayListName, computedListBytes(2031, 2031));
    s = findHolidayList(app.path(), data.path());
    EXPECT_EQ(s.path, app.file(kHolidayListName));
    EXPECT_TRUE(s.list.covers(2031) && s.note.empty());

    // Read through the one file read: a link or a pipe in the list's place is not read.
    for (const char* what : {"link", "pipe"}) {
        std::filesystem::remove(app.file(kHolidayListName));
        if (std::string(what) == "link")
            std::filesystem::create_symlink(data.file(kHolidayListName), app.file(kHolidayListName));
        else
            ASSERT_EQ(::mkfifo(app.file(kHolidayListName).c_str(), 0600), 0);
        s = findHolidayList(app.path(), data.path());
        EXPECT_EQ(s.path, data.file(kHolidayListName)) << what;
        EXPECT_NE(s.note.find("同梱"), std::string::npos) << what;
    }
    std::filesystem::remove(app.file(kHolidayListName));

    app.write(kHolidayListName, "h\r\n2031/13/1,x\r\n");
    s = findHolidayList(app.path(), data.path());
    EXPECT_EQ(s.path, data.file(kHolidayListName));
    EXPECT_NE(s.note.find("同梱"), std::string::npos);

    // Without any file the computed holidays are used.
    test::TempDir none;
    s = findHolidayList(none.path(), none.path() + "missing");
    EXPECT_TRUE(s.path.empty());
    EXPECT_TRUE(s.list.covers(kComputedFirstYear) && s.list.covers(kComputedLastYear));
}

// A year counts only when the list holds it whole: its 元日 and at least 14 holidays. The limit
// itself is tested: 14 holidays cover a year, 13 do not.
TEST(HolidayList, AYearWithAGapOrAFewLinesIsNotCovered) {
    const auto listOf = [](const std::vector<int>& years, int lastYearKeeps, bool dropNewYear) {
        std::vector<Holiday> all;
        for (int y : years) {
            std::vector<Holiday> hs = computedHolidays(y);
            if (y == years.back()) {
                if (dropNewYear)
                    hs.erase(hs.begin());
                hs.resize(std::min<std::size_t>(hs.size(), static_cast<std::size_t>(lastYearKeeps)));
            }
            all.insert(all.end(), hs.begin(), hs.end());
        }
        return HolidayList(std::move(all));
    };
    const struct {
        HolidayList list;
        int year;
        bool covered;
    } cases[] = {
        {listOf({2017, 2019}, 99, false), 2018, false},
        {listOf({2017, 2019}, 99, false), 2019, true},
        {listOf({2017, 2018}, 1, false), 2018, false},
        {listOf({2017, 2018}, 14, false), 2018, true},
        {listOf({2017, 2018}, 13, false), 2018, false},
        {listOf({2017, 2018}, 99, true), 2018, false}, // no 元日
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.list.covers(c.year), c.covered) << c.year << " of " << c.list.holidays().size();
    DayMarkTable marks{};
    EXPECT_FALSE(setOfficialHolidays(marks, 2018, false, cases[0].list));
}

// The holiday rows of a book year set with the official list must be exactly the Sundays, the
// list's days and the utilities' days.
TEST(OfficialCalendar, Years2020And2024MatchTheOfficialList) {
    for (int year : {2020, 2024}) {
        DayMarkTable marks{};
        ASSERT_TRUE(setOfficialHolidays(marks, year, false, officialList()));
        std::set<int> expected = {1, 2, 3, 120, 121, 122, 364, 365};
        for (const Holiday& h : officialList().ofYear(year))
            expected.insert(bookRowOf(h.month, h.day));
        for (int m = 1; m <= 12; ++m)
            for (int d = 1; d <= 31; ++d)
                if (bookRowOf(m, d) > 0 && weekdayOf(year, m, d) == 0)
                    expected.insert(bookRowOf(m, d));
        std::set<int> marked;
        for (int r = 1; r <= 365; ++r)
            if (marks[r][0] == kHoliday)
                marked.insert(r);
        EXPECT_EQ(marked, expected) << year;
    }
    // The days the fixed rules get wrong in 2020.
    DayMarkTable marks{};
    ASSERT_TRUE(setOfficialHolidays(marks, 2020, true, officialList()));
    for (auto [m, d] : {std::pair{2, 24}, {3, 20}, {5, 6}, {7, 23}, {7, 24}, {8, 10}, {9, 22}})
        EXPECT_EQ(marks[bookRowOf(m, d)][0], kHoliday) << m << "/" << d;
    for (auto [m, d] : {std::pair{7, 20}, {9, 23}, {10, 12}, {12, 23}})
        EXPECT_EQ(marks[bookRowOf(m, d)][0], kWeekday) << m << "/" << d;
    // Saturdays stay Saturdays unless the list names them.
    EXPECT_EQ(marks[bookRowOf(1, 4)][0], kSaturday);
    EXPECT_EQ(marks[bookRowOf(10, 10)][0], kSaturday);
}

TEST(OfficialCalendar, AYearOutsideTheListLeavesTheMarksAndSaysSo) {
    DayMarkTable marks{};
    marks[5][0] = kSaturday;
    const Status s = setOfficialHolidays(marks, 2099, false, officialList());
    ASSERT_FALSE(s);
    EXPECT_NE(s.error().message.find("2099"), std::string::npos);
    EXPECT_EQ(marks[5][0], kSaturday);
    EXPECT_EQ(firstSundayOf(2020), 5);
    EXPECT_EQ(firstSundayOf(2023), 1);
    EXPECT_EQ(firstSundayOf(2022), 2);
}

} // namespace
