// Start-up, the settings file and the shutdown, with the fakes and real files in a temporary home.
#include "app/services.hpp"
#include "app/startup.hpp"
#include "app_fixture.hpp"
#include "common/report.hpp"

namespace pelicard::testing {
namespace {

const std::string kRepair = "Pelicard r\xE9pare pour vous";

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
    EXPECT_TRUE(window.boxes.empty());    // no question on first start
    EXPECT_TRUE(window.checked.empty());  // nor any option menu item touched

    // A storage folder that vanished is asked again, but the file waits for the exit.
    const std::string before = Ini({root + "/gone/Documents Pelicard", "", 1, 0, 0});
    WriteIni(before);
    dialogs.folders.push_back(Mkdir("elsewhere"));
    auto& [st, w] = Fresh();
    ASSERT_TRUE(StartUp(st));
    EXPECT_EQ(st.settings.StorageFolder, root + "/elsewhere/Documents Pelicard");
    EXPECT_EQ(ReadFileText(IniPath()), before);
    EXPECT_TRUE(w.visible["lblGrouping"]);
}

// The store root found in the registry replaces a last folder that no longer exists.
TEST_F(StartupTest, ExitAsksUnlessConfirmOptionAndWritesOnlyOnYes) {
    const std::string storage = Mkdir("store"), kept = Mkdir("kept");
    GiveIdentity("/wine/store\\");
    // confirm option, answers to the question, asked, written, last folder before and in force
    const std::tuple<std::uint8_t, std::deque<MsgResult>, bool, bool, std::string, std::string> cases[] = {
        {0, {MsgResult::Yes}, true, true, kept, kept},
        {0, {MsgResult::No}, true, false, root + "/missing", "/wine/store"},
        {1, {}, false, true, "", "/wine/store"}};
    for (const auto& [confirm, answers, asked, written, last, inForce] : cases) {
        SCOPED_TRACE(confirm * 10 + static_cast<int>(answers.size()));
        const std::string before = Ini({storage, last, 0, 0, confirm});
        WriteIni(before);
        auto& [st, w] = Fresh();
        ASSERT_TRUE(StartUp(st));
        EXPECT_EQ(st.settings.LastFolder, inForce);
        st.settings.GroupingOption = 1;
        w.answers = answers;
        Shutdown(st);
        Shutdown(st);  // the unload runs once
        EXPECT_EQ(w.BoxTexts(), asked ? std::vector<std::string>{"Voulez-vous enregistrer le choix des options ?"}
                                      : std::vector<std::string>{});
        EXPECT_EQ(ReadFileText(IniPath()), written ? Ini({storage, inForce, 1, 0, confirm}) : before);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(appFolder), {}), 1);  // no temporary left
    }
}

TEST_F(StartupTest, DamagedFilesAreRepairedAndNeverStopStartUp) {
    const std::string storage = Mkdir("store");
    // what the file holds, the ReadIni box (none when the repair is silent), what is in force and rewritten
    const std::tuple<std::string, std::string, Settings> cases[] = {
        {storage + "\r\n/last\r\n", faults::kReadPastEnd, {storage, "/last", 0, 0, 0}},
        {std::string(100000, 'a'), faults::kBadFileName, {"", "", 0, 0, 0}},
        {storage + "\r\n\r\n1\r\noui\r\n0\r\n", "Incompatibilit\xE9 de type", {storage, "", 1, 0, 0}},
        {storage + "\r\n\r\n300\r\n0\r\n0\r\n", faults::kOverflow, {storage, "", 0, 0, 0}},
        {Ini({storage, "", 1, 1, 2}), "", {storage, "", 1, 0, 0}},  // both groupings on
    };
    for (const auto& [text, box, e] : cases) {
        SCOPED_TRACE(text.substr(0, 80));
        WriteIni(text);
        auto& [st, w] = Fresh();
        ASSERT_TRUE(StartUp(st));
        EXPECT_EQ(w.BoxTexts(), (box.empty() ? std::vector<std::string>{} : std::vector<std::string>{box, kRepair}));
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
    const std::tuple<std::string, Settings, bool> cases[] = {
        {"/s,/l\r\n0,1\n1", {"/s", "/l", 0, 1, 1}, true},
        {"   /s\r  /l  \r\n  1\n 0  \r\n 0\r\n\r\n", {"/s", "/l  ", 1, 0, 0}, true},
        {"/R\xE9union\r\n\r\n0\r\n0\r\n0\r\n", {"/R\xC3\xA9union", "", 0, 0, 0}, true},  // older ANSI file
        {"/s\r\n/l\r\n2\r\n0\r\n0\r\n", {"/s", "/l", 0, 0, 0}, false},
        {"\xEF\xBB\xBF/s\r\n/l\r\n0\r\n0\r\n1\r\n", {"/s", "/l", 0, 0, 1}, true},  // a byte-order mark is skipped
    };
    for (const auto& [text, expected, clean] : cases) {
        Settings st;
        EXPECT_EQ(ParseIni(text, st), clean) << text;
        EXPECT_EQ(Fields(st), Fields(expected)) << text;
    }
    // Every path reads back whole, one that begins like a byte-order mark too (found by fuzzing).
    for (const std::string p : {"/a,b/c", "  /lead", "\"/x\"y,z", "/caf\xC3\xA9/\xE2\x82\xAC", "\xEF\xBB\xBF/bom", ""}) {
        Settings in{p, p + "/sous", 0, 1, 1}, out;
        EXPECT_TRUE(ParseIni(FormatIni(in), out)) << p;
        EXPECT_EQ(Fields(out), Fields(in)) << p;
    }
}

TEST_F(StartupTest, UnwritableProgramFolderEndsTheProgramAndNothingIsWritten) {
    // The program's folder lies below a plain file: it cannot be made.
    WriteFileText(root + "/plain", "x");
    s.env.AppFolder = root + "/plain/app/";
    EXPECT_THROW(pelicard::WriteIni(s, false), ProgramEnding);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].title, "WriteIni");
    EXPECT_TRUE(window.closed);

    setenv("PELICARD_HOME", (root + "/plain/app").c_str(), 1);
    auto& [st, w] = Fresh();
    EXPECT_FALSE(StartUp(st));
    ASSERT_EQ(w.boxes.size(), 1u);
    EXPECT_EQ(w.boxes[0].title, "InitPelicard");
    Shutdown(st);  // settings never read are not written
    EXPECT_EQ(w.boxes.size(), 1u);
}

}  // namespace
}  // namespace pelicard::testing
