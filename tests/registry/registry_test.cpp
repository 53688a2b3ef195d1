#include "app/listwrite.h"
#include "app/sjis.h"
#include "registry/menu_form.h"
#include "registry/registry.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

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
    EXPECT_EQ(serialText(7), " 7");
    EXPECT_EQ(serialText(100000), " 100000");
    // Only a serial names a file: nothing else can reach outside the folder.
    for (const char* bad : {" 1234567", "", "  ", "../../outside/escaped", " 1a", "第二工場", " -1", " 1.5"})
        EXPECT_EQ(Fail_Name_Set("/w/", bad, 1), "") << bad;
}

TEST_F(RegistryTest, FirstStartIsQuietAndEmpty) {
    EXPECT_FALSE(start().has_value());
    EXPECT_EQ(form.nextSiteRow(), 1);
    EXPECT_EQ(state.SaihanValue, 1);
    EXPECT_EQ(form.bookMode(), 0);
    EXPECT_EQ(state.AppDir.back(), '/');
    EXPECT_EQ(form.multiplier, "1");
    EXPECT_EQ(form.contract, "0");
    EXPECT_EQ(form.powerFactor, ""); // 年間力率 starts empty
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
    EXPECT_EQ(form.powerFactor, "");
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
        dir.write(kRegistryFile,
                  "\xEF\xBB\xBF\" "
                  "1\"\r\n\"東京本社\"\r\n\"1\"\r\n\"100\"\r\n\"90\"\r\n\"1\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n");
        dir.write(kSerialFile, "2\r\n");
        AppState s;
        MenuForm f(s);
        std::optional<Message> m = f.startUp(dir.path());
        EXPECT_TRUE(m.has_value());
        EXPECT_EQ(f.nextSiteRow(), 2);
        EXPECT_EQ(s.SiteTable[1][1], "東京本社");
    }
}

// A field that could end a record early never reaches the file, whichever field it is in.
TEST_F(RegistryTest, QuotesLineBreaksAndControlsAreRefusedInEveryStoredField) {
    dir.write(kRegistryFile, registryBytes(1));
    dir.write(kSerialFile, "2\r\n");
    start();
    const std::string before = dir.read(kRegistryFile);
    const std::string forged =
        "1\",\"100\",\"90\",\"1\",\"\",\"\",\"\",\"../../outside/escaped\",\"EVIL\",\"1";
    for (const std::string& bad :
         {forged, std::string("1\r\n2"), std::string("1\n"), std::string("1\t"), std::string("1\x7F")}) {
        for (std::string MenuForm::*field :
             {&MenuForm::name, &MenuForm::multiplier, &MenuForm::contract, &MenuForm::powerFactor}) {
            form.name = "工場";
            form.multiplier = "1";
            form.contract = "100";
            form.powerFactor = "90";
            form.chooseUtility(0);
            form.*field = bad;
            EXPECT_EQ(form.add().title, "入力エラー") << bad;
            form.listClick(1);
            form.*field = bad;
            const std::optional<Message> changed = form.change();
            ASSERT_TRUE(changed.has_value());
            EXPECT_EQ(changed->title, "入力エラー") << bad;
        }
    }
    EXPECT_EQ(dir.read(kRegistryFile), before);
    // The core save refuses them too, whoever fills the table.
    state.SiteTable[1][2] = forged;
    EXPECT_FALSE(saveRegistry(state, 2).ok());
    EXPECT_EQ(dir.read(kRegistryFile), before);
}

// Damage inside the file costs the damaged records only; what is registered always has a serial.
TEST_F(RegistryTest, DamagedRecordsAreSetAsideAndReadingFindsTheNextRecord) {
    const std::string good = registryBytes(3);
    auto replaced = [&](const std::string& fromText, const std::string& toText) {
        std::string from, to, b = good;
        toCp932(fromText, from);
        toCp932(toText, to);
        b.replace(b.find(from), from.size(), to);
        return b;
    };
    const struct {
        const char* what;
        std::string bytes;
        std::vector<std::string> serials;
    } cases[] = {
        {"NUL over a closing quote", replaced("物件1\"", std::string("物件1\0", 8)), {" 2", " 3"}},
        {"a line lost", replaced("\"物件2\"\r\n", ""), {" 1", " 3"}},
        {"a forged record in one field",
         replaced("\"1\"\r\n\"100\"",
                  "\"1\",\"100\",\"90\",\"1\",\"\",\"\",\"\",\"../x\",\"EVIL\",\"1\"\r\n\"100\""),
         {" 2", " 3"}},
        {"a name where the serial is", replaced("\" 2\"", "\"第二工場\""), {" 1", " 3"}},
        {"a serial used twice", replaced("\" 3\"", "\" 1\""), {" 1", " 2"}},
        {"a serial of seven digits", replaced("\" 2\"", "\" 1234567\""), {" 1", " 3"}},
    };
    for (const auto& c : cases) {
        test::TempDir d;
        d.write(kRegistryFile, c.bytes);
        d.write(kSerialFile, "4\r\n");
        AppState s;
        MenuForm f(s);
        const std::optional<Message> m = f.startUp(d.path());
        ASSERT_TRUE(m.has_value()) << c.what;
        EXPECT_NE(m->text.find("件の登録を読み込みませんでした"), std::string::npos) << c.what;
        std::vector<std::string> serials;
        for (int r = 1; r < f.nextSiteRow(); ++r)
            serials.push_back(s.SiteTable[r][0]);
        EXPECT_EQ(serials, c.serials) << c.what;
        EXPECT_EQ(d.read("Mt_Menu.dat.bak"), c.bytes) << c.what;
    }
}

TEST_F(RegistryTest, ShiftJisIsTakenFirstAndUtf8OnlyWhenItCannotBeShiftJis) {
    auto oneSite = [](const std::string& nameBytes) {
        return "\" 1\"\r\n\"" + nameBytes +
               "\"\r\n\"1\"\r\n\"100\"\r\n\"90\"\r\n\"1\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n";
    };
    const struct {
        std::string bytes;
        std::string name;
        bool told;
    } cases[] = {
        {oneSite("\xC4\xB3\xCE\xB8"), "ﾄｳﾎｸ", false}, // Shift_JIS half-width katakana, valid UTF-8 too
        {oneSite("TOHOKU \xC4\xB3\xCE\xB8"), "TOHOKU ﾄｳﾎｸ", false},
        {oneSite("ﾄｳﾎｸ"), "ﾄｳﾎｸ", true}, // UTF-8 that no Shift_JIS reader accepts
        {"\xEF\xBB\xBF" + oneSite("本社"), "本社", true},
    };
    for (const auto& c : cases) {
        test::TempDir d;
        d.write(kRegistryFile, c.bytes);
        d.write(kSerialFile, "2\r\n");
        AppState s;
        MenuForm f(s);
        EXPECT_EQ(f.startUp(d.path()).has_value(), c.told) << c.name;
        EXPECT_EQ(s.SiteTable[1][1], c.name);
        // Every later save works, and a Shift_JIS file is written back as it was.
        ASSERT_FALSE(f.Data_Save().has_value()) << c.name;
        if (!c.told) {
            EXPECT_EQ(d.read(kRegistryFile), c.bytes);
        }
    }
}

TEST_F(RegistryTest, DamageIsCopiedOnceAndNotRewrittenWhenNoCopyCanBeMade) {
    std::string damaged = registryBytes(2) + "\"broken";
    dir.write(kRegistryFile, damaged);
    dir.write(kSerialFile, "3\r\n");
    for (int run = 0; run < 3; ++run) {
        AppState s;
        MenuForm f(s);
        ASSERT_TRUE(f.startUp(dir.path()).has_value());
    }
    EXPECT_TRUE(dir.exists("Mt_Menu.dat.bak"));
    EXPECT_FALSE(dir.exists("Mt_Menu.dat.bak2"));

    // A dangling link at the copy's name is passed over, never written through.
    dir.write(kRegistryFile, damaged += "x");
    std::filesystem::create_symlink(dir.file("elsewhere"), dir.file("Mt_Menu.dat.bak2"));
    start();
    EXPECT_FALSE(dir.exists("elsewhere"));
    EXPECT_EQ(dir.read("Mt_Menu.dat.bak3"), damaged);

    // No name left for a copy: the damaged file stays as it is for the whole run.
    for (int i = 4; i <= 99; ++i)
        dir.write("Mt_Menu.dat.bak" + std::to_string(i), "other");
    dir.write(kRegistryFile, damaged += "y");
    AppState s;
    MenuForm f(s);
    const std::optional<Message> told = f.startUp(dir.path());
    ASSERT_TRUE(told.has_value());
    EXPECT_NE(told->text.find("書き換えません"), std::string::npos);
    f.name = "新";
    f.multiplier = "1";
    f.contract = "50";
    f.powerFactor = "90";
    f.chooseUtility(0);
    EXPECT_EQ(f.add().title, "保存エラー");
    EXPECT_EQ(dir.read(kRegistryFile), damaged);
    EXPECT_EQ(dir.read(kSerialFile), "3\r\n");
}

TEST_F(RegistryTest, NewSerialsAreWholeNumbersThatNoFileUsesUpTo999999) {
    dir.write(kRegistryFile, registryBytes(1));
    dir.write(kSerialFile, "2\r\n");
    dir.write("000002_Y.dat", "left by a killed copy");
    dir.write("000003_Ag.dat", "left too");
    start();
    EXPECT_EQ(addSite("新", "1", "50", "90").text, "登録しました。");
    EXPECT_EQ(state.SiteTable[2][0], " 4");
    EXPECT_EQ(dir.read("000002_Y.dat"), "left by a killed copy");

    dir.write(kSerialFile, "99999\r\n");
    start();
    EXPECT_EQ(addSite("a", "1", "50", "90").text, "登録しました。");
    EXPECT_EQ(addSite("b", "1", "50", "90").text, "登録しました。");
    EXPECT_EQ(state.SiteTable[4][0], " 100000");
    EXPECT_EQ(dir.read(kSerialFile), "100001\r\n");
    EXPECT_EQ(Fail_Name_Set(dir.path(), state.SiteTable[4][0], 1), dir.file("100000_Y.dat"));

    dir.write(kSerialFile, "999999\r\n");
    start();
    EXPECT_EQ(addSite("last", "1", "50", "90").text, "登録しました。");
    EXPECT_EQ(dir.read(kSerialFile), "1000000\r\n");
    start();
    const Message refused = addSite("past", "1", "50", "90");
    EXPECT_EQ(refused.text, serialsExhausted());
    EXPECT_EQ(form.nextSiteRow(), 6);
}

// A whole file is read by position: fields that look like serials are fields, and damage
// elsewhere costs only the records it touches.
TEST_F(RegistryTest, FieldsThatLookLikeSerialsAreReadAsFields) {
    const std::vector<SiteRecord> sites = {
        {" 1", "本社", " 3", "500", "90", "1", "高圧", "工場", ""},
        {" 2", " 12", "1", "100", "85", "2", "", "", "Y2024"},
        {" 3", "倉庫", "1", " 4", "90", "3", "特別高圧", "", ""},
        {" 4", "支店", "1", "100", " 5", "1", "", "", ""},
    };
    auto bytes = [&](const std::vector<SiteRecord>& records) {
        ListWriter w;
        for (const SiteRecord& r : records)
            for (const std::string& f : r)
                w.writeString(f);
        return *w.bytes();
    };
    auto without = [&](std::string b, const std::string& line) {
        std::string sj;
        toCp932(line, sj);
        return b.erase(b.find(sj), sj.size());
    };
    const std::string whole = bytes(sites);
    const struct {
        const char* what;
        std::string bytes;
        std::vector<std::string> serials;
    } cases[] = {
        {"whole", whole, {" 1", " 2", " 3", " 4"}},
        {"a line lost before a name \" 12\"", without(whole, "\"\"\r\n"), {" 2", " 3", " 4"}},
        {"a line lost after it", without(whole, "\"倉庫\"\r\n"), {" 1", " 2", " 4"}},
        {"a serial lost before a multiplier \" 3\"",
         bytes({sites[1], {"x", "本社", " 3", "500", "90", "1", "", "", ""}, sites[2]}),
         {" 2", " 3"}},
    };
    for (const auto& c : cases) {
        test::TempDir d;
        d.write(kRegistryFile, c.bytes);
        d.write(kSerialFile, "5\r\n");
        AppState s;
        MenuForm f(s);
        const std::optional<Message> m = f.startUp(d.path());
        EXPECT_EQ(m.has_value(), c.bytes != whole) << c.what;
        if (m) {
            EXPECT_EQ(m->text.find("途中で切れていました"), std::string::npos) << c.what;
        }
        std::vector<std::string> serials;
        for (int r = 1; r < f.nextSiteRow(); ++r) {
            serials.push_back(s.SiteTable[r][0]);
            const auto same = std::find_if(sites.begin(), sites.end(),
                                           [&](const SiteRecord& x) { return x[0] == s.SiteTable[r][0]; });
            ASSERT_NE(same, sites.end()) << c.what;
            EXPECT_EQ(s.SiteTable[r], *same) << c.what;
        }
        EXPECT_EQ(serials, c.serials) << c.what;
        if (c.bytes == whole) {
            ASSERT_FALSE(f.Data_Save().has_value());
            EXPECT_EQ(d.read(kRegistryFile), whole);
        }
    }
}

// The counter at its limit: one past the last serial is a sound counter, anything beyond is not.
TEST_F(RegistryTest, TheCounterIsReadUpToOnePastTheLastSerial) {
    const struct {
        const char* counter;
        bool told;
        int value;
    } cases[] = {{"999999\r\n", false, 999999}, {"1000000\r\n", false, 1000000}, {"1000001\r\n", true, 2}};
    for (const auto& c : cases) {
        test::TempDir d;
        d.write(kRegistryFile, registryBytes(1));
        d.write(kSerialFile, c.counter);
        AppState s;
        MenuForm f(s);
        EXPECT_EQ(f.startUp(d.path()).has_value(), c.told) << c.counter;
        EXPECT_EQ(s.SaihanValue, c.value) << c.counter;
    }
}
