// compare and price run as a user would, on a temporary working folder with hand-made books.

#include "app/app_state.h"
#include "app/sjis.h"
#include "registry/registry.h"
#include "reports/xlsx_readback.h"
#include "support/temp_dir.h"
#include "tenday/ten_day_file.h"
#include "yearbook/year_book_file.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <map>
#include <memory>
#include <sys/wait.h>
#include <variant>
#include <vector>

namespace {

struct CliRun {
    int status = -1;
    std::string out;
};

CliRun cli(const std::string& dir, const std::string& args, bool withErrors = false) {
    const std::string command = std::string(WATTORIO_CLI_PATH) + " --dir '" + dir + "' " + args +
                                (withErrors ? " 2>&1" : " 2>/dev/null");
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    std::array<char, 4096> buf{};
    std::size_t n = 0;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0)
        run.out.append(buf.data(), n);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

// A small strict JSON reader: enough to prove the output is JSON and to look inside it.
struct Json {
    std::variant<std::nullptr_t, bool, double, std::string, std::vector<Json>, std::map<std::string, Json>> v;
    bool isNull() const { return std::holds_alternative<std::nullptr_t>(v); }
    double num() const { return std::get<double>(v); }
    const std::string& str() const { return std::get<std::string>(v); }
    const std::vector<Json>& arr() const { return std::get<std::vector<Json>>(v); }
    const std::map<std::string, Json>& obj() const { return std::get<std::map<std::string, Json>>(v); }
    const Json& operator[](const std::string& key) const { return obj().at(key); }
    const Json& operator[](std::size_t i) const { return arr().at(i); }
    bool has(const std::string& key) const { return obj().count(key) != 0; }
};

class JsonReader {
public:
    explicit JsonReader(const std::string& text) : t_(text) {}
    Json document() {
        Json j = value();
        blanks();
        if (i_ != t_.size())
            throw std::runtime_error("text after the value");
        return j;
    }

private:
    void blanks() {
        while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\n' || t_[i_] == '\r' || t_[i_] == '\t'))
            ++i_;
    }
    void expect(char c) {
        blanks();
        if (i_ >= t_.size() || t_[i_] != c)
            throw std::runtime_error(std::string("expected ") + c + " at " + std::to_string(i_));
        ++i_;
    }
    bool word(const char* w) {
        const std::string s(w);
        if (t_.compare(i_, s.size(), s) != 0)
            return false;
        i_ += s.size();
        return true;
    }
    std::string string() {
        expect('"');
        std::string out;
        while (i_ < t_.size() && t_[i_] != '"') {
            if (static_cast<unsigned char>(t_[i_]) < 0x20)
                throw std::runtime_error("control character in a string");
            if (t_[i_] == '\\') {
                ++i_;
                const char e = t_.at(i_);
                if (e == 'u') {
                    out += '?';
                    i_ += 4;
                } else {
                    out += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
                }
                ++i_;
            } else {
                out += t_[i_++];
            }
        }
        expect('"');
        return out;
    }
    Json value() {
        blanks();
        if (i_ >= t_.size())
            throw std::runtime_error("unexpected end");
        const char c = t_[i_];
        if (c == '{') {
            ++i_;
            std::map<std::string, Json> m;
            blanks();
            if (t_.at(i_) == '}') {
                ++i_;
                return {m};
            }
            for (;;) {
                std::string key = string();
                expect(':');
                m[key] = value();
                blanks();
                if (t_.at(i_) == ',') {
                    ++i_;
                    continue;
                }
                expect('}');
                return {m};
            }
        }
        if (c == '[') {
            ++i_;
            std::vector<Json> a;
            blanks();
            if (t_.at(i_) == ']') {
                ++i_;
                return {a};
            }
            for (;;) {
                a.push_back(value());
                blanks();
                if (t_.at(i_) == ',') {
                    ++i_;
                    continue;
                }
                expect(']');
                return {a};
            }
        }
        if (c == '"')
            return {string()};
        if (word("null"))
            return {nullptr};
        if (word("true"))
            return {true};
        if (word("false"))
            return {false};
        const std::size_t start = i_;
        if (t_[i_] == '-')
            ++i_;
        if (i_ >= t_.size() || !std::isdigit(static_cast<unsigned char>(t_[i_])))
            throw std::runtime_error("bad number at " + std::to_string(start));
        while (i_ < t_.size() && (std::isdigit(static_cast<unsigned char>(t_[i_])) || t_[i_] == '.' ||
                                  t_[i_] == 'e' || t_[i_] == 'E' || t_[i_] == '+' || t_[i_] == '-'))
            ++i_;
        return {std::stod(t_.substr(start, i_ - start))};
    }
    const std::string& t_;
    std::size_t i_ = 0;
};

Json parse(const std::string& text) {
    return JsonReader(text).document();
}

// Sites: 1 東京電力 office, 100 kW at power factor 100; 2 the same without a utility; 3 a 北海道電力
// site. Site 1's year book holds 10,000 kWh on one July working-day night hour and nothing else.
struct PriceCli : ::testing::Test {
    wattorio::test::TempDir dir;
    void SetUp() override {
        auto state = std::make_unique<wattorio::AppState>();
        state->AppDir = dir.path();
        state->SiteTable[1] = {" 1", "本社", "1", "100", "100", "1", "", "", ""};
        state->SiteTable[2] = {" 2", "無所属", "1", "100", "100", "0", "", "", ""};
        state->SiteTable[3] = {" 3", "札幌", "1", "100", "100", "9", "", "", ""};
        state->SaihanValue = 4;
        ASSERT_TRUE(wattorio::registry::saveRegistry(*state, 4));
        wattorio::yearbook::newYearBook(*state);
        state->HourData[0][200] = 10000;
        ASSERT_TRUE(wattorio::yearbook::saveYearBook(*state, dir.file("000001_Y.dat")));
        ASSERT_TRUE(wattorio::yearbook::saveYearBook(*state, dir.file("000002_Y.dat")));
        wattorio::tenday::newTenDayBook(*state);
        state->HourData[0][25] = 10000; // July, working days 1-10, 0:00
        ASSERT_TRUE(wattorio::tenday::saveTenDayBook(*state, dir.file("000001_W.dat")));
    }
};

TEST_F(PriceCli, PriceGivesTheWorkedExampleEndToEnd) {
    const CliRun run = cli(dir.path(), "price --site 1 --menu 42:0 --json");
    ASSERT_EQ(run.status, 0) << run.out;
    const Json j = parse(run.out);
    ASSERT_EQ(j["menus"].arr().size(), 1u);
    const Json& m = j["menus"][0];
    EXPECT_EQ(m["list"].num(), 42);
    EXPECT_EQ(m["index"].num(), 0);
    EXPECT_EQ(m["utility"].num(), 1);
    EXPECT_EQ(m["item"].str(), "業務用電力");
    EXPECT_EQ(m["caption"].str(), "業務用電力 6kV供給");
    EXPECT_EQ(m["formula"].str(), "Total_Natsu_Sonota");
    EXPECT_EQ(m["LineKwh"][1].num(), 10000);
    EXPECT_EQ(m["LineCharge"][0].num(), 1670760);
    EXPECT_EQ(m["LineCharge"][1].num(), 120000);
    EXPECT_EQ(m["Total"].num(), 1790760);
    EXPECT_DOUBLE_EQ(m["TotalWithTax"].num(), 1880298);
    EXPECT_EQ(m["TaxBasis"].str(), "added");
    EXPECT_EQ(m["TaxPercent"].num(), 5);
    EXPECT_DOUBLE_EQ(m["AmountWithTax"].num(), 1880298);
    EXPECT_EQ(m["panel"]["Label20"].str(), "1,790,760 円");
    EXPECT_EQ(m["panel"]["Label11"].str(), "消費税含む    　1,880,298 円");
    EXPECT_EQ(m["panel"]["Text2"].str(), "10.90");
    EXPECT_EQ(m["panel"]["Label5"].str(), "夏季");
    EXPECT_EQ(j["site"]["name"].str(), "本社");
    EXPECT_EQ(j["site"]["row"].num(), 1);
    EXPECT_EQ(j["SeasonTotal"][1][3].num(), 10000); // night kWh, summer working days
    EXPECT_EQ(j["MonthTotalA"][1][7].num(), 10000);
    EXPECT_EQ(j["PeakDemand"][7].num(), 10000);
    EXPECT_EQ(j["PeakDemandDay"][7].num(), 19); // row 200 is 19 July
    EXPECT_EQ(j["HourAverage"].arr().size(), 25u);
}

TEST_F(PriceCli, PriceWithTypedRates) {
    const CliRun run = cli(dir.path(), "price --site 1 --menu 42:0 --rate Text1=１３ --rate Text5=0 --json");
    ASSERT_EQ(run.status, 0);
    const Json m = parse(run.out)["menus"][0];
    EXPECT_EQ(m["Total"].num(), 130000);
    EXPECT_EQ(m["panel"]["Text1"].str(), "13");
    EXPECT_EQ(m["panel"]["Label19"].str(), " 円");
    const CliRun table = cli(dir.path(), "price --site 1 --menu 42:0");
    EXPECT_EQ(table.status, 0);
    EXPECT_NE(table.out.find("業務用電力 6kV供給"), std::string::npos);
    EXPECT_NE(table.out.find("1,790,760 円"), std::string::npos);
    for (const char* bad :
         {"--menu 42", "--menu 42:9", "--menu x:0", "--menu 42:0 --rate Text7=1", "--menu 42:0 --rate T"})
        EXPECT_EQ(cli(dir.path(), std::string("price --site 1 ") + bad).status, 1) << bad;
    // A value that is no number is refused, naming the option, rather than priced as 0.
    for (const char* bad :
         {"price --site 1 --menu 42:0 --rate Text1=abc", "price --site 1 --menu 42:0 --rate Text5=12kW",
          "price --site x --menu 42:0", "compare --site 1 --utility abc", "compare --site 1 --voltage ②"}) {
        const CliRun refused = cli(dir.path(), bad, true);
        EXPECT_EQ(refused.status, 2) << bad;
        EXPECT_NE(refused.out.find("には数値を指定してください"), std::string::npos) << refused.out;
    }
}

TEST_F(PriceCli, CompareRanksTheUtilitysMenusCheapestFirst) {
    const CliRun run = cli(dir.path(), "compare --site 1 --json");
    ASSERT_EQ(run.status, 0);
    const Json j = parse(run.out);
    for (const char* key : {"site", "MonthTotalA", "MonthTotalB", "SeasonTotal", "PeakDemand",
                            "PeakDemandDay", "PeakDemandHour", "HourAverage", "menus"})
        EXPECT_TRUE(j.has(key)) << key;
    EXPECT_EQ(j["MonthTotalA"].arr().size(), 4u);
    EXPECT_EQ(j["MonthTotalA"][0].arr().size(), 13u);
    EXPECT_EQ(j["SeasonTotal"].arr().size(), 5u);
    EXPECT_EQ(j["PeakDemand"].arr().size(), 13u);
    const auto& menus = j["menus"].arr();
    ASSERT_EQ(menus.size(), 18u); // 東京電力: 4 + 2 + 2 + 6 + 2 + 2
    for (std::size_t i = 0; i < menus.size(); ++i) {
        EXPECT_EQ(menus[i]["utility"].num(), 1);
        EXPECT_EQ(menus[i]["LineKwh"].arr().size(), 7u);
        EXPECT_EQ(menus[i]["LineCharge"].arr().size(), 7u);
        EXPECT_EQ(menus[i]["panel"].obj().size(), 28u);
        if (i > 0) {
            EXPECT_LE(menus[i - 1]["TotalWithTax"].num(), menus[i]["TotalWithTax"].num());
        }
    }
    // 1175.00 x 100 x 0.85 x 12 + 7.10 x 10,000 (the night line of the cheapest demand charge).
    EXPECT_EQ(menus[0]["list"].num(), 46);
    EXPECT_EQ(menus[0]["index"].num(), 1);
    EXPECT_EQ(menus[0]["Total"].num(), 1198500 + 71000);

    const Json other = parse(cli(dir.path(), "compare --site 1 --utility 4 --json").out);
    EXPECT_EQ(other["menus"].arr().size(), 16u);
    const Json all = parse(cli(dir.path(), "compare --site 1 --all-utilities --json").out);
    EXPECT_EQ(all["menus"].arr().size(), 191u);
    EXPECT_EQ(cli(dir.path(), "compare --site 1 --utility 10").status, 1);

    const CliRun table = cli(dir.path(), "compare --site 1");
    EXPECT_EQ(table.status, 0);
    EXPECT_NE(table.out.find("順位"), std::string::npos);
    EXPECT_NE(table.out.find("高圧季節別時間帯別電力A"),
              std::string::npos); // the list item, as the window shows it
    EXPECT_NE(table.out.find("最安との差"), std::string::npos);
}

TEST_F(PriceCli, TenDayBookWithoutAnalyses) {
    const CliRun run = cli(dir.path(), "compare --site 1 --book tenday --json");
    ASSERT_EQ(run.status, 0);
    const Json j = parse(run.out);
    EXPECT_FALSE(j.has("PeakDemand"));
    EXPECT_FALSE(j.has("HourAverage"));
    EXPECT_EQ(j["MonthTotalA"][1][7].num(), 10000);
    const Json p = parse(cli(dir.path(), "price --site 1 --book tenday --menu 42:0 --json").out);
    EXPECT_EQ(p["menus"][0]["Total"].num(), 1790760);
    EXPECT_EQ(cli(dir.path(), "compare --site 1 --book weekly").status, 1);
}

TEST_F(PriceCli, SiteWithoutUtilityIsRefused) {
    for (const char* command : {"compare --site 2 --json", "price --site 2 --menu 42:0 --json"}) {
        const CliRun run = cli(dir.path(), command, true);
        EXPECT_EQ(run.status, 2) << command;
        EXPECT_EQ(run.out, "電力会社を選択してください。\n");
    }
    EXPECT_EQ(cli(dir.path(), "compare --site 9").status, 1);
}

TEST_F(PriceCli, SiteWithoutBookPricesAnEmptyYear) {
    const CliRun run = cli(dir.path(), "compare --site 3 --json");
    ASSERT_EQ(run.status, 0);
    const Json j = parse(run.out);
    EXPECT_EQ(j["menus"].arr().size(), 18u); // 北海道電力: 6 + 3 + 6 + 3
    EXPECT_EQ(j["menus"][0]["LineKwh"][1].num(), 0);
}

// Figures no bill can have, in a registry or book edited by hand, are never priced: the command
// names the reason and exits 2, compare-sites lists the site with it, and nothing is rewritten.
TEST_F(PriceCli, ImpossibleFiguresFromDiskAreNeverPriced) {
    struct Case {
        const char *mult, *kw, *pf;
        double reading;
        const char* named;
    };
    const Case cases[] = {{"1E+300", "100", "100", 1, "電力データ倍率"},
                          {"0", "100", "100", 1, "電力データ倍率"},
                          {"abc", "100", "100", 1, "電力データ倍率"},
                          {"1", "-450", "100", 1, "契約電力"},
                          {"1", "100", "250", 1, "年間力率"},
                          {"1", "100", "100", -1e9, "負の値"}};
    for (const Case& c : cases) {
        auto state = std::make_unique<wattorio::AppState>();
        state->AppDir = dir.path();
        state->SiteTable[1] = {" 1", "本社", c.mult, c.kw, c.pf, "1", "", "", ""};
        state->SaihanValue = 2;
        ASSERT_TRUE(wattorio::registry::saveRegistry(*state, 2));
        wattorio::yearbook::newYearBook(*state);
        state->HourData[3][10] = c.reading;
        ASSERT_TRUE(wattorio::yearbook::saveYearBook(*state, dir.file("000001_Y.dat")));
        const std::string registry = dir.read("Mt_Menu.dat");
        for (const char* command : {"price --site 1 --menu 42:0 --json", "compare --site 1"}) {
            const CliRun run = cli(dir.path(), command, true);
            EXPECT_EQ(run.status, 2) << command << " " << c.mult;
            EXPECT_NE(run.out.find(c.named), std::string::npos) << run.out;
        }
        const Json sites = parse(cli(dir.path(), "compare-sites --json").out);
        EXPECT_NE(sites[0]["reason"].str().find(c.named), std::string::npos);
        EXPECT_TRUE(sites[0]["best"].isNull());
        EXPECT_EQ(dir.read("Mt_Menu.dat"), registry);
    }
}

// A user menu with adders and 10 % tax, next to a broken line that is named on standard error.
TEST_F(PriceCli, PriceUserMenuWithAddersAndTax) {
    std::string file;
    ASSERT_TRUE(
        wattorio::toCp932("電力会社,区分,電圧,メニュー名,計算式,基本料金,料金1,料金2,料金3,料金4,料金5,"
                          "消費税率,燃料費等調整単価,再エネ賦課金単価\r\n"
                          "1,事務所・ビル・店舗,2,今年の提案,季節別,1638,12,10.9,,,,10,-1.5,3.5\r\n"
                          "1,工場,2,壊れた行,季節,1638,12,10.9,,,,10,0,0\r\n",
                          file));
    dir.write("User_Menus.csv", file);
    const CliRun run = cli(dir.path(), "price --site 1 --menu user:2 --json");
    ASSERT_EQ(run.status, 0) << run.out;
    const Json m = parse(run.out)["menus"][0];
    EXPECT_EQ(m["source"].str(), "user");
    EXPECT_EQ(m["line"].num(), 2);
    EXPECT_EQ(m["item"].str(), "今年の提案");
    EXPECT_EQ(m["LineCharge"][1].num(), 140000); // 10,000 kWh x (12 - 1.5 + 3.5)
    EXPECT_EQ(m["Total"].num(), 1810760);
    EXPECT_DOUBLE_EQ(m["TotalWithTax"].num(), 1991836);
    EXPECT_EQ(m["panel"]["Label11"].str(), "消費税10％含む　1,991,836 円");
    const CliRun table = cli(dir.path(), "price --site 1 --menu user:2", true);
    EXPECT_NE(table.out.find("3行目（計算式）"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("1,991,836 円"), std::string::npos);
    for (const char* bad : {"user:3", "user:9", "user:", "user:x"})
        EXPECT_EQ(cli(dir.path(), std::string("price --site 1 --menu ") + bad).status, 1) << bad;

    // The charge summary sheet: the same yen, the tax line under the total.
    ASSERT_EQ(cli(dir.path(), "report --site 1 --report 5 --menu user:2 --out " + dir.file("r5.xlsx")).status,
              0);
    const wattorio::test::ReadWorkbook book = wattorio::test::readWorkbook(dir.file("r5.xlsx"), dir.path());
    if (!book.ok)
        GTEST_SKIP() << book.error;
    const auto at = [&](int row, int col) { return book.sheets.at(0).find(row, col); };
    ASSERT_TRUE(at(4, 4) && at(8, 4) && at(9, 5));
    EXPECT_EQ(std::get<double>(at(4, 4)->value), 140000);
    EXPECT_EQ(std::get<double>(at(8, 4)->value), 1810760);
    EXPECT_EQ(at(9, 4)->text(), "消費税10％含む　1,991,836 円");
    EXPECT_EQ(std::get<double>(at(9, 5)->value), 1991836);
}

} // namespace
