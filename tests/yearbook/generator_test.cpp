#include "yearbook/generator.h"

#include "app/numtext.h"
#include "app/sjis.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

using namespace wattorio;
using namespace wattorio::yearbook;

namespace {

TextGrid bookGrid() {
    return TextGrid(366, 28, 1, 3);
}

GeneratorSettings settings(std::string start, std::string end, std::string cap, std::string minGen,
                           std::string minSup) {
    return {std::move(start), std::move(end), std::move(cap), std::move(minGen), std::move(minSup)};
}

// Every hour cell of every day row holds `text`.
void fill(TextGrid& grid, const std::string& text) {
    for (int r = 1; r <= 365; ++r)
        for (int c = 4; c < 28; ++c)
            grid.setText(r, c, text);
}

int countLines(const std::string& bytes) {
    int n = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == '\r' && bytes[i + 1] == '\n')
            ++n;
    return n;
}

} // namespace

TEST(GeneratorDecision, WorkedExample) {
    // Multiplier 1, capacity 100, minimum output 20, minimum purchase 30.
    EXPECT_EQ(generatorDecision(200, 100, 20, 30), 100); // full output
    EXPECT_EQ(generatorDecision(120, 100, 20, 30), 30);  // down to the minimum purchase
    EXPECT_EQ(generatorDecision(80, 100, 20, 30), 30);   // below capacity, above 30 + 20
    EXPECT_EQ(generatorDecision(45, 100, 20, 30), 45);   // not above 30 + 20: does not run
    EXPECT_EQ(generatorDecision(25, 100, 20, 30), 25);
    // The limits themselves.
    EXPECT_EQ(generatorDecision(130, 100, 20, 30), 30); // not above 130: the second rule
    EXPECT_EQ(generatorDecision(100, 100, 20, 30), 30);
    EXPECT_EQ(generatorDecision(50, 100, 20, 30), 50);
    EXPECT_EQ(generatorDecision(50.5f, 100, 20, 30), 30);
}

TEST(GeneratorDecision, SumsAreComparedInSinglePrecision) {
    // 0.1f + 0.2f is 0.3f in single precision: a reading of 0.3 is not above the running limit,
    // though it is in double precision.
    EXPECT_EQ(generatorDecision(0.3f, 100, 0.2f, 0.1f), 0.3f);
    // Likewise 0.1f + 0.7f is 0.8f: a reading of 0.8 under capacity 0.9 does not run either.
    EXPECT_EQ(generatorDecision(0.8f, 0.9f, 0.7f, 0.1f), 0.8f);
}

TEST(GeneratorDecision, NeverRaisesAReadingToTheMinimumPurchase) {
    // Capacity below the minimum purchase: a reading between them is left alone.
    EXPECT_EQ(generatorDecision(150, 100, 0, 300), 150);
    EXPECT_EQ(generatorDecision(300, 100, 0, 300), 300);
    EXPECT_EQ(generatorDecision(350, 100, 0, 300), 300);
    EXPECT_EQ(generatorDecision(450, 100, 0, 300), 350);
}

TEST(GeneratorValues, MeterUnitsAndHours) {
    const GeneratorValues v = generatorValues(settings("9時", "17時", "500", "100", "300"), 10);
    EXPECT_EQ(v.startH, 9);
    EXPECT_EQ(v.endH, 17);
    EXPECT_EQ(v.cap, 50);
    EXPECT_EQ(v.minGen, 10);
    EXPECT_EQ(v.minSup, 30);
    const GeneratorValues empty = generatorValues(settings("", "", "", "", ""), 1);
    EXPECT_EQ(empty.startH, 0);
    EXPECT_EQ(empty.cap, 0);
}

TEST(GeneratorRun, ProcessesTheWindowOnEveryDay) {
    AppState state;
    TextGrid grid = bookGrid();
    fill(grid, "200");
    grid.setText(10, 13, "");      // an empty cell reads as 0 and is written back as 0
    grid.setText(11, 14, "80kWh"); // the leading number counts
    ASSERT_TRUE(simulateGenerator(grid, state, settings("9時", "17時", "100", "20", "30"), 1));
    for (int r = 1; r <= 365; ++r) {
        EXPECT_EQ(grid.text(r, 12), "200") << r; // 8時
        EXPECT_EQ(grid.text(r, 22), "200") << r; // 18時
        EXPECT_EQ(state.GenData[8][r], 0);
        if (r != 10 && r != 11)
            for (int h = 9; h <= 17; ++h) {
                ASSERT_EQ(grid.text(r, h + 4), "100");
                ASSERT_EQ(state.GenData[h][r], 100);
            }
    }
    EXPECT_EQ(grid.text(10, 13), "0");
    EXPECT_EQ(state.GenData[9][10], 0);
    EXPECT_EQ(grid.text(11, 14), "30");
    EXPECT_EQ(state.GenData[10][11], 50);
    EXPECT_EQ(state.GenData[9][0], 0); // row 0 holds no day
}

TEST(GeneratorRun, ResultsAreShortestSingleTexts) {
    AppState state;
    TextGrid grid = bookGrid();
    fill(grid, "0.3");
    grid.setText(1, 4, "123.456");
    ASSERT_TRUE(simulateGenerator(grid, state, settings("0時", "0時", "100", "0.2", "0.1"), 1));
    EXPECT_EQ(grid.text(2, 4), "0.3");    // at the running limit in single precision: no run
    const float rest = 123.456f - 100.0f; // 23.456001 in single precision
    EXPECT_EQ(grid.text(1, 4), numberText(rest));
    EXPECT_EQ(grid.text(1, 4), "23.456001");
    EXPECT_EQ(state.GenData[0][1], static_cast<double>(123.456f - rest));
    EXPECT_EQ(grid.text(1, 5), "0.3");
}

TEST(GeneratorRun, EmptyOrReversedWindows) {
    AppState state;
    TextGrid grid = bookGrid();
    fill(grid, "200");
    // An empty start is 0时: hours 0..2.
    ASSERT_TRUE(simulateGenerator(grid, state, settings("", "2時", "100", "20", "30"), 1));
    EXPECT_EQ(grid.text(5, 4), "100");
    EXPECT_EQ(grid.text(5, 6), "100");
    EXPECT_EQ(grid.text(5, 7), "200");
    // 18時 to 8時 runs no hour.
    TextGrid other = bookGrid();
    fill(other, "200");
    AppState s2;
    ASSERT_TRUE(simulateGenerator(other, s2, settings("18時", "8時", "100", "20", "30"), 1));
    for (int c = 4; c < 28; ++c)
        EXPECT_EQ(other.text(100, c), "200");
    // The whole day; the label columns never change.
    other.setText(1, 3, "7");
    ASSERT_TRUE(simulateGenerator(other, s2, settings("0時", "23時", "100", "20", "30"), 1));
    EXPECT_EQ(other.text(1, 3), "7");
    EXPECT_EQ(other.text(1, 4), "100");
    EXPECT_EQ(other.text(1, 27), "100");
    // Hours outside the day are refused (a huge one once overflowed into an index).
    for (const auto& [start, end] :
         {std::pair{"-3", "23"}, {"0", "30"}, {"2147483648", "5"}, {"1e10", "5"}, {"5", "1E+400"}}) {
        SCOPED_TRACE(start);
        const Status s = simulateGenerator(other, s2, settings(start, end, "100", "20", "30"), 1);
        ASSERT_FALSE(s);
        EXPECT_NE(s.error().message.find("0時 から 23時"), std::string::npos);
    }
}

TEST(GeneratorRun, MultiplierConvertsKilowattsToMeterUnits) {
    AppState state;
    TextGrid grid = bookGrid();
    fill(grid, "100");
    ASSERT_TRUE(simulateGenerator(grid, state, settings("0時", "23時", "500", "0", "10"), 10));
    EXPECT_EQ(grid.text(1, 4), "50");
    EXPECT_EQ(state.GenData[0][1], 50);
}

TEST(GeneratorRun, RefusedInputsChangeNothing) {
    AppState state;
    state.GenData[3][3] = 7;
    TextGrid grid = bookGrid();
    fill(grid, "200");
    for (double m : {0.0, -1.0}) {
        const Status s = simulateGenerator(grid, state, settings("0時", "23時", "100", "20", "30"), m);
        ASSERT_FALSE(s);
        EXPECT_NE(s.error().message.find("乗率"), std::string::npos);
    }
    const Status negative = simulateGenerator(grid, state, settings("0時", "23時", "100", "-20", "30"), 1);
    ASSERT_FALSE(negative);
    EXPECT_NE(negative.error().message.find("発電最小"), std::string::npos);
    EXPECT_EQ(grid.text(1, 4), "200");
    EXPECT_EQ(state.GenData[3][3], 7);
    EXPECT_EQ(state.GenData[0][1], 0);
}

TEST(GeneratorSettingsFile, RoundTripAndExactBytes) {
    test::TempDir dir;
    const GeneratorSettings s = settings("9時", "17時", "100", "20", "30");
    ASSERT_TRUE(saveGeneratorSettings(dir.file("000001_Ag.dat"), s));
    std::string expected;
    ASSERT_TRUE(toCp932("\"9時\",\"17時\",\"100\",\"20\",\"30\"\r\n", expected));
    EXPECT_EQ(dir.read("000001_Ag.dat"), expected);
    Result<GeneratorSettings> back = Load_Ag(dir.file("000001_Ag.dat"));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, s);
}

TEST(GeneratorSettingsFile, MissingShortOrUnsafeSettings) {
    test::TempDir dir;
    EXPECT_FALSE(Load_Ag(dir.file("none_Ag.dat")));
    dir.write("short_Ag.dat", "\"9時\",\"17時\"\r\n");
    EXPECT_FALSE(Load_Ag(dir.file("short_Ag.dat")));
    // Bare fields are read as typed.
    dir.write("bare_Ag.dat", "1,2,3,4,5\r\n");
    Result<GeneratorSettings> bare = Load_Ag(dir.file("bare_Ag.dat"));
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->minPurchase, "5");
    // A double quote would break the statement: refused, the old file kept.
    ASSERT_TRUE(saveGeneratorSettings(dir.file("x_Ag.dat"), settings("1", "2", "3", "4", "5")));
    EXPECT_FALSE(saveGeneratorSettings(dir.file("x_Ag.dat"), settings("1", "2", "3\"", "4", "5")));
    EXPECT_EQ(Load_Ag(dir.file("x_Ag.dat"))->capacity, "3");
}

class GeneratorResults : public ::testing::Test {
protected:
    void SetUp() override {
        state = std::make_unique<AppState>();
        for (int r = 1; r <= 365; ++r) {
            state->DayCode[r] = {"1月", std::to_string(r)};
            state->DayMark[r] = {static_cast<float>(r % 3), 0};
        }
        path = dir.file("000001_Ag_G.dat");
    }
    test::TempDir dir;
    std::unique_ptr<AppState> state;
    std::string path;
};

TEST_F(GeneratorResults, FileLayoutAndRoundTrip) {
    state->GenData[0][0] = 1.5;
    state->GenData[25][365] = 0.25;
    state->GenData[9][100] = 123.456;
    ASSERT_TRUE(Data_save_AG(*state, path));
    const std::string bytes = dir.read("000001_Ag_G.dat");
    EXPECT_EQ(countLines(bytes), 10980);
    std::string head;
    ASSERT_TRUE(toCp932("\"\"\r\n\"\"\r\n\"1月\"\r\n\"1\"\r\n", head));
    EXPECT_EQ(bytes.substr(0, head.size()), head);

    AppState back;
    ASSERT_TRUE(Data_Lada_AG(back, path, true));
    EXPECT_EQ(back.GenData, state->GenData);
    EXPECT_EQ(back.DayCode, state->DayCode);
    EXPECT_EQ(back.DayMark, state->DayMark);
}

TEST_F(GeneratorResults, MissingFileGivesZerosAndKeepsTheLabels) {
    state->GenData[3][3] = 9;
    ASSERT_TRUE(Data_Lada_AG(*state, path, true));
    EXPECT_EQ(state->GenData[3][3], 0);
    EXPECT_EQ(state->DayCode[5][1], "5");
}

TEST_F(GeneratorResults, ARunKeepsTheBooksLabelsAndClasses) {
    AppState stored;
    stored.DayCode[5] = {"old", "old"};
    stored.DayMark[5] = {1, 1};
    stored.GenData[4][5] = 10;
    ASSERT_TRUE(Data_save_AG(stored, path));
    TextGrid grid = bookGrid();
    fill(grid, "200");
    ASSERT_TRUE(runGenerator(grid, *state, settings("4時", "4時", "100", "20", "30"), 1, path));
    EXPECT_EQ(state->DayCode[5][0], "1月");
    EXPECT_EQ(state->DayMark[5][0], 2);
    EXPECT_EQ(state->GenData[4][5], 110);
    // The generation view takes the stored ones.
    ASSERT_TRUE(Data_Lada_AG(*state, path, true));
    EXPECT_EQ(state->DayCode[5][0], "old");
}

TEST_F(GeneratorResults, SecondSavedRunAccumulates) {
    TextGrid grid = bookGrid();
    fill(grid, "200");
    grid.setText(2, 13, "45");
    const GeneratorSettings s = settings("9時", "9時", "100", "20", "30");
    ASSERT_TRUE(runGenerator(grid, *state, s, 1, path));
    ASSERT_TRUE(Data_save_AG(*state, path));
    EXPECT_EQ(grid.text(1, 13), "100");
    // A Cancel leaves unsaved totals in memory; the next run starts from the saved file.
    state->GenData[9][1] = 999;
    ASSERT_TRUE(runGenerator(grid, *state, s, 1, path));
    ASSERT_TRUE(Data_save_AG(*state, path));
    EXPECT_EQ(grid.text(1, 13), "30"); // 100 is above 30 + 20 again
    EXPECT_EQ(state->GenData[9][1], 170);
    EXPECT_EQ(grid.text(2, 13), "45"); // never ran
    EXPECT_EQ(state->GenData[9][2], 0);
    // The generation view shows the total reduction of all saved runs.
    AppState view;
    ASSERT_TRUE(Data_Lada_AG(view, path, true));
    EXPECT_EQ(view.GenData[9][1], 170);
    // A third run finds nothing more above 30 + 20.
    ASSERT_TRUE(runGenerator(grid, *state, s, 1, path));
    EXPECT_EQ(grid.text(1, 13), "30");
    EXPECT_EQ(state->GenData[9][1], 170);
}

TEST_F(GeneratorResults, DamagedResultsFileRefusesTheRun) {
    AppState stored;
    stored.GenData[9][1] = 50;
    ASSERT_TRUE(Data_save_AG(stored, path));
    std::string bytes = dir.read("000001_Ag_G.dat");
    dir.write("000001_Ag_G.dat", bytes.substr(0, bytes.size() / 2));
    state->GenData[9][1] = 77;
    TextGrid grid = bookGrid();
    fill(grid, "200");
    const Status s = runGenerator(grid, *state, settings("9時", "9時", "100", "20", "30"), 1, path);
    ASSERT_FALSE(s);
    EXPECT_NE(s.error().message.find("000001_Ag_G.dat"), std::string::npos);
    EXPECT_EQ(state->GenData[9][1], 77);
    EXPECT_EQ(grid.text(1, 13), "200");
    EXPECT_EQ(state->DayCode[1][0], "1月");
    // Read for the view, the amounts before the damage are there.
    ASSERT_FALSE(Data_Lada_AG(*state, path, true));
    EXPECT_EQ(state->GenData[9][1], 50);
    // Damage among the labels: none of them is taken.
    state->DayCode[1] = {"1月", "1"};
    dir.write("000001_Ag_G.dat", bytes.substr(0, 200));
    ASSERT_FALSE(Data_Lada_AG(*state, path, true));
    EXPECT_EQ(state->DayCode[1][1], "1");
    EXPECT_EQ(state->GenData[9][1], 0);
}

TEST_F(GeneratorResults, DamagedSettingsAreKeptAsideBeforeAnythingIsSaved) {
    const std::string ag = dir.file("000001_Ag.dat");
    EXPECT_TRUE(openGeneratorSettings(ag).note.empty());       // missing: nothing to tell
    dir.write("000001_Ag.dat", std::string("\"9\x00\x1B", 4)); // short and with control bytes
    const GeneratorSettingsLoad load = openGeneratorSettings(ag);
    EXPECT_EQ(load.settings, GeneratorSettings{});
    EXPECT_FALSE(load.keepUnwritten);
    EXPECT_NE(load.note.find("000001_Ag.dat.bak"), std::string::npos) << load.note;
    EXPECT_EQ(dir.read("000001_Ag.dat.bak"), std::string("\"9\x00\x1B", 4));
}

TEST_F(GeneratorResults, ARunIsSavedAllOrNothing) {
    const GeneratorRunFiles files{dir.file("000001_Y.dat"), path, dir.file("000001_Ag.dat")};
    state->HourData[9][1] = 100;
    state->GenData[9][1] = 100;
    const GeneratorSettings s = settings("9時", "17時", "100", "0", "0");
    ASSERT_TRUE(saveGeneratorRun(*state, s, files));
    const std::string book = dir.read("000001_Y.dat"), results = dir.read("000001_Ag_G.dat");
    EXPECT_EQ(Load_Ag(files.settings)->end, "17時");

    // A new run that cannot write one of its files (here a value beyond the range; a full disk
    // acts alike) changes none of the three.
    state->HourData[9][1] = 50;
    state->GenData[9][1] = HUGE_VAL;
    EXPECT_FALSE(saveGeneratorRun(*state, settings("10時", "17時", "100", "0", "0"), files));
    state->GenData[9][1] = 150;
    std::filesystem::remove(files.settings);
    std::filesystem::create_directory(files.settings); // the settings' place cannot take a file
    EXPECT_FALSE(saveGeneratorRun(*state, settings("10時", "17時", "100", "0", "0"), files));
    EXPECT_EQ(dir.read("000001_Y.dat"), book);
    EXPECT_EQ(dir.read("000001_Ag_G.dat"), results);
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        entries += e.is_regular_file();
    EXPECT_EQ(entries, 2); // no temporary left behind
}
