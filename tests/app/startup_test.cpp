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

std::string Ini(const std::string& storage, const std::string& last, int g, int sel, int c) {
    return storage + "\r\n" + last + "\r\n" + std::to_string(g) + "\r\n" + std::to_string(sel) + "\r\n" +
           std::to_string(c) + "\r\n";
}

using StartupTest = AppTest;

// An empty file is a first start; a missing documents folder is made.
TEST_F(StartupTest, FirstStartWithPickerCancelledUsesDocumentsAndWritesDefaults) {
    WriteIni("");
    std::filesystem::remove_all(docs);
    ASSERT_TRUE(StartUp(s));
    const std::string storage = docs + "/Documents Pelicard";
    EXPECT_EQ(s.env.AppFolder, appFolder);
    EXPECT_EQ(s.env.MyDocumentsFolder, docs + "/");
    ASSERT_EQ(dialogs.pickCalls.size(), 1u);
    EXPECT_EQ(dialogs.pickCalls[0].defaultFolder, docs + "/");
    EXPECT_EQ(dialogs.pickCalls[0].title,
              "Choisir le dossier dans lequel sera cr\xE9\xE9 le dossier de stockage\r'" + docs +
                  "/' par d\xE9" "faut");
    EXPECT_EQ(s.settings.StorageFolder, storage);
    EXPECT_TRUE(FolderExists(storage));
    EXPECT_EQ(ReadFileText(IniPath()), Ini(storage, "", 0, 0, 0));
    EXPECT_TRUE(window.boxes.empty());  // no question on first start
    // The first run leaves the option menu items and labels untouched.
    EXPECT_TRUE(window.checked.empty());
    EXPECT_FALSE(window.visible.count("lblGrouping"));
    EXPECT_EQ(printer.font, "Arial");
    EXPECT_EQ(printer.points, 10);
    EXPECT_FALSE(window.enabled["mnuSelectAll"]);
    EXPECT_TRUE(s.app.Started);
}

TEST_F(StartupTest, FirstStartWithPickerAnsweredCreatesStorageThere) {
    const std::string parent = Mkdir("elsewhere");
    dialogs.folders.push_back(parent);
    ASSERT_TRUE(StartUp(s));
    EXPECT_EQ(s.settings.StorageFolder, parent + "/Documents Pelicard");
    EXPECT_TRUE(FolderExists(parent + "/Documents Pelicard"));
    EXPECT_FALSE(FolderExists(docs + "/Documents Pelicard"));
    EXPECT_EQ(ReadFileText(IniPath()), Ini(parent + "/Documents Pelicard", "", 0, 0, 0));
    EXPECT_EQ(dialogs.pickCalls.size(), 1u);  // step i finds the folder in place
}

TEST_F(StartupTest, TwoLineFileIsRepairedFromTheValuesRead) {
    const std::string storage = Mkdir("store");
    WriteIni(storage + "\r\n/last\r\n");
    ASSERT_TRUE(StartUp(s));
    ASSERT_EQ(window.boxes.size(), 2u);
    EXPECT_EQ(window.boxes[0].title, "ReadIni");
    EXPECT_EQ(window.boxes[0].text, faults::kReadPastEnd);
    EXPECT_EQ(window.boxes[1].text, kRepair);
    EXPECT_EQ(window.boxes[1].title, "Pelicard");
    EXPECT_EQ(ReadFileText(IniPath()), Ini(storage, "/last", 0, 0, 0));
    EXPECT_TRUE(s.app.Started);
    EXPECT_TRUE(dialogs.pickCalls.empty());
}

TEST_F(StartupTest, VanishedStorageFolderIsAskedAgainButFileWaitsForExit) {
    const std::string before = Ini(root + "/gone/Documents Pelicard", "", 1, 0, 0);
    WriteIni(before);
    ASSERT_TRUE(StartUp(s));
    ASSERT_EQ(dialogs.pickCalls.size(), 1u);
    EXPECT_EQ(dialogs.pickCalls[0].defaultFolder, docs + "/");
    EXPECT_EQ(s.settings.StorageFolder, docs + "/Documents Pelicard");
    EXPECT_TRUE(FolderExists(s.settings.StorageFolder));
    EXPECT_EQ(ReadFileText(IniPath()), before);
    EXPECT_TRUE(window.checked["mnuGrouping"]);
    EXPECT_TRUE(window.visible["lblGrouping"]);
    EXPECT_FALSE(window.visible["lblSelection"]);
    EXPECT_FALSE(window.checked["mnuConfirm(0)"]);
    EXPECT_TRUE(window.checked["mnuConfirm(1)"]);
}

TEST_F(StartupTest, ExitAsksUnlessConfirmOptionAndWritesOnlyOnYes) {
    struct Case {
        int confirm;
        std::deque<MsgResult> answers;
        bool asked, written;
    };
    const Case cases[] = {{0, {MsgResult::Yes}, true, true},
                          {0, {MsgResult::No}, true, false},
                          {1, {}, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.confirm * 10 + static_cast<int>(c.answers.size()));
        const std::string storage = Mkdir("store");
        const std::string before = Ini(storage, "", 0, 0, c.confirm);
        WriteIni(before);
        State st;
        FakeWindow w;
        Wire(st, w);
        ASSERT_TRUE(StartUp(st));
        st.settings.GroupingOption = 1;
        st.list.Count = 3;
        w.answers = c.answers;
        Shutdown(st);
        Shutdown(st);  // the unload runs once
        ASSERT_EQ(w.boxes.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(w.boxes[0].text, kAsk);
            EXPECT_EQ(w.boxes[0].icon, MsgIcon::Question);
            EXPECT_EQ(w.boxes[0].buttons, MsgButtons::YesNo);
        }
        EXPECT_EQ(ReadFileText(IniPath()), c.written ? Ini(storage, "", 1, 0, c.confirm) : before);
        EXPECT_EQ(st.list.Count, 0);
    }
}

TEST_F(StartupTest, DamagedFilesAreRepairedAndNeverStopStartUp) {
    const std::string storage = Mkdir("store");
    struct Case {
        std::string name, text;
        std::string box;  // the ReadIni box, empty when the repair is silent
        std::string rewritten;  // expected file after start-up, empty = unchanged
        Settings expected;
    };
    const Case cases[] = {
        {"lines after the fifth", Ini(storage, "", 0, 1, 1) + "bruit\r\n", "", Ini(storage, "", 0, 1, 1),
         {storage, "", 0, 1, 1}},
        {"binary junk", std::string("\x01\x02\xFF\0zz", 6), faults::kBadFileName, Ini("", "", 0, 0, 0),
         {docs + "/Documents Pelicard", "", 0, 0, 0}},
        {"overlong line", std::string(100000, 'a'), faults::kBadFileName, Ini("", "", 0, 0, 0),
         {docs + "/Documents Pelicard", "", 0, 0, 0}},
        {"word for a number", storage + "\r\n\r\n1\r\noui\r\n0\r\n", "Incompatibilit\xE9 de type",
         Ini(storage, "", 1, 0, 0), {storage, "", 1, 0, 0}},
        {"number too big", storage + "\r\n\r\n300\r\n0\r\n0\r\n", faults::kOverflow, Ini(storage, "", 0, 0, 0),
         {storage, "", 0, 0, 0}},
        {"both groupings on", Ini(storage, "", 1, 1, 2), "", Ini(storage, "", 1, 0, 0), {storage, "", 1, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteIni(c.text);
        State st;
        FakeWindow w;
        Wire(st, w);
        ASSERT_TRUE(StartUp(st));
        if (c.box.empty()) {
            EXPECT_TRUE(w.boxes.empty());
        } else {
            ASSERT_EQ(w.boxes.size(), 2u);
            EXPECT_EQ(w.boxes[0].title, "ReadIni");
            EXPECT_EQ(w.boxes[0].text, c.box);
            EXPECT_EQ(w.boxes[1].text, kRepair);
        }
        EXPECT_EQ(ReadFileText(IniPath()), c.rewritten);
        EXPECT_EQ(st.settings.StorageFolder, c.expected.StorageFolder);
        EXPECT_EQ(st.settings.GroupingOption, c.expected.GroupingOption);
        EXPECT_EQ(st.settings.SelectionOption, c.expected.SelectionOption);
        EXPECT_EQ(st.settings.ConfirmOption, c.expected.ConfirmOption);
        // The menu mirrors what is in force, repaired or not.
        EXPECT_EQ(w.checked["mnuGrouping"], c.expected.GroupingOption == 1);
        EXPECT_EQ(w.checked["mnuConfirm(1)"], c.expected.ConfirmOption == 0);
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
        {"/s\n/l\n1\n0\n1\n", {"/s", "/l", 1, 0, 1}, true},
        {"/s\r/l\r0\r0\r1\r", {"/s", "/l", 0, 0, 1}, true},
        {"\"/a,b\"\r\n\"\"\r\n0\r\n0\r\n0\r\n", {"/a,b", "", 0, 0, 0}, true},
        {"/R\xE9union\r\n\r\n0\r\n0\r\n0\r\n", {"/R\xC3\xA9union", "", 0, 0, 0}, true},  // older ANSI file
        {"/s\r\n/l\r\n1\r\n0\r\n0\r\nencore\r\n", {"/s", "/l", 1, 0, 0}, false},
        {"/s\r\n/l\r\n2\r\n0\r\n0\r\n", {"/s", "/l", 0, 0, 0}, false},
        {"\xEF\xBB\xBF/s\r\n/l\r\n0\r\n0\r\n1\r\n", {"/s", "/l", 0, 0, 1}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Settings st;
        EXPECT_EQ(ParseIni(c.text, st), c.clean);
        EXPECT_EQ(st.StorageFolder, c.expected.StorageFolder);
        EXPECT_EQ(st.LastFolder, c.expected.LastFolder);
        EXPECT_EQ(st.GroupingOption, c.expected.GroupingOption);
        EXPECT_EQ(st.SelectionOption, c.expected.SelectionOption);
        EXPECT_EQ(st.ConfirmOption, c.expected.ConfirmOption);
    }
}

TEST(IniText, EveryPathSurvivesWritingAndReadingBack) {
    for (const std::string& p : {std::string("/home/u/Documents Pelicard"), std::string("/a,b/c"),
                                 std::string("  /lead"), std::string("\"/quoted\""), std::string("/x\"y,z"),
                                 std::string("/caf\xC3\xA9/\xE2\x82\xAC"), std::string("\xEF\xBB\xBF/bom"),
                                 std::string()}) {
        SCOPED_TRACE(p);
        Settings in{p, p + "/sous", 0, 1, 1}, out;
        EXPECT_TRUE(ParseIni(FormatIni(in), out));
        EXPECT_EQ(out.StorageFolder, in.StorageFolder);
        EXPECT_EQ(out.LastFolder, in.LastFolder);
        EXPECT_EQ(out.SelectionOption, 1);
        EXPECT_EQ(out.ConfirmOption, 1);
    }
}

TEST_F(StartupTest, WriteIniReplacesTheFileWholeAndLeavesNoTemporary) {
    std::filesystem::create_directories(appFolder);
    WriteIni("ancien contenu\r\n");
    s.settings = {"/s", "/l", 0, 1, 0};
    pelicard::WriteIni(s, false);
    EXPECT_EQ(ReadFileText(IniPath()), Ini("/s", "/l", 0, 1, 0));
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(appFolder)) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(StartupTest, FailuresToWriteOrToStartEndTheProgramWithoutTouchingTheFile) {
    // The program's folder lies below a plain file: it cannot be made.
    WriteFileText(root + "/plain", "x");
    s.env.AppFolder = root + "/plain/app/";
    s.settings.StorageFolder = "/s";
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
    EXPECT_TRUE(w.closed);
    Shutdown(st);  // settings never read are not written
    EXPECT_EQ(w.boxes.size(), 1u);
}

TEST_F(StartupTest, StoreRootReplacesLastFolderUnlessItStillExists) {
    const std::string storage = Mkdir("store");
    const std::string kept = Mkdir("kept");
    registry.available = true;
    registry.keys["Identities"]["Last User ID"] = {RegistryPort::ValueType::String, "{ID}"};
    registry.keys["Identities\\{ID}"] = {};
    registry.keys["Identities\\{ID}\\Software\\Microsoft\\Outlook Express\\5.0"]["Store Root"] = {
        RegistryPort::ValueType::ExpandString, "/wine/store\\"};
    for (const auto& [last, expected] : {std::pair<std::string, std::string>{kept, kept},
                                         {root + "/missing", "/wine/store"},
                                         {"", "/wine/store"}}) {
        SCOPED_TRACE(last);
        WriteIni(Ini(storage, last, 0, 0, 0));
        State st;
        FakeWindow w;
        Wire(st, w);
        ASSERT_TRUE(StartUp(st));
        EXPECT_EQ(st.env.StoreRoot, "/wine/store");
        EXPECT_EQ(st.settings.LastFolder, expected);
        EXPECT_FALSE(st.env.WindowsMailMode);
        EXPECT_EQ(registry.openCount, 0);
    }
}

}  // namespace
}  // namespace pelicard::testing
