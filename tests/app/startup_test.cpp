// Start-up, the settings file and the shutdown, with the fakes and real
// files in a temporary home.
#include <sys/stat.h>

#include "app/startup.hpp"
#include "app/services.hpp"
#include "app_fixture.hpp"
#include "common/report.hpp"

namespace pelicard::testing {
namespace {

const std::string kRepair = "Pelicard r\xE9pare pour vous";
const std::string kAsk = "Voulez-vous enregistrer le choix des options ?";

std::string Ini(const Settings& x) {
    const auto [storage, last, g, sel, c] = Fields(x);
    return storage + "\r\n" + last + "\r\n" + std::to_string(g) + "\r\n" + std::to_string(sel) + "\r\n" +
           std::to_string(c) + "\r\n";
}

using StartupTest = AppTest;

// An empty file is a first start; a missing documents folder is made.
TEST_F(StartupTest, FirstStartMakesTheStorageFolderWhereChosenAndWritesDefaults) {
    WriteIni("");
    std::filesystem::remove_all(docs);
    ASSERT_TRUE(StartUp(s));
    const std::string storage = docs + "/Documents Pelicard";
    EXPECT_EQ(dialogs.pickCalls.at(0).defaultFolder, docs + "/");
    EXPECT_TRUE(FolderExists(storage));
    EXPECT_EQ(ReadFileText(IniPath()), Ini({storage, "", 0, 0, 0}));
    EXPECT_TRUE(window.boxes.empty());  // no question on first start
    // The first run leaves the option menu items and labels untouched.
    EXPECT_TRUE(window.checked.empty());

    std::filesystem::remove(IniPath());
    const std::string parent = Mkdir("elsewhere");
    dialogs.folders.push_back(parent);
    State st;
    FakeWindow w;
    Wire(st, w);
    ASSERT_TRUE(StartUp(st));
    EXPECT_EQ(ReadFileText(IniPath()), Ini({parent + "/Documents Pelicard", "", 0, 0, 0}));
    EXPECT_EQ(dialogs.pickCalls.size(), 2u);  // the folder is then found in place
}

TEST_F(StartupTest, VanishedStorageFolderIsAskedAgainButFileWaitsForExit) {
    const std::string before = Ini({root + "/gone/Documents Pelicard", "", 1, 0, 0});
    WriteIni(before);
    ASSERT_TRUE(StartUp(s));
    EXPECT_EQ(dialogs.pickCalls.size(), 1u);
    EXPECT_TRUE(FolderExists(s.settings.StorageFolder));
    EXPECT_EQ(s.settings.StorageFolder, docs + "/Documents Pelicard");
    EXPECT_EQ(ReadFileText(IniPath()), before);
    EXPECT_TRUE(window.visible["lblGrouping"]);
}

TEST_F(StartupTest, ExitAsksUnlessConfirmOptionAndWritesOnlyOnYes) {
    const std::string storage = Mkdir("store");
    // confirm option, answers to the question, asked, written
    const std::tuple<std::uint8_t, std::deque<MsgResult>, bool, bool> cases[] = {
        {0, {MsgResult::Yes}, true, true}, {0, {MsgResult::No}, true, false}, {1, {}, false, true}};
    for (const auto& [confirm, answers, asked, written] : cases) {
        SCOPED_TRACE(confirm * 10 + static_cast<int>(answers.size()));
        const std::string before = Ini({storage, "", 0, 0, confirm});
        WriteIni(before);
        State st;
        FakeWindow w;
        Wire(st, w);
        ASSERT_TRUE(StartUp(st));
        st.settings.GroupingOption = 1;
        st.list.Count = 3;
        w.answers = answers;
        Shutdown(st);
        Shutdown(st);  // the unload runs once
        EXPECT_EQ(w.BoxTexts(), asked ? std::vector<std::string>{kAsk} : std::vector<std::string>{});
        EXPECT_EQ(ReadFileText(IniPath()), written ? Ini({storage, "", 1, 0, confirm}) : before);
        EXPECT_EQ(st.list.Count, 0);
    }
}

TEST_F(StartupTest, DamagedFilesAreRepairedAndNeverStopStartUp) {
    const std::string storage = Mkdir("store");
    struct Case {
        std::string name, text;
        std::string box;  // the ReadIni box, empty when the repair is silent
        Settings expected;  // also what the file is rewritten with
    };
    const Case cases[] = {
        {"two lines", storage + "\r\n/last\r\n", faults::kReadPastEnd, {storage, "/last", 0, 0, 0}},
        {"lines after the fifth", Ini({storage, "", 0, 1, 1}) + "bruit\r\n", "", {storage, "", 0, 1, 1}},
        {"overlong line", std::string(100000, 'a'), faults::kBadFileName, {"", "", 0, 0, 0}},
        {"word for a number", storage + "\r\n\r\n1\r\noui\r\n0\r\n", "Incompatibilit\xE9 de type",
         {storage, "", 1, 0, 0}},
        {"number too big", storage + "\r\n\r\n300\r\n0\r\n0\r\n", faults::kOverflow, {storage, "", 0, 0, 0}},
        {"both groupings on", Ini({storage, "", 1, 1, 2}), "", {storage, "", 1, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteIni(c.text);
        State st;
        FakeWindow w;
        Wire(st, w);
        ASSERT_TRUE(StartUp(st));
        EXPECT_EQ(w.BoxTexts(), (c.box.empty() ? std::vector<std::string>{}
                                               : std::vector<std::string>{c.box, kRepair}));
        const Settings& e = c.expected;
        EXPECT_EQ(ReadFileText(IniPath()), Ini(e));
        Settings inForce = e;
        if (inForce.StorageFolder.empty()) inForce.StorageFolder = docs + "/Documents Pelicard";
        EXPECT_EQ(Fields(st.settings), Fields(inForce));
        // The menu mirrors what is in force, repaired or not.
        EXPECT_EQ(w.checked["mnuGrouping"], e.GroupingOption == 1);
        EXPECT_EQ(w.checked["mnuConfirm(1)"], e.ConfirmOption == 0);
    }
}

TEST(IniText, ValuesEndAtCommasAndLineEndsAndSkipLeadingSpaces) {
    struct Case {
        std::string text;
        Settings expected;
        bool clean;
    };
    const Case cases[] = {
        {"/s,/l\r\n0,1\r\n1", {"/s", "/l", 0, 1, 1}, true},
        {"   /s\r\n  /l  \r\n  1\r\n 0  \r\n 0\r\n\r\n", {"/s", "/l  ", 1, 0, 0}, true},
        {"/s\n/l\r1\n0\r1\n", {"/s", "/l", 1, 0, 1}, true},
        {"\"/a,b\"\r\n\"\"\r\n0\r\n0\r\n0\r\n", {"/a,b", "", 0, 0, 0}, true},
        {"/R\xE9union\r\n\r\n0\r\n0\r\n0\r\n", {"/R\xC3\xA9union", "", 0, 0, 0}, true},  // older ANSI file
        {"/s\r\n/l\r\n1\r\n0\r\n0\r\nencore\r\n", {"/s", "/l", 1, 0, 0}, false},
        {"/s\r\n/l\r\n2\r\n0\r\n0\r\n", {"/s", "/l", 0, 0, 0}, false},
        {"\xEF\xBB\xBF/s\r\n/l\r\n0\r\n0\r\n1\r\n", {"/s", "/l", 0, 0, 1}, true},  // a byte-order mark is skipped
    };
    for (const Case& c : cases) {
        Settings st;
        EXPECT_EQ(ParseIni(c.text, st), c.clean) << c.text;
        EXPECT_EQ(Fields(st), Fields(c.expected)) << c.text;
    }
    // Every path reads back whole, one that begins like a byte-order mark too (found by fuzzing).
    for (const std::string p : {"/a,b/c", "  /lead", "\"/x\"y,z", "/caf\xC3\xA9/\xE2\x82\xAC", "\xEF\xBB\xBF/bom", ""}) {
        Settings in{p, p + "/sous", 0, 1, 1}, out;
        EXPECT_TRUE(ParseIni(FormatIni(in), out)) << p;
        EXPECT_EQ(Fields(out), Fields(in)) << p;
    }
}

TEST_F(StartupTest, WritingReplacesTheFileWholeOrEndsTheProgramWithoutTouchingIt) {
    WriteIni("ancien contenu\r\n");
    s.settings = {"/s", "/l", 0, 1, 0};
    pelicard::WriteIni(s, false);
    EXPECT_EQ(ReadFileText(IniPath()), Ini({"/s", "/l", 0, 1, 0}));
    const auto files = std::distance(std::filesystem::directory_iterator(appFolder),
                                     std::filesystem::directory_iterator());
    EXPECT_EQ(files, 1);  // no temporary left

    // The program's folder lies below a plain file: it cannot be made.
    WriteFileText(root + "/plain", "x");
    s.env.AppFolder = root + "/plain/app/";
    EXPECT_THROW(pelicard::WriteIni(s, false), ProgramEnding);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].title, "WriteIni");
    EXPECT_TRUE(window.closed);

    setenv("PELICARD_HOME", (root + "/plain/app").c_str(), 1);
    State st;
    FakeWindow w;
    Wire(st, w);
    EXPECT_FALSE(StartUp(st));
    ASSERT_EQ(w.boxes.size(), 1u);
    EXPECT_EQ(w.boxes[0].title, "InitPelicard");
    Shutdown(st);  // settings never read are not written
    EXPECT_EQ(w.boxes.size(), 1u);
}

TEST_F(StartupTest, StoreRootReplacesLastFolderUnlessItStillExists) {
    const std::string storage = Mkdir("store");
    const std::string kept = Mkdir("kept");
    GiveIdentity("/wine/store\\");
    for (const auto& [last, expected] : {std::pair<std::string, std::string>{kept, kept},
                                         {root + "/missing", "/wine/store"},
                                         {"", "/wine/store"}}) {
        WriteIni(Ini({storage, last, 0, 0, 0}));
        State st;
        FakeWindow w;
        Wire(st, w);
        ASSERT_TRUE(StartUp(st));
        EXPECT_EQ(st.env.StoreRoot, "/wine/store");
        EXPECT_EQ(st.settings.LastFolder, expected) << last;
        EXPECT_EQ(registry.openCount, 0);
    }
}

}  // namespace
}  // namespace pelicard::testing
