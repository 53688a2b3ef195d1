#include "billing/book_intervals.h"
#include "billing/monthly_bill.h"
#include "billing/national_tables.h"
#include "billing/tariff_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace wattorio::billing {
namespace {

const char* kGood = R"({"name": "試験", "provider": "例", "utility": 3, "contract": "fixed",
  "extra_days_off": ["12-31", "01-02"],
  "bands": [{"name": "昼間", "months": [7, 8, 9], "days": ["平日", "土曜"], "hours": ["08:00-22:00"]},
            {"name": "夜間"}],
  "seasons": {"夏季": [7, 8, 9], "その他季": [1, 2, 3, 4, 5, 6, 10, 11, 12]},
  "prices": [{"from": "2025-04-01", "demand": 1890.5,
              "energy": {"夏季": {"昼間": 20.1, "夜間": 15.0}, "その他季": {"夜間": 14.0}}}],
  "fuel_adjustment": {"2025-04": -1.23}, "discount": "none", "renewable_levy": {"2025": 3.98}})";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(TariffFile, ReadsEveryKey) {
    auto tariff = parseTariff(kGood, "試験.json");
    ASSERT_TRUE(tariff) << tariff.error().message;
    EXPECT_EQ(tariff->utility, 3);
    EXPECT_EQ(tariff->contract, ContractKind::Fixed);
    EXPECT_EQ(tariff->bandNames, (std::vector<std::string>{"昼間", "夜間"}));
    EXPECT_EQ(tariff->bandAt(8, DayClass::Saturday, 8 * 60), 0);
    EXPECT_EQ(tariff->bandAt(8, DayClass::Holiday, 8 * 60), 1);
    EXPECT_EQ(tariff->bandAt(10, DayClass::Weekday, 12 * 60), 1);
    EXPECT_EQ(tariff->discount, DiscountKind::None);
    EXPECT_EQ(tariff->levy, LevyKind::Table);
    EXPECT_EQ(tariff->fuelAdjustment.at({2025, 4}), -1.23);
    EXPECT_EQ(tariff->pricesFor({2025, 3}), nullptr);
    EXPECT_EQ(tariff->pricesFor({2026, 3})->demand, 1890.5);
}

TEST(TariffFile, ErrorsNameTheFileThePlaceAndTheReason) {
    const std::string deep = std::string(100, '[') + std::string(100, ']');
    const struct {
        std::string bytes;
        const char* expected;
    } cases[] = {
        {replaced(kGood, R"("その他季": {"夜間": 14.0})", R"("その他季": {})"),
         "/prices/0/energy/その他季: 「夜間」の単価"},
        {replaced(kGood, "[1, 2, 3, 4, 5, 6, 10", "[7, 2, 3, 4, 5, 6, 10"),
         "/seasons/その他季/0: 7月はすでに「夏季」"},
        {replaced(kGood, "[1, 2, 3, 4, 5, 6, 10", "[2, 3, 4, 5, 6, 10"),
         "/seasons: 1月がどの季節にもありません"},
        {replaced(kGood, "08:00-22:00", "25:00-08:00"), "/bands/0/hours/0: "},
        {replaced(kGood, R"({"name": "夜間"})", R"({"name": "夜間", "colour": 1})"), "/bands/1/colour: "},
        {replaced(kGood, "1890.5", "-5"), "/prices/0/demand: 数値が範囲外です"},
        {replaced(kGood, "20.1", "20.12345"), "/prices/0/energy/夏季/昼間: 小数点以下は 4 桁まで"},
        {replaced(kGood, R"("2025-04": -1.23)", R"("2025-13": 1)"), "/fuel_adjustment/2025-13: "},
        {replaced(kGood, R"("discount": "none")", R"("discount": {"2026-01": 2.3})"), "/discount/2026-01: "},
        {replaced(kGood, R"("昼間": 20.1)", R"("朝": 20.1)"),
         "/prices/0/energy/夏季/朝: 「bands」にない時間帯"},
        {replaced(kGood, R"("name": "試験", )", ""), "料金表「試験.json」: 「name」がありません"},
        {"{\"name\": \"\xff\"}", "JSON として読めません"},
        {deep, "入れ子が深すぎます"},
    };
    for (const auto& c : cases) {
        auto tariff = parseTariff(c.bytes, "試験.json");
        ASSERT_FALSE(tariff) << c.expected;
        EXPECT_NE(tariff.error().message.find("料金表「試験.json」"), std::string::npos);
        EXPECT_NE(tariff.error().message.find(c.expected), std::string::npos) << tariff.error().message;
    }
}

TEST(TariffFile, ABadFileNeverStopsTheOthers) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.file(kTariffFolderName));
    dir.write(std::string(kTariffFolderName) + "/a.json", kGood);
    dir.write(std::string(kTariffFolderName) + "/b.json", "{");
    dir.write(std::string(kTariffFolderName) + "/readme.txt", "x");
    const auto entries = loadTariffFolder(tariffFolderPath(dir.path()));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entries[0].tariff);
    EXPECT_EQ(entries[1].file, "b.json");
    EXPECT_FALSE(entries[1].tariff);
    EXPECT_TRUE(loadTariffFolder(dir.file("none")).empty());
    std::filesystem::create_directory_symlink(dir.file(kTariffFolderName), dir.file("link"));
    const auto linked = loadTariffFolder(dir.file("link"));
    ASSERT_EQ(linked.size(), 1u);
    EXPECT_FALSE(linked[0].tariff);
}

TEST(NationalTables, ShippedTablesAndTheWorkingFoldersCopy) {
    const std::string data = std::string(WATTORIO_SOURCE_DIR) + "/data";
    test::TempDir dir;
    auto shipped = loadNationalTables(dir.path(), data);
    ASSERT_TRUE(shipped) << shipped.error().message;
    EXPECT_EQ(shipped->levyByFiscalYear.size(), 15u);
    EXPECT_EQ(shipped->levyByFiscalYear.at(2012), 0.22);
    EXPECT_EQ(shipped->levyByFiscalYear.at(2026), 4.18);
    EXPECT_EQ(shipped->highVoltageDiscount.at({2026, 1}), -2.3);
    EXPECT_EQ(shipped->highVoltageDiscount.at({2026, 3}), -0.8);

    dir.write(kLevyTableName,
              R"({"entries": [{"fiscal_year": 2027, "value": 4.5, "source": "例", "seen": "2027-03-20"}]})");
    dir.write(kDiscountTableName,
              R"({"entries": [{"month": "2027-01", "value": 1, "source": "例", "seen": "2027-01-01"}]})");
    auto newer = loadNationalTables(dir.path(), data);
    ASSERT_TRUE(newer);
    EXPECT_EQ(newer->levyByFiscalYear.size(), 1u);
    EXPECT_EQ(newer->levyPath, dir.file(kLevyTableName));
    // The damaged discount copy is not used, and the user is told why.
    EXPECT_EQ(newer->highVoltageDiscount.at({2026, 1}), -2.3);
    ASSERT_EQ(newer->notes.size(), 1u);
    EXPECT_NE(newer->notes[0].find("/entries/0/value"), std::string::npos) << newer->notes[0];
}

TEST(BookIntervals, RowsFallOnTheChosenYearsDates) {
    BookHours hours{};
    for (int row = 1; row <= 365; ++row)
        for (int hour = 0; hour < 24; ++hour)
            hours[hour][row] = row;
    hours[3][1] = -1; // no reading
    const auto book = bookIntervals(hours, 2024, 2);
    ASSERT_EQ(book.intervals.size(), 365u * 24 - 1);
    EXPECT_EQ(book.daysWithoutReadings, (std::vector<std::int32_t>{dayNumber(2024, 2, 29)}));
    const MeterInterval& march1 = book.intervals[59 * 24 - 1]; // row 60, 0:00
    EXPECT_EQ(march1.date, dayNumber(2024, 3, 1));
    EXPECT_EQ(march1.kwh, 120);
    EXPECT_EQ(book.intervals.back().date, dayNumber(2024, 12, 31));
    EXPECT_EQ(book.intervals.back().start, 23 * 60);
    EXPECT_EQ(book.intervals.back().minutes, 60);

    // February of a leap year: 28 days of 24 hours, none missing, 29 February said in the notes.
    auto tariff = parseTariff(
        R"({"name": "平", "bands": [{"name": "全日"}], "seasons": {"通年": [1,2,3,4,5,6,7,8,9,10,11,12]},
        "prices": [{"from": "2024-01-01", "demand": 0, "energy": {"通年": {"全日": 1}}}], "discount": "none",
        "renewable_levy": {"2023": 1.40}})",
        "平.json");
    ASSERT_TRUE(tariff);
    BillRequest request;
    request.intervals = book.intervals;
    request.daysWithoutReadings = book.daysWithoutReadings;
    request.tariff = &*tariff;
    request.first = {2024, 2};
    request.months = 1;
    auto bill = priceMonths(request);
    ASSERT_TRUE(bill) << bill.error().message;
    EXPECT_EQ(bill->months[0].intervals, 28 * 24);
    EXPECT_EQ(bill->months[0].missingIntervals, 0);
    EXPECT_NE(bill->months[0].notes[0].find("2月29日"), std::string::npos);
    // Without a holiday list the law's holidays are used, and said.
    EXPECT_NE(bill->months[0].notes.back().find("法律の規則"), std::string::npos);
}

TEST(Dates, FiscalYearsAndParsing) {
    EXPECT_EQ(fiscalYear({2018, 4}), 2017);
    EXPECT_EQ(fiscalYear({2018, 5}), 2018);
    EXPECT_EQ(weekday(dayNumber(2025, 5, 3)), 6);
    EXPECT_EQ(civilDate(dayNumber(2024, 2, 29)), (CivilDate{2024, 2, 29}));
    EXPECT_FALSE(parseDate("2025-02-29"));
    EXPECT_FALSE(parseYearMonth("2025-13"));
    EXPECT_EQ(addMonths({2025, 1}, -11), (YearMonth{2024, 2}));
}

} // namespace
} // namespace wattorio::billing
