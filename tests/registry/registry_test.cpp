#include "app/listwrite.h"
#include "registry/menu_form.h"
#include "registry/registry.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <deque>

using namespace wattorio;
using namespace wattorio::registry;

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

std::string registryBytes(int sites) {
    ListWriter w;
    for (int i = 1; i <= sites; ++i)
        for (const std::string& f : SiteRecord{" " + std::to_string(i), "物件" + std::to_string(i), "1",
                                               "100", "90", "1", "", "", ""})
            w.writeString(f);
    return *w.bytes();
}

struct Fixture : ::testing::Test {
    test::TempDir dir;
    AppState state;
    MenuForm form{state};

    std::optional<Message> start() { return form.startUp(dir.path()); }

    Message addSite(const std::string& name, const std::string& mult = "1", const std::string& kw = "50",
                    const std::string& pf = "100", int utility = 0) {
        form.name = name;
        form.multiplier = mult;
        form.contract = kw;
        form.powerFactor = pf;
        form.chooseUtility(utility);
        return form.add();
    }
};

using RegistryTest = Fixture;

} // namespace

TEST(FailNameSetTest, SixDigitStemAndSuffixByKind) {
    EXPECT_EQ(Fail_Name_Set("/w/", " 1", 1), "/w/000001_Y.dat");
    EXPECT_EQ(Fail_Name_Set("/w/", " 12", 2), "/w/000012_W.dat");
    EXPECT_EQ(Fail_Name_Set("/w/", " 999999", 1), "/w/999999_Y.dat");
    EXPECT_EQ(Fail_Name_Set("/w/", " 1234567", 1), "/w/1234567_Y.dat");
    EXPECT_EQ(serialText(7), " 7");
}

TEST_F(RegistryTest, FirstStartIsQuietAndEmpty) {
    EXPECT_FALSE(start().has_value());
    EXPECT_EQ(form.nextSiteRow(), 1);
    EXPECT_EQ(state.SaihanValue, 1);
    EXPECT_EQ(form.bookMode(), 0);
    EXPECT_EQ(state.AppDir.back(), '/');
    EXPECT_EQ(form.multiplier, "1");
    EXPECT_EQ(form.contract, "0");
    EXPECT_EQ(form.powerFactor, "00");
    EXPECT_EQ(form.title(), "  ワットリオ" + std::string(55, ' ') + state.VersionText);
    EXPECT_EQ(MenuForm::versionLabel(), " Ver  1.02");
}

TEST_F(RegistryTest, AddChecksRunInOrder) {
    start();
    EXPECT_EQ(addSite("").text, "名称を入力してください。");
    EXPECT_EQ(addSite("a,b").text, "名称に 　, 　.　 が含まれていますので削除ください。");
    EXPECT_EQ(addSite("x", "0").text, "電力計の倍率を入力してください。");
    EXPECT_EQ(addSite("x", "0.5").text, "電力計の倍率は１以上を入力してください。");
    EXPECT_EQ(addSite("x", "1", "").text, "契約電力を入力してください。");
    EXPECT_EQ(addSite("x", "1", "49").text, "契約電力は５０ｋＷ以上を入力してください。");
    EXPECT_EQ(addSite("x", "1", "50", "0").text, "年間力率を入力してください。");
    EXPECT_EQ(addSite("x", "1", "50", "101").text, "年間力率は１００以下を入力してください。");
    EXPECT_EQ(addSite("x", "1", "50", "0.5").text, "年間力率は １ ～ 100 の範囲で入力してください。");
    form.name = "x";
    form.multiplier = "1";
    form.contract = "50";
    form.powerFactor = "100";
    state.UtilityNo = 0;
    const Message noUtility = form.add();
    EXPECT_EQ(noUtility.text, "電力会社を選択してください。");
    EXPECT_EQ(noUtility.title, "入力エラー");
    EXPECT_EQ(noUtility.icon, Icon::Question);
    EXPECT_FALSE(dir.exists(kRegistryFile)); // nothing saved by a refusal
}

TEST_F(RegistryTest, NamesThatCannotBeStoredOrBecomeFileNamesAreRefused) {
    start();
    for (const char* bad : {"a\"b", "a/b", "a\\b", "𠮷野家"}) {
        const Message m = addSite(bad, "1", "50", "100", 0);
        EXPECT_EQ(m.title, "入力エラー") << bad;
        EXPECT_EQ(m.icon, Icon::Question) << bad;
    }
    EXPECT_EQ(form.nextSiteRow(), 1);
}

TEST_F(RegistryTest, FirstAddWritesNineLinesAndResetsFields) {
    start();
    const Message m = addSite("本社", "1", "500", "100", 0);
    EXPECT_EQ(m.text, "登録しました。");
    EXPECT_EQ(m.title, "登録確認メッセージ");
    EXPECT_EQ(m.icon, Icon::None);
    EXPECT_EQ(state.SiteTable[1][0], " 1");
    EXPECT_EQ(state.SiteTable[1][5], "1");
    EXPECT_EQ(form.list().text(1, 0), "1");
    EXPECT_EQ(form.list().text(1, 1), "本社");
    EXPECT_EQ(dir.read(kSerialFile), "2\r\n");
    EXPECT_EQ(
        dir.read(kRegistryFile),
        std::string(
            "\" "
            "1\"\r\n\"\x96{\x8E\xD0\"\r\n\"1\"\r\n\"500\"\r\n\"100\"\r\n\"1\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n"));
    EXPECT_EQ(form.name, "");
    EXPECT_EQ(form.multiplier, "1");
    EXPECT_EQ(form.contract, "0");
    EXPECT_EQ(form.powerFactor, "00");
    EXPECT_EQ(form.utilityIndex(), -1);
    EXPECT_EQ(state.UtilityNo, 0);
}

TEST_F(RegistryTest, TwoHundredSitesAtMost) {
    dir.write(kRegistryFile, registryBytes(199));
    dir.write(kSerialFile, "200\r\n");
    start();
    EXPECT_EQ(addSite("最後", "1", "50", "100", 2).text, "登録しました。");
    EXPECT_EQ(form.nextSiteRow(), 201);
    EXPECT_EQ(addSite("超過", "1", "50", "100", 2).text, "登録件数が限界を超えました。");
}

TEST_F(RegistryTest, DeleteMovesRowsUpKeepsSerialsAndRemovesFiles) {
    dir.write(kRegistryFile, registryBytes(3));
    dir.write(kSerialFile, "4\r\n");
    dir.write("000002_Y.dat", "y");
    dir.write("000002_Ag_G.dat", "g");
    dir.write("000003_Y.dat", "keep");
    start();
    form.listClick(2);
    Answers answers;
    answers.queue = {Answer::Cancel};
    form.remove(answers);
    EXPECT_EQ(form.nextSiteRow(), 4);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "物件2 を 削除します。");
    EXPECT_EQ(answers.shown[0].buttons, Buttons::OkCancel);

    form.listClick(2);
    form.remove(answers);
    EXPECT_EQ(form.nextSiteRow(), 3);
    EXPECT_EQ(state.SiteTable[2][0], " 3");
    EXPECT_EQ(state.SiteTable[3][0], "");
    EXPECT_EQ(state.SaihanValue, 4);
    EXPECT_FALSE(dir.exists("000002_Y.dat"));
    EXPECT_FALSE(dir.exists("000002_Ag_G.dat"));
    EXPECT_TRUE(dir.exists("000003_Y.dat"));
    EXPECT_EQ(state.SiteRow, 0);
    EXPECT_EQ(addSite("新", "1", "50", "100", 0).text, "登録しました。");
    EXPECT_EQ(state.SiteTable[3][0], " 4");
}

TEST_F(RegistryTest, ChangeRefusesOnlyAPeriodAmongTheOldChecks) {
    dir.write(kRegistryFile, registryBytes(1));
    dir.write(kSerialFile, "2\r\n");
    start();
    form.listClick(1);
    form.name = "A.B";
    EXPECT_EQ(form.change()->text, "名称に不具合入力がありますので変更ください。");
    form.name = "A,B";
    form.contract = "10";
    const std::optional<Message> m = form.change();
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->text, "変更しました。");
    EXPECT_EQ(state.SiteTable[1][1], "A,B");
    EXPECT_EQ(state.SiteTable[1][3], "10");
    EXPECT_EQ(state.SiteRow, 0);
}

TEST_F(RegistryTest, ClicksOnEmptyRowsSelectNothing) {
    dir.write(kRegistryFile, registryBytes(2));
    dir.write(kSerialFile, "3\r\n");
    start();
    form.listClick(3);
    EXPECT_EQ(state.SiteRow, 0);
    EXPECT_FALSE(form.siteButtonsEnabled());
    Answers answers;
    EXPECT_FALSE(form.remove(answers).has_value());
    EXPECT_TRUE(answers.shown.empty());
    EXPECT_FALSE(form.select().has_value());
    EXPECT_EQ(form.nextSiteRow(), 3);
}

TEST_F(RegistryTest, SelectBuildsThePathOfTheChosenBook) {
    dir.write(kRegistryFile, registryBytes(2));
    dir.write(kSerialFile, "3\r\n");
    start();
    form.listClick(2);
    EXPECT_EQ(*form.select(), "Mainichi");
    EXPECT_EQ(state.SiteDataPath, dir.path() + "000002_Y.dat");
    form.chooseBookMode(2);
    EXPECT_EQ(*form.select(), "Nenkan");
    EXPECT_EQ(state.SiteDataPath, dir.path() + "000002_W.dat");
}

TEST_F(RegistryTest, RegistryRoundTripsByteForByte) {
    const std::string bytes = registryBytes(5);
    dir.write(kRegistryFile, bytes);
    dir.write(kSerialFile, "6\r\n");
    start();
    ASSERT_FALSE(form.Data_Save().has_value());
    EXPECT_EQ(dir.read(kRegistryFile), bytes);
    EXPECT_EQ(dir.read(kSerialFile), "6\r\n");
}

TEST(KeyFilterTest, DigitsBackspaceAndEnter) {
    EXPECT_EQ(digitFieldKey(U'7'), KeyAction::Accept);
    EXPECT_EQ(digitFieldKey(U'\b'), KeyAction::Accept);
    EXPECT_EQ(digitFieldKey(U'\r'), KeyAction::NextField);
    EXPECT_EQ(digitFieldKey(U'a'), KeyAction::Discard);
    EXPECT_EQ(digitFieldKey(U'.'), KeyAction::Discard);
    EXPECT_EQ(digitFieldKey(U'５'), KeyAction::Discard);
}

// Damaged registries: the program starts, keeps every complete record, keeps a copy of the file
// and says so once.
TEST_F(RegistryTest, TruncatedRecordIsSetAsideAndTheFileKept) {
    std::string bytes = registryBytes(3);
    bytes.resize(bytes.size() - 10);
    dir.write(kRegistryFile, bytes);
    dir.write(kSerialFile, "4\r\n");
    std::optional<Message> m = start();
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->icon, Icon::Warning);
    EXPECT_EQ(form.nextSiteRow(), 3);
    EXPECT_EQ(dir.read("Mt_Menu.dat.bak"), bytes);
}

TEST_F(RegistryTest, MissingCounterIsRebuiltAboveEverySerial) {
    ListWriter w;
    for (const std::string& f : SiteRecord{" 41", "a", "1", "50", "90", "1", "", "", ""})
        w.writeString(f);
    dir.write(kRegistryFile, *w.bytes());
    std::optional<Message> m = start();
    EXPECT_TRUE(m.has_value());
    EXPECT_EQ(state.SaihanValue, 42);
}

TEST_F(RegistryTest, StaleCounterIsRaised) {
    dir.write(kRegistryFile, registryBytes(3));
    dir.write(kSerialFile, "1\r\n");
    EXPECT_FALSE(start().has_value());
    EXPECT_EQ(state.SaihanValue, 4);
}

TEST_F(RegistryTest, MoreThanTwoHundredRecordsKeepsTheFirstTwoHundred) {
    const std::string bytes = registryBytes(300);
    dir.write(kRegistryFile, bytes);
    dir.write(kSerialFile, "301\r\n");
    std::optional<Message> m = start();
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(form.nextSiteRow(), 201);
    EXPECT_EQ(dir.read("Mt_Menu.dat.bak"), bytes);
}

TEST_F(RegistryTest, EmptyBinaryHugeAndUtf8FilesStartWithoutLoss) {
    {
        dir.write(kRegistryFile, "");
        dir.write(kSerialFile, "");
        AppState s;
        MenuForm f(s);
        f.startUp(dir.path());
        EXPECT_EQ(f.nextSiteRow(), 1);
        EXPECT_EQ(s.SaihanValue, 1);
    }
    {
        std::string binary;
        for (int i = 0; i < 4096; ++i)
            binary += static_cast<char>((i * 37) & 0xFF);
        dir.write(kRegistryFile, binary);
        AppState s;
        MenuForm f(s);
        f.startUp(dir.path());
        EXPECT_LE(f.nextSiteRow(), 201);
    }
    {
        dir.write(kRegistryFile, "\"" + std::string(10 * 1024 * 1024, 'x') + "\"\r\n" + registryBytes(1));
        AppState s;
        MenuForm f(s);
        std::optional<Message> m = f.startUp(dir.path());
        EXPECT_TRUE(m.has_value());
    }
    {
        ListWriter w;
        dir.write(
            kRegistryFile,
            "\" 1\"\r\n\"東京本社\"\r\n\"1\"\r\n\"100\"\r\n\"90\"\r\n\"1\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n");
        dir.write(kSerialFile, "2\r\n");
        AppState s;
        MenuForm f(s);
        std::optional<Message> m = f.startUp(dir.path());
        EXPECT_TRUE(m.has_value());
        EXPECT_EQ(f.nextSiteRow(), 2);
        EXPECT_EQ(s.SiteTable[1][1], "東京本社");
    }
}
