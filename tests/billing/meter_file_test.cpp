// The site's meter file: what it reads and refuses, and how an import merges into it.

#include "app/sjis.h"
#include "billing/dates.h"
#include "billing/meter_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace wattorio;
using namespace wattorio::billing;

namespace {

std::string heading() {
    std::string h;
    toCp932(kMeterFileHeading, h);
    return h + "\r\n";
}

MeterInterval at(int y, int m, int d, int minute, double kwh, int minutes = 30) {
    return {dayNumber(y, m, d), static_cast<std::int16_t>(minute), static_cast<std::int16_t>(minutes), kwh};
}

} // namespace

TEST(MeterFile, WrittenFileReadsBackTheSame) {
    const std::vector<MeterInterval> v = {at(2017, 4, 1, 0, 531), at(2017, 4, 1, 30, 0.125),
                                          at(2017, 4, 1, 60, 12.3, 60), at(2020, 2, 29, 1425, 1e-6, 15)};
    const std::string bytes = meterFileBytes(v);
    EXPECT_EQ(bytes.substr(heading().size(), 27), "2017-04-01 00:00,30,531.0\r\n");
    Result<std::vector<MeterInterval>> back = parseMeterFile(bytes);
    ASSERT_TRUE(back) << back.error().message;
    ASSERT_EQ(back->size(), v.size());
    for (std::size_t k = 0; k < v.size(); ++k)
        EXPECT_TRUE(back->at(k).date == v[k].date && back->at(k).start == v[k].start &&
                    back->at(k).minutes == v[k].minutes && back->at(k).kwh == v[k].kwh)
            << k;
}

TEST(MeterFile, DamagedFilesAreRefusedWithTheirLine) {
    const struct {
        std::string body;
        const char* why;
    } cases[] = {
        {"2017-04-01 00:00,30,1.0\r\n2017-04-01 00:00,30,2.0\r\n", "重なって"},
        {"2017-04-01 00:30,30,1.0\r\n2017-04-01 00:00,30,2.0\r\n", "順"},
        {"2017-04-01 00:00,60,1.0\r\n2017-04-01 00:30,30,2.0\r\n", "重なって"},
        {"2017-02-29 00:00,30,1.0\r\n", "日時"},
        {"2017-04-01 24:00,30,1.0\r\n", "日時"},
        {"2017/04/01 00:00,30,1.0\r\n", "日時"},
        {"2017-04-01 00:00,20,1.0\r\n", "分が"},
        {"2017-04-01 00:15,30,1.0\r\n", "区切り"},
        {"2017-04-01 00:00,30,-1.0\r\n", "kWh"},
        {"2017-04-01 00:00,30,nan\r\n", "kWh"},
        {"2017-04-01 00:00,30,1e400\r\n", "kWh"},
        {"2017-04-01 00:00,30,1e9\r\n", "kWh"},
        {"2017-04-01 00:00,30\r\n", "項目"},
        {"2017-04-01 00:00,30,1.0,2\r\n", "項目"},
        {"\r\n2017-04-01 00:00,30,1.0\r\n", "空行"},
        {std::string(70, '1') + "\r\n", "長すぎ"},
    };
    for (const auto& c : cases) {
        Result<std::vector<MeterInterval>> r = parseMeterFile(heading() + c.body);
        ASSERT_FALSE(r) << c.body;
        EXPECT_NE(r.error().message.find(c.why), std::string::npos) << c.body << " -> " << r.error().message;
        EXPECT_NE(r.error().message.find("行目"), std::string::npos);
    }
    EXPECT_FALSE(parseMeterFile("date,min,kWh\r\n"));
    EXPECT_FALSE(parseMeterFile(""));
    // A file saved by another editor with bare line feeds and a last line without one reads.
    EXPECT_TRUE(parseMeterFile(heading() + "2017-04-01 00:00,30,1.0\n2017-04-01 00:30,30,2"));
}

TEST(MeterFile, MergeCountsEachCaseAndFollowsTheChoice) {
    const std::vector<MeterInterval> old = {at(2017, 4, 1, 0, 1), at(2017, 4, 1, 30, 2),
                                            at(2017, 4, 1, 60, 3)};
    // Same value, other value, new interval, a value that cannot be kept, an overlap inside the import.
    const std::vector<MeterInterval> incoming = {
        at(2017, 4, 1, 0, 1),    at(2017, 4, 1, 30, 5),     at(2017, 4, 1, 90, 4),
        at(2017, 4, 1, 120, -1), at(2017, 4, 1, 90, 7, 60), at(2017, 4, 1, 60, 3.0000000000001)};
    for (ConflictChoice choice : {ConflictChoice::KeepOld, ConflictChoice::Replace}) {
        MeterMergeSummary s;
        const std::vector<MeterInterval> merged = mergeIntervals(old, incoming, choice, s);
        EXPECT_EQ(s.added, 1);
        EXPECT_EQ(s.unchanged, 2); // 3.0000000000001 is 3 once tidied to a millionth of a kWh
        EXPECT_EQ(s.conflicting, 1);
        EXPECT_EQ(s.replaced, choice == ConflictChoice::Replace ? 1 : 0);
        EXPECT_EQ(s.refused, 2);
        ASSERT_EQ(merged.size(), 4u);
        EXPECT_EQ(merged[1].kwh, choice == ConflictChoice::Replace ? 5 : 2);
    }
    // A longer new interval replaces the shorter ones it covers.
    MeterMergeSummary s;
    const std::vector<MeterInterval> merged =
        mergeIntervals(old, {at(2017, 4, 1, 0, 3, 60)}, ConflictChoice::Replace, s);
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_EQ(merged[0].minutes, 60);
    EXPECT_EQ(merged[1].start, 60);
}

TEST(MeterFile, FiveYearsAreKept) {
    MeterMergeSummary s;
    const std::vector<MeterInterval> merged = mergeIntervals(
        {at(2015, 3, 31, 0, 1), at(2015, 4, 1, 0, 1)}, {at(2020, 3, 1, 0, 1)}, ConflictChoice::KeepOld, s);
    EXPECT_EQ(merged.size(), 2u);
    EXPECT_EQ(s.droppedOld, 1);
    EXPECT_EQ(s.droppedBefore, "2015-04");
}

TEST(MeterFile, ImportAsksOnlyOnConflictAndNeverWritesOverADamagedFile) {
    test::TempDir dir;
    const std::string path = dir.file("000001_Interval.csv");
    int asked = 0;
    auto replace = [&](long) {
        ++asked;
        return ConflictChoice::Replace;
    };
    Result<MeterMergeSummary> first =
        importIntoMeterFile(path, {at(2017, 4, 1, 0, 1), at(2017, 4, 1, 30, 2)}, replace);
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->written);
    EXPECT_EQ(asked, 0);
    Result<MeterMergeSummary> again = importIntoMeterFile(path, {at(2017, 4, 1, 0, 1)}, replace);
    ASSERT_TRUE(again);
    EXPECT_FALSE(again->written);
    Result<MeterMergeSummary> changed = importIntoMeterFile(path, {at(2017, 4, 1, 0, 9)}, replace);
    ASSERT_TRUE(changed);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(readMeterFile(path).intervals.front().kwh, 9);

    dir.write("000001_Interval.csv", heading() + "2017-04-01 00:00,30,x\r\n");
    const std::string damaged = dir.read("000001_Interval.csv");
    EXPECT_EQ(readMeterFile(path).state, MeterFileState::Damaged);
    EXPECT_FALSE(importIntoMeterFile(path, {at(2017, 4, 1, 0, 1)}, replace));
    EXPECT_EQ(dir.read("000001_Interval.csv"), damaged);
}

TEST(MeterFile, ListingCountsEachCalendarMonth) {
    const MeterListing l = listMeterData(
        {at(2017, 4, 30, 1410, 2), at(2017, 5, 1, 0, 10), at(2017, 5, 1, 30, 25), at(2017, 6, 1, 0, 1)});
    EXPECT_EQ(l.first, "2017-04-30 23:30");
    EXPECT_EQ(l.minutes, 30);
    ASSERT_EQ(l.months.size(), 3u);
    EXPECT_EQ(l.months[0].missingIntervals, 30 * 48 - 1);
    EXPECT_EQ(l.months[1].intervals, 2);
    EXPECT_DOUBLE_EQ(l.months[1].kwh, 35);
    EXPECT_EQ(l.months[1].maxDemandKw, 50);
}
