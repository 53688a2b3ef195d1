#include "app/listwrite.h"
#include "registry/menu_form.h"
#include "registry/registry.h"
#include "registry/site_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

using namespace wattorio;
using namespace wattorio::registry;
namespace fs = std::filesystem;

namespace {

class Answers : public Prompter {
public:
    Answer show(const Message& m) override {
        shown.push_back(m);
        if (queue.empty())
            return Answer::Ok;
        Answer a = queue.front();
        queue.pop_front();
        return a;
    }
    std::deque<Answer> queue;
    std::vector<Message> shown;
};

std::string recordFile(const std::vector<std::string>& fields) {
    ListWriter w;
    for (const std::string& f : fields)
        w.writeString(f);
    return *w.bytes();
}

SiteRecord site(int serial, const std::string& name, const std::string& utility = "1") {
    return {" " + std::to_string(serial), name, "2", "500", "95", utility, "", "", ""};
}

// Book-like contents: Shift_JIS text, CR LF, and bytes that any text conversion would alter.
std::string bookBytes(const std::string& tag) {
    std::string s;
    ListWriter w;
    w.writeStrings({"４月", tag});
    w.writeNumber(12.5);
    s = *w.bytes();
    s += std::string("\x00\xff\x1a\r\n", 5);
    return s;
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct SiteFilesTest : ::testing::Test {
    test::TempDir work;
    test::TempDir other;
    AppState state;
    MenuForm form{state};
    Answers answers;

    // A working folder with the given sites and the counter at `saihan`, started as the program would.
    void start(const std::vector<SiteRecord>& sites, float saihan) {
        ListWriter counter;
        counter.writeNumber(saihan);
        work.write(kSerialFile, *counter.bytes());
        std::string menu;
        for (const SiteRecord& s : sites)
            menu += *recordBytes(s);
        work.write(kRegistryFile, menu);
        ASSERT_FALSE(form.startUp(work.path()).has_value());
    }
    void startWithSites(int count) {
        std::vector<SiteRecord> sites;
        for (int i = 1; i <= count; ++i)
            sites.push_back(site(i, "物件" + std::to_string(i)));
        start(sites, static_cast<float>(count + 1));
    }
    void select(int row) { form.listClick(row); }

    // The registry as a fresh start would read it from disk.
    std::vector<SiteRecord> reloaded() {
        AppState fresh;
        MenuForm again(fresh);
        again.startUp(work.path());
        std::vector<SiteRecord> rows;
        for (int r = 1; r < again.nextSiteRow(); ++r)
            rows.push_back(fresh.SiteTable[r]);
        return rows;
    }
};

} // namespace

// ---- copy ----

TEST_F(SiteFilesTest, CopyTakesTheNextSerialAndCopiesBooksAndGeneratorSettingsOnly) {
    start({site(1, "本社"), site(3, "A", "4")}, 7);
    work.write("000003_Y.dat", bookBytes("year"));
    work.write("000003_Ag.dat", bookBytes("gen"));
    work.write("000003_Ag_G.dat", bookBytes("results"));
    select(2);

    FileOpResult r = copySite(form);
    EXPECT_EQ(r.outcome, Outcome::Done);
    ASSERT_TRUE(r.message);
    EXPECT_EQ(*r.message, notice("コピーしました", "  完了メッセージ"));

    EXPECT_EQ(form.nextSiteRow(), 4);
    const SiteRecord& copy = state.SiteTable[3];
    EXPECT_EQ(copy[0], " 7");
    EXPECT_EQ(copy[1], "A  \u3000(コピー)");
    EXPECT_EQ(copy[2], "2");
    EXPECT_EQ(copy[3], "500");
    EXPECT_EQ(copy[4], "95");
    EXPECT_EQ(copy[5], "4");
    EXPECT_EQ(state.SaihanValue, 8);
    EXPECT_EQ(work.read("000007_Y.dat"), bookBytes("year"));
    EXPECT_EQ(work.read("000007_Ag.dat"), bookBytes("gen"));
    // A missing ten-day book is skipped without a word; generator results are not copied.
    EXPECT_FALSE(work.exists("000007_W.dat"));
    EXPECT_FALSE(work.exists("000007_Ag_G.dat"));
    EXPECT_EQ(work.read("000003_Ag_G.dat"), bookBytes("results"));

    EXPECT_EQ(state.SiteRow, 0);
    EXPECT_EQ(state.UtilityNo, 0);
    EXPECT_EQ(form.name, "");
    EXPECT_EQ(form.utilityIndex(), -1);
    EXPECT_EQ(form.list().text(3, 1), "A  \u3000(コピー)");
    EXPECT_EQ(work.read(kSerialFile), "8\r\n");
    std::vector<SiteRecord> disk = reloaded();
    ASSERT_EQ(disk.size(), 3u);
    EXPECT_EQ(disk[2], copy);
}

TEST_F(SiteFilesTest, CopyRefusesADotInTheNameField) {
    start({site(1, "本社")}, 2);
    EXPECT_EQ(copySite(form).outcome, Outcome::Nothing); // no site chosen yet

    select(1);
    form.name = "本社.旧";
    FileOpResult dot = copySite(form);
    EXPECT_EQ(dot.outcome, Outcome::Refused);
    EXPECT_EQ(*dot.message, inputError("名称に不具合入力がありますので変更ください。"));
    EXPECT_EQ(form.nextSiteRow(), 2);
    EXPECT_EQ(state.SaihanValue, 2);
}

TEST_F(SiteFilesTest, CopyAndReadInRefuseTheTwoHundredFirstSite) {
    startWithSites(200);
    const std::string menuBefore = work.read(kRegistryFile);
    select(200);
    FileOpResult copy = copySite(form);
    EXPECT_EQ(copy.outcome, Outcome::Refused);
    EXPECT_EQ(*copy.message, inputError("登録件数が限界を超えました。"));

    other.write("Plant_Wattorio_M.dat", recordFile({" 3", "Plant", "1", "100", "90", "1", "", "", ""}));
    FileOpResult in = readIn(form, other.path(), "Plant_Wattorio_M.dat", answers);
    EXPECT_EQ(in.outcome, Outcome::Refused);
    EXPECT_EQ(*in.message, inputError("登録件数が限界を超えました。"));
    EXPECT_EQ(form.nextSiteRow(), 201);
    EXPECT_EQ(state.SaihanValue, 201);
    EXPECT_EQ(work.read(kRegistryFile), menuBefore);
}

TEST_F(SiteFilesTest, CopyWithOneHundredNinetyNineSitesFillsTheLastRow) {
    startWithSites(199);
    select(5);
    EXPECT_EQ(copySite(form).outcome, Outcome::Done);
    EXPECT_EQ(form.nextSiteRow(), 201);
    EXPECT_EQ(state.SiteTable[200][1], "物件5  \u3000(コピー)");
}

TEST_F(SiteFilesTest, NewSitePassesOverFilesLeftByAnUnregisteredSerial) {
    start({site(3, "A")}, 7);
    work.write("000003_Y.dat", bookBytes("A"));
    work.write("000007_W.dat", bookBytes("orphan"));
    select(1);
    ASSERT_EQ(copySite(form).outcome, Outcome::Done);
    EXPECT_EQ(state.SiteTable[2][0], " 8");
    EXPECT_EQ(work.read("000008_Y.dat"), bookBytes("A"));
    EXPECT_FALSE(work.exists("000008_W.dat"));
    EXPECT_EQ(work.read("000007_W.dat"), bookBytes("orphan"));
    EXPECT_FALSE(work.exists("000007_Y.dat"));
    EXPECT_EQ(state.SaihanValue, 9);
}

TEST_F(SiteFilesTest, CopyThatCannotSaveTheRegistryLeavesNothingBehind) {
    start({site(3, "A")}, 7);
    work.write("000003_Y.dat", bookBytes("A"));
    select(1);
    // The registry file cannot be replaced: a folder stands in its place.
    fs::remove(work.file(kRegistryFile));
    fs::create_directory(work.file(kRegistryFile));

    FileOpResult r = copySite(form);
    EXPECT_EQ(r.outcome, Outcome::Failed);
    ASSERT_TRUE(r.message);
    EXPECT_NE(r.message->text.find("物件は登録していません。"), std::string::npos);
    EXPECT_EQ(form.nextSiteRow(), 2);
    EXPECT_EQ(state.SaihanValue, 7);
    EXPECT_EQ(state.SiteTable[2], SiteRecord{});
    EXPECT_FALSE(work.exists("000007_Y.dat"));
    EXPECT_EQ(state.SiteRow, 1); // still selected: nothing happened
}

// ---- write out ----

TEST_F(SiteFilesTest, WriteOutPlantMakesTheRecordAndCopiesWhicheverFilesExist) {
    start({site(1, "本社"), site(2, "Plant", "7")}, 3);
    work.write("000002_Y.dat", bookBytes("Y"));
    work.write("000002_Ag.dat", bookBytes("Ag"));
    work.write("000002_Ag_G.dat", bookBytes("AgG"));
    select(2);
    const std::string pathBefore = state.SiteDataPath;

    FileOpResult r = writeOut(form, other.path(), answers);
    EXPECT_EQ(r.outcome, Outcome::Done);
    EXPECT_EQ(*r.message, notice("データを書き出しました。", "確認メッセージ"));
    EXPECT_TRUE(answers.shown.empty()); // nothing to replace, nothing asked
    EXPECT_EQ(other.read("Plant_Wattorio_M.dat"),
              "\" 2\"\r\n\"Plant\"\r\n\"2\"\r\n\"500\"\r\n\"95\"\r\n\"7\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n");
    EXPECT_EQ(other.read("Plant_Y.dat"), bookBytes("Y"));
    EXPECT_EQ(other.read("Plant_Ag.dat"), bookBytes("Ag"));
    EXPECT_EQ(other.read("Plant_Ag_G.dat"), bookBytes("AgG"));
    EXPECT_FALSE(other.exists("Plant_W.dat"));
    // Writing out changes neither the registry nor the selection nor an open book's file.
    EXPECT_EQ(state.SiteRow, 2);
    EXPECT_EQ(state.SiteDataPath, pathBefore);
    EXPECT_EQ(form.nextSiteRow(), 3);
}

TEST_F(SiteFilesTest, WriteOutWithoutASelectedSiteAsksForOne) {
    start({site(1, "本社")}, 2);
    FileOpResult r = writeOut(form, other.path(), answers);
    EXPECT_EQ(r.outcome, Outcome::Refused);
    EXPECT_EQ(*r.message, notice("書き出す名称を選択してください。", "\u3000\u3000選択エラー"));
    EXPECT_TRUE(filesIn(other.path()).empty());
}

TEST_F(SiteFilesTest, WriteOutOverAnExistingSetAsksAndReplacesTheWholeSet) {
    start({site(1, "Plant"), site(2, "Plant")}, 3);
    work.write("000001_Y.dat", bookBytes("first"));
    work.write("000001_W.dat", bookBytes("first ten-day"));
    work.write("000002_Y.dat", bookBytes("second"));
    select(1);
    ASSERT_EQ(writeOut(form, other.path(), answers).outcome, Outcome::Done);

    // The second site of the same name: Cancel writes nothing.
    select(2);
    answers.queue = {Answer::Cancel};
    FileOpResult cancelled = writeOut(form, other.path(), answers);
    EXPECT_EQ(cancelled.outcome, Outcome::Cancelled);
    EXPECT_FALSE(cancelled.message);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].title, "確認メッセージ");
    EXPECT_EQ(answers.shown[0].buttons, Buttons::OkCancel);
    EXPECT_EQ(other.read("Plant_Y.dat"), bookBytes("first"));
    EXPECT_NE(other.read("Plant_Wattorio_M.dat").find("\" 1\""), std::string::npos);

    // OK replaces it, and the first site's ten-day book does not stay behind in the set.
    FileOpResult replaced = writeOut(form, other.path(), answers);
    EXPECT_EQ(replaced.outcome, Outcome::Done);
    EXPECT_EQ(other.read("Plant_Y.dat"), bookBytes("second"));
    EXPECT_FALSE(other.exists("Plant_W.dat"));
    EXPECT_NE(other.read("Plant_Wattorio_M.dat").find("\" 2\""), std::string::npos);
}

TEST_F(SiteFilesTest, WriteOutRefusesNamesThatAreNoPlainFileNameOrHitASiteFile) {
    start({site(1, "本社"), site(3, "000001"), site(4, "sub/x"), site(5, "123456")}, 6);
    work.write("000001_Y.dat", bookBytes("site 1"));
    work.write("000003_Y.dat", bookBytes("site 3"));
    // Into the working folder, a site named like another site's file stem would overwrite it.
    select(2);
    FileOpResult clash = writeOut(form, work.path(), answers);
    EXPECT_EQ(clash.outcome, Outcome::Refused);
    EXPECT_EQ(work.read("000001_Y.dat"), bookBytes("site 1"));
    // Elsewhere it is an ordinary name.
    EXPECT_EQ(writeOut(form, other.path(), answers).outcome, Outcome::Done);
    EXPECT_EQ(other.read("000001_Y.dat"), bookBytes("site 3"));

    select(3);
    fs::create_directory(other.file("sub"));
    FileOpResult slash = writeOut(form, other.path(), answers);
    EXPECT_EQ(slash.outcome, Outcome::Refused);
    EXPECT_TRUE(filesIn(other.file("sub")).empty());

    // A serial no site holds yet is kept free too; other names may go into the working folder.
    select(4);
    EXPECT_EQ(writeOut(form, work.path(), answers).outcome, Outcome::Refused);
    EXPECT_FALSE(work.exists("123456_Wattorio_M.dat"));
    select(1);
    EXPECT_EQ(writeOut(form, work.path(), answers).outcome, Outcome::Done);
    EXPECT_TRUE(work.exists("本社_Wattorio_M.dat"));

    EXPECT_EQ(writeOut(form, other.file("missing/"), answers).outcome, Outcome::Refused);
}

// ---- read in ----

TEST_F(SiteFilesTest, ReadInPlantRegistersANewSiteWithTheNextSerial) {
    start({site(1, "本社"), site(2, "支店")}, 7);
    other.write("Plant_Wattorio_M.dat", recordFile({" 3", "Plant", "40", "1200", "98", "5", "", "", ""}));
    other.write("Plant_Y.dat", bookBytes("Y"));
    other.write("Plant_Ag_G.dat", bookBytes("AgG"));
    select(1);

    FileOpResult r = readIn(form, other.path(), "Plant_Wattorio_M.dat", answers);
    EXPECT_EQ(r.outcome, Outcome::Done);
    EXPECT_FALSE(r.message); // no completion message
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0], confirm("Plant_Wattorio_M.dat のデータを読み込みます。"));

    EXPECT_EQ(form.nextSiteRow(), 4);
    EXPECT_EQ(state.SiteTable[3], (SiteRecord{" 7", "Plant", "40", "1200", "98", "5", "", "", ""}));
    EXPECT_EQ(state.SaihanValue, 8);
    EXPECT_EQ(state.SiteRow, 0);
    EXPECT_EQ(work.read("000007_Y.dat"), bookBytes("Y"));
    EXPECT_EQ(work.read("000007_Ag_G.dat"), bookBytes("AgG"));
    EXPECT_FALSE(work.exists("000007_W.dat"));
    EXPECT_FALSE(work.exists("000007_Ag.dat"));
    EXPECT_EQ(form.list().text(3, 1), "Plant");
    EXPECT_EQ(reloaded().size(), 3u);
}

TEST_F(SiteFilesTest, ReadInNeedsASelectionAndStopsOnCancel) {
    start({}, 1);
    FileOpResult none = readIn(form, other.path(), "", answers);
    EXPECT_EQ(*none.message, notice("読み込むファイル名を選択してください。", "選択エラー"));
    EXPECT_TRUE(answers.shown.empty());

    other.write("Plant_Wattorio_M.dat", recordFile({" 3", "Plant", "1", "100", "90", "1", "", "", ""}));
    answers.queue = {Answer::Cancel};
    EXPECT_EQ(readIn(form, other.path(), "Plant_Wattorio_M.dat", answers).outcome, Outcome::Cancelled);
    EXPECT_EQ(form.nextSiteRow(), 1);
    EXPECT_EQ(work.read(kRegistryFile), "");
}

// Transfer sets come from elsewhere: each of these is refused and registers nothing.
TEST_F(SiteFilesTest, ReadInRefusesUntrustedRecords) {
    start({site(1, "本社")}, 2);
    auto record = [](const std::string& name) {
        return recordFile({" 3", name, "1", "100", "90", "1", "", "", ""});
    };
    const std::string fine = record("Plant");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"parent", record("../evil")},
        {"dots", record("..")},
        {"slash", record("sub/evil")},
        {"backslash", record("sub\\evil")},
        {"control", record("a\tb")},
        {"quote in a bare field",
         "\" 3\"\r\na\"b\r\n\"1\"\r\n\"100\"\r\n\"90\"\r\n\"1\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n"},
        {"line break in a field", record("a\r\nb")},
        {"empty name", record("")},
        {"too long", record(std::string(201, 'x'))},
        {"eight fields", recordFile({" 3", "Plant", "1", "100", "90", "1", "", ""})},
        {"ten fields", fine + "\"\"\r\n"},
        {"two records", fine + fine},
        {"empty file", ""},
        {"open quote", "\" 3\"\r\n\"Plant\r\n"},
        {"not Shift_JIS",
         "\" 3\"\r\n\"\x82\"\r\n\"1\"\r\n\"100\"\r\n\"90\"\r\n\"1\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n"},
        {"long other field",
         recordFile({" 3", "Plant", std::string(201, '9'), "100", "90", "1", "", "", ""})},
        {"multiplier 0", recordFile({" 3", "Plant", "0", "100", "90", "1", "", "", ""})},
        {"contract 1e300", recordFile({" 3", "Plant", "1", "1e300", "90", "1", "", "", ""})},
        {"power factor 250", recordFile({" 3", "Plant", "1", "100", "250", "1", "", "", ""})},
    };
    fs::create_directory(other.file("sub"));
    other.write("sub/evil_Y.dat", bookBytes("outside"));
    const std::string menuBefore = work.read(kRegistryFile);
    const std::vector<std::string> workBefore = filesIn(work.path());
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        other.write("X_Wattorio_M.dat", bytes);
        FileOpResult r = readIn(form, other.path(), "X_Wattorio_M.dat", answers);
        EXPECT_EQ(r.outcome, Outcome::Refused);
        ASSERT_TRUE(r.message);
        EXPECT_NE(r.message->text.find("何も登録していません。"), std::string::npos);
        EXPECT_EQ(form.nextSiteRow(), 2);
        EXPECT_EQ(state.SaihanValue, 2);
        EXPECT_EQ(work.read(kRegistryFile), menuBefore);
        EXPECT_EQ(filesIn(work.path()), workBefore);
    }

    // The limits themselves are fine: a 200-character name reads in.
    other.write("X_Wattorio_M.dat", record(std::string(200, 'x')));
    EXPECT_EQ(readIn(form, other.path(), "X_Wattorio_M.dat", answers).outcome, Outcome::Done);
}

TEST_F(SiteFilesTest, ReadInTakesDataFilesOnlyAsPlainFilesOfTheChosenFolder) {
    start({}, 1);
    other.write("Plant_Wattorio_M.dat", recordFile({" 3", "Plant", "1", "100", "90", "1", "", "", ""}));
    other.write("Plant_Y.dat", bookBytes("Y"));
    work.write("secret.dat", bookBytes("elsewhere"));
    // A link, then a hard link (a second name of a file elsewhere), in the companion's place.
    for (const bool hard : {false, true}) {
        SCOPED_TRACE(hard ? "hard link" : "symlink");
        fs::remove(other.file("Plant_W.dat"));
        if (hard)
            fs::create_hard_link(work.file("secret.dat"), other.file("Plant_W.dat"));
        else
            fs::create_symlink(work.file("secret.dat"), other.file("Plant_W.dat"));
        FileOpResult r = readIn(form, other.path(), "Plant_Wattorio_M.dat", answers);
        EXPECT_EQ(r.outcome, Outcome::Refused);
        ASSERT_TRUE(r.message);
        EXPECT_NE(r.message->text.find("Plant_W.dat"), std::string::npos) << r.message->text;
        EXPECT_EQ(form.nextSiteRow(), 1);
        EXPECT_FALSE(work.exists("000001_Y.dat"));
        EXPECT_FALSE(work.exists("000001_W.dat"));
    }
}

TEST_F(SiteFilesTest, ReadInThatCannotSaveTheRegistryRemovesTheCopiedFiles) {
    start({site(1, "本社")}, 2);
    other.write("Plant_Wattorio_M.dat", recordFile({" 3", "Plant", "1", "100", "90", "1", "", "", ""}));
    other.write("Plant_Y.dat", bookBytes("Y"));
    fs::remove(work.file(kSerialFile));
    fs::create_directory(work.file(kSerialFile));

    FileOpResult r = readIn(form, other.path(), "Plant_Wattorio_M.dat", answers);
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_EQ(form.nextSiteRow(), 2);
    EXPECT_EQ(state.SaihanValue, 2);
    EXPECT_FALSE(work.exists("000002_Y.dat"));
}

// A site written out and read into another installation arrives with identical files.
TEST_F(SiteFilesTest, WrittenOutSetReadIntoAFreshFolderIsByteIdentical) {
    start({site(1, "本社"), site(5, "第二工場", "2")}, 6);
    work.write("000005_Y.dat", bookBytes("year"));
    work.write("000005_W.dat", bookBytes("ten-day"));
    work.write("000005_Ag.dat", bookBytes("generator"));
    work.write("000005_Ag_G.dat", bookBytes("results"));
    select(2);
    ASSERT_EQ(writeOut(form, other.path(), answers).outcome, Outcome::Done);

    test::TempDir fresh;
    AppState freshState;
    MenuForm freshForm(freshState);
    freshForm.startUp(fresh.path());
    ASSERT_EQ(readIn(freshForm, other.path(), "第二工場_Wattorio_M.dat", answers).outcome, Outcome::Done);

    EXPECT_EQ(freshState.SiteTable[1], (SiteRecord{" 1", "第二工場", "2", "500", "95", "2", "", "", ""}));
    for (const char* suffix : {"_Y.dat", "_W.dat", "_Ag.dat", "_Ag_G.dat"}) {
        SCOPED_TRACE(suffix);
        EXPECT_EQ(fresh.read(std::string("000001") + suffix), work.read(std::string("000005") + suffix));
    }
    AppState again;
    MenuForm againForm(again);
    EXPECT_FALSE(againForm.startUp(fresh.path()).has_value());
    EXPECT_EQ(againForm.nextSiteRow(), 2);
    EXPECT_EQ(again.SaihanValue, 2);
}

// The meter data and the invoices belong to the site: a copy, a transfer set and 削　除 take them.
TEST_F(SiteFilesTest, MeterDataAndInvoicesTravelWithTheSite) {
    start({site(1, "本社"), site(3, "A")}, 7);
    const char* suffixes[] = {kIntervalSuffix, kInvoiceSuffix};
    for (const char* suffix : suffixes)
        work.write(std::string("000003") + suffix, bookBytes(suffix));
    select(2);
    ASSERT_EQ(copySite(form).outcome, Outcome::Done);
    select(2);
    ASSERT_EQ(writeOut(form, other.path(), answers).outcome, Outcome::Done);
    test::TempDir fresh;
    AppState freshState;
    MenuForm freshForm(freshState);
    freshForm.startUp(fresh.path());
    ASSERT_EQ(readIn(freshForm, other.path(), std::string("A") + kTransferSuffix, answers).outcome, Outcome::Done);
    for (const char* suffix : suffixes) {
        SCOPED_TRACE(suffix);
        EXPECT_EQ(work.read(std::string("000007") + suffix), bookBytes(suffix));
        EXPECT_EQ(other.read(std::string("A") + suffix), bookBytes(suffix));
        EXPECT_EQ(fresh.read(std::string("000001") + suffix), bookBytes(suffix));
    }
    select(2);
    EXPECT_FALSE(form.remove(answers).has_value());
    for (const char* suffix : suffixes)
        EXPECT_FALSE(work.exists(std::string("000003") + suffix)) << suffix;
}

// ---- new folder, delete ----

TEST_F(SiteFilesTest, NewFolderIsQuietWhenItCannotBeMade) {
    FileOpResult made = makeFolder(other.path(), "  出力  ");
    EXPECT_EQ(made.outcome, Outcome::Done);
    EXPECT_EQ(*made.message, notice("フォルダーを作成しました。", ""));
    EXPECT_TRUE(fs::is_directory(other.file("出力")));

    EXPECT_FALSE(makeFolder(other.path(), "出力").message); // exists already
    EXPECT_EQ(makeFolder(other.path(), "   ").outcome, Outcome::Nothing);
    EXPECT_FALSE(makeFolder(other.path(), "../escape").message);
    EXPECT_FALSE(fs::exists(other.file("../escape")));
}

TEST_F(SiteFilesTest, DeleteAsksClearsReadOnlyAndReports) {
    EXPECT_EQ(*deleteFile(other.path(), "", answers).message,
              notice("削除ファイル名を選択してください。", "選択エラー"));

    other.write("Plant_Y.dat", "x");
    fs::permissions(other.file("Plant_Y.dat"), fs::perms::owner_read | fs::perms::group_read);
    answers.queue = {Answer::Cancel};
    EXPECT_EQ(deleteFile(other.path(), "Plant_Y.dat", answers).outcome, Outcome::Cancelled);
    EXPECT_TRUE(other.exists("Plant_Y.dat"));
    EXPECT_EQ(answers.shown.back(), confirm("Plant_Y.dat のデータを削除ます。"));

    FileOpResult done = deleteFile(other.path(), "Plant_Y.dat", answers);
    EXPECT_EQ(*done.message, notice("削除しました。", "削除メッセージ"));
    EXPECT_FALSE(other.exists("Plant_Y.dat"));

    // A folder is not a file: it stays.
    fs::create_directory(other.file("keep"));
    EXPECT_EQ(deleteFile(other.path(), "keep", answers).outcome, Outcome::Refused);
    EXPECT_TRUE(fs::is_directory(other.file("keep")));
    EXPECT_EQ(deleteFile(other.path(), "gone.dat", answers).outcome, Outcome::Failed);
}

// ---- the panel's lists ----

TEST_F(SiteFilesTest, PanelListsTransferRecordsOrAllFilesAndFollowsFolders) {
    start({site(1, "本社")}, 2);
    other.write("b_Wattorio_M.dat", "");
    other.write("A_WATTORIO_M.DAT", "");
    other.write("b_Y.dat", "");
    fs::create_directory(other.file("set2"));
    fs::create_directory(other.file(".hidden"));

    const std::string root = other.path().substr(0, other.path().find('/', 1) + 1); // "/tmp/"
    FilePanelForm panel(form, work.path(), {"/", root});
    EXPECT_EQ(panel.Dir_Path, "");
    EXPECT_EQ(panel.shownFolder(), work.path());
    EXPECT_EQ(panel.driveIndex(), 1); // the longest matching root
    EXPECT_EQ(panel.pattern(), "*_Wattorio_M.dat");

    panel.chooseFolder(other.path().substr(0, other.path().size() - 1));
    EXPECT_EQ(panel.Dir_Path, other.path());
    EXPECT_EQ(panel.files(), (std::vector<std::string>{"A_WATTORIO_M.DAT", "b_Wattorio_M.dat"}));
    const std::vector<FolderEntry>& folders = panel.folders();
    ASSERT_EQ(folders.size(), 3u);
    EXPECT_EQ(folders[0].path, root);
    EXPECT_TRUE(folders[1].open);
    EXPECT_EQ(folders[1].path, other.path());
    EXPECT_EQ(folders[2].name, "set2");
    EXPECT_EQ(folders[2].depth, 2);
    EXPECT_FALSE(folders[2].open);

    panel.setAllFiles(true);
    EXPECT_EQ(panel.pattern(), "*.*");
    EXPECT_EQ(panel.files().size(), 3u);
    panel.setAllFiles(false);

    // Read in from the selected record, and the selection is cleared after it.
    other.write("b_Wattorio_M.dat", recordFile({" 9", "b", "1", "100", "90", "1", "", "", ""}));
    panel.selectFile(1);
    EXPECT_EQ(panel.selectedFile(), "b_Wattorio_M.dat");
    EXPECT_EQ(panel.readIn(answers).outcome, Outcome::Done);
    EXPECT_EQ(panel.selectedIndex(), -1);
    EXPECT_EQ(state.SiteTable[2][1], "b");

    // A new folder from Text5 empties the field and shows up in the list.
    form.folderName = "new";
    EXPECT_EQ(panel.makeFolder().outcome, Outcome::Done);
    EXPECT_EQ(form.folderName, "");
    EXPECT_EQ(panel.folders().size(), 4u);

    // Deleting the selected file re-reads the list.
    panel.selectFile(0);
    EXPECT_EQ(panel.deleteFile(answers).outcome, Outcome::Done);
    EXPECT_EQ(panel.files(), (std::vector<std::string>{"b_Wattorio_M.dat"}));

    // The drive list: a root that cannot be read keeps the shown folder.
    FilePanelForm broken(form, other.path(), {"/", work.file("no-such-volume")});
    std::optional<Message> bad = broken.chooseDrive(1);
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->text, "ドライブの選択が不正です。");
    EXPECT_EQ(bad->title, "ワットリオ");
    EXPECT_EQ(broken.shownFolder(), other.path());
    EXPECT_FALSE(broken.chooseDrive(0));
    EXPECT_EQ(broken.Dir_Path, "/");
}

TEST(HelpPageTest, InstalledManualFirstThenTheSourceTree) {
    test::TempDir prefix;
    fs::create_directories(prefix.file("bin"));
    fs::create_directories(prefix.file("src-help"));
    prefix.write("src-help/index.html", "<html>");
    EXPECT_EQ(helpPagePath(prefix.file("bin"), prefix.file("src-help")), prefix.file("src-help/index.html"));
    EXPECT_EQ(helpPagePath(prefix.file("bin"), prefix.file("none")), "");

    fs::create_directories(prefix.file("share/wattorio/help"));
    prefix.write("share/wattorio/help/index.html", "<html>");
    EXPECT_EQ(helpPagePath(prefix.file("bin"), prefix.file("src-help")),
              prefix.file("share/wattorio/help/index.html"));
}

TEST(HelpPageTest, TheShippedManualExists) {
    EXPECT_NE(helpPagePath("", WATTORIO_SOURCE_DIR "/docs/help"), "");
}
