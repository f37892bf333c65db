// The options menu: the grouping options' invariant and display through
// every sequence of clicks, the confirmation pair, the storage folder and the
// settings file, the printer, help and About items.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <unistd.h>

#include "app/ports.hpp"
#include "common/fault.hpp"
#include "common/state.hpp"
#include "common/text.hpp"
#include "support/fake_window.hpp"
#include "ui/commands.hpp"
#include "ui/options_menu.hpp"

namespace fs = std::filesystem;
using pelicard::State;
using pelicard::testing::FakeWindow;

namespace {

struct ScriptedDialogs : pelicard::DialogsPort {
    std::string folderAnswer;
    std::string pickedTitle;
    std::string pickedDefault;
    int pickerCalls = 0;
    int printerCalls = 0;
    bool printerAnswer = false;
    std::string PickFolder(const std::string& title, const std::string& def) override {
        ++pickerCalls;
        pickedTitle = title;
        pickedDefault = def;
        return folderAnswer;
    }
    bool ChoosePrinter() override {
        ++printerCalls;
        return printerAnswer;
    }
};

struct FailingHelp : pelicard::HelpPort {
    void ShowHelp() override { throw pelicard::Fault("Fichier introuvable"); }
};

struct OptionsMenu : ::testing::Test {
    FakeWindow window;
    ScriptedDialogs dialogs;
    State s;
    void SetUp() override {
        s.window = &window;
        s.dialogs = &dialogs;
    }
    // Check marks and labels show exactly the values in force.
    void ExpectShown() {
        EXPECT_EQ(window.checked["mnuGrouping"], s.settings.GroupingOption == 1);
        EXPECT_EQ(window.visible["lblGrouping"], s.settings.GroupingOption == 1);
        EXPECT_EQ(window.checked["mnuSelection"], s.settings.SelectionOption == 1);
        EXPECT_EQ(window.visible["lblSelection"], s.settings.SelectionOption == 1);
    }
};

TEST_F(OptionsMenu, GroupingOptionsNeverBothOnThroughEverySequenceOfClicks) {
    struct Start { std::uint8_t grouping, selection; };
    for (Start start : {Start{0, 0}, Start{1, 0}, Start{0, 1}}) {
        for (int length = 1; length <= 6; ++length) {
            for (int mask = 0; mask < (1 << length); ++mask) {
                s.settings.GroupingOption = start.grouping;
                s.settings.SelectionOption = start.selection;
                pelicard::ShowOptionsState(s);
                std::string trace = "start " + std::to_string(start.grouping) +
                                    std::to_string(start.selection) + ":";
                for (int k = 0; k < length; ++k) {
                    const bool grouping = (mask >> k) & 1;
                    trace += grouping ? " G" : " S";
                    SCOPED_TRACE(trace);
                    auto& clicked = grouping ? s.settings.GroupingOption : s.settings.SelectionOption;
                    auto& other = grouping ? s.settings.SelectionOption : s.settings.GroupingOption;
                    const std::uint8_t wasClicked = clicked;
                    const std::uint8_t wasOther = other;
                    if (grouping) pelicard::mnuGrouping_Click(s);
                    else pelicard::mnuSelection_Click(s);
                    EXPECT_EQ(clicked, wasClicked == 1 ? 0 : 1);
                    EXPECT_EQ(other, wasClicked == 1 ? wasOther : 0);
                    EXPECT_FALSE(s.settings.GroupingOption == 1 && s.settings.SelectionOption == 1);
                    ExpectShown();
                }
            }
        }
    }
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(OptionsMenu, SwitchingFromConversationToSelectionShowsOnlyTheSelectionLabel) {
    pelicard::mnuGrouping_Click(s);
    pelicard::mnuSelection_Click(s);
    EXPECT_EQ(s.settings.SelectionOption, 1);
    EXPECT_EQ(s.settings.GroupingOption, 0);
    EXPECT_TRUE(window.visible["lblSelection"]);
    EXPECT_FALSE(window.visible["lblGrouping"]);
    EXPECT_FALSE(window.checked["mnuGrouping"]);
}

TEST_F(OptionsMenu, ConfirmationItemsKeepExactlyOneCheckMark) {
    struct Case { std::uint8_t before; int index; std::uint8_t after; };
    // Either item reverses the choice: a click on the checked item checks
    // the other one instead.
    for (Case c : {Case{0, 0, 1}, Case{0, 1, 1}, Case{1, 0, 0}, Case{1, 1, 0}}) {
        SCOPED_TRACE(std::to_string(c.before) + " click " + std::to_string(c.index));
        s.settings.ConfirmOption = c.before;
        pelicard::mnuConfirm_Click(s, c.index);
        EXPECT_EQ(s.settings.ConfirmOption, c.after);
        EXPECT_EQ(window.checked["mnuConfirm(0)"], c.after == 1);
        EXPECT_EQ(window.checked["mnuConfirm(1)"], c.after == 0);
    }
}

TEST_F(OptionsMenu, StartUpStateShowsTheSettings) {
    s.settings.GroupingOption = 0;
    s.settings.SelectionOption = 1;
    s.settings.ConfirmOption = 1;
    pelicard::ShowOptionsState(s);
    ExpectShown();
    EXPECT_TRUE(window.checked["mnuConfirm(0)"]);
    EXPECT_FALSE(window.checked["mnuConfirm(1)"]);
}

TEST_F(OptionsMenu, PrinterDialogMayBeCancelled) {
    for (bool answer : {false, true}) {
        dialogs.printerAnswer = answer;
        pelicard::mnuPrinter_Click(s);
    }
    EXPECT_EQ(dialogs.printerCalls, 2);
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(OptionsMenu, HelpFaultIsReportedAndEndsThroughTheShutdown) {
    FailingHelp help;
    s.help = &help;
    EXPECT_THROW(pelicard::mnuHelp_Click(s), pelicard::ProgramEnding);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].title, "mnuHelp_Click");
    EXPECT_EQ(window.boxes[0].text, "Fichier introuvable");
    EXPECT_TRUE(window.closed);  // the normal shutdown, which writes the settings
}

// The storage folder, with the settings file in a temporary program folder.
struct StorageFolder : OptionsMenu {
    fs::path root;
    fs::path home;
    fs::path ini;
    void SetUp() override {
        OptionsMenu::SetUp();
        root = fs::temp_directory_path() /
               ("pelicard-options-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        home = root / "home";
        fs::create_directories(home);
        fs::create_directories(root / "docs" / "Documents Pelicard");
        ::setenv("PELICARD_HOME", home.c_str(), 1);
        s.env.AppFolder = home.string() + "/";
        ini = home / "Pelicard.ini";
        s.settings.StorageFolder = (root / "docs" / "Documents Pelicard").string();
        s.settings.LastFolder = "/mail";
        s.settings.SelectionOption = 1;
        s.settings.ConfirmOption = 1;
        std::ofstream(ini, std::ios::binary) << "old\r\n";
    }
    void TearDown() override { fs::remove_all(root); }
    std::string IniText() {
        std::ifstream in(ini, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
};

TEST_F(StorageFolder, ChosenParentGetsTheFolderAndTheSettingsAreWrittenAtOnce) {
    const fs::path parent = root / "Archives \xC3\xA9t\xC3\xA9";  // UTF-8 "Archives été"
    fs::create_directories(parent);
    dialogs.folderAnswer = parent.string();
    pelicard::mnuStorage_Click(s);

    EXPECT_EQ(dialogs.pickedDefault, (root / "docs").string());
    const std::string expected = (parent / "Documents Pelicard").string();
    EXPECT_EQ(s.settings.StorageFolder, expected);
    EXPECT_TRUE(fs::is_directory(expected));
    // Five CR LF lines: the folders, then the three options (spaces allowed).
    std::vector<std::string> lines;
    const std::string text = IniText();
    for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    ASSERT_EQ(lines.size(), 5u) << text;
    EXPECT_EQ(lines[0], expected);
    EXPECT_EQ(lines[1], "/mail");
    EXPECT_EQ(pelicard::ParseLeadingNumber(lines[2]), 0);
    EXPECT_EQ(pelicard::ParseLeadingNumber(lines[3]), 1);
    EXPECT_EQ(pelicard::ParseLeadingNumber(lines[4]), 1);
    EXPECT_TRUE(window.boxes.empty());  // no question asked
}

TEST_F(StorageFolder, AnExistingFolderIsKeptAsItIs) {
    const fs::path parent = root / "existing";
    fs::create_directories(parent / "Documents Pelicard");
    std::ofstream(parent / "Documents Pelicard" / "keep.txt") << "x";
    dialogs.folderAnswer = parent.string();
    pelicard::mnuStorage_Click(s);
    EXPECT_EQ(s.settings.StorageFolder, (parent / "Documents Pelicard").string());
    EXPECT_TRUE(fs::exists(parent / "Documents Pelicard" / "keep.txt"));
    EXPECT_NE(IniText(), "old\r\n");
}

TEST_F(StorageFolder, CancelOrAnUnusablePlaceChangesNothing) {
    const std::string before = s.settings.StorageFolder;
    struct Case { const char* name; std::string answer; bool box; };
    for (const Case& c : {Case{"cancel", "", false},
                          Case{"missing parent", (root / "no" / "such").string(), true},
                          Case{"a file", (root / "home" / "Pelicard.ini").string(), true}}) {
        SCOPED_TRACE(c.name);
        window.boxes.clear();
        dialogs.folderAnswer = c.answer;
        pelicard::mnuStorage_Click(s);
        EXPECT_EQ(s.settings.StorageFolder, before);
        EXPECT_EQ(IniText(), "old\r\n");
        EXPECT_EQ(window.boxes.size(), c.box ? 1u : 0u);
        EXPECT_FALSE(window.closed);
    }
}

}  // namespace
