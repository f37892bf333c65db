// The options menu: the grouping options through every sequence of clicks,
// the confirmation pair, the storage folder and the settings file, help faults.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/fault.hpp"
#include "support/fake_services.hpp"
#include "support/fake_window.hpp"
#include "ui/commands.hpp"
#include "ui/options_menu.hpp"

namespace fs = std::filesystem;
using namespace pelicard;

namespace {

struct OptionsMenu : ::testing::Test {
    pelicard::testing::FakeWindow window;
    pelicard::testing::FakeDialogs dialogs;
    State s;
    void SetUp() override {
        s.window = &window;
        s.dialogs = &dialogs;
    }
};

TEST_F(OptionsMenu, GroupingOptionsAreNeverBothOnAndTheMenuShowsOnlyWhatIsInForce) {
    for (int start = 0; start < 3; ++start)
        for (int length = 1; length <= 6; ++length)
            for (int clicks = 0; clicks < (1 << length); ++clicks) {
                s.settings.GroupingOption = start == 1, s.settings.SelectionOption = start == 2;
                for (int k = 0; k < length; ++k) {
                    const bool grouping = (clicks >> k) & 1;
                    auto& clicked = grouping ? s.settings.GroupingOption : s.settings.SelectionOption;
                    const int before = clicked;
                    grouping ? mnuGrouping_Click(s) : mnuSelection_Click(s);
                    SCOPED_TRACE(::testing::Message() << start << " " << clicks << " " << k);
                    EXPECT_EQ(clicked, 1 - before);
                    EXPECT_LE(s.settings.GroupingOption + s.settings.SelectionOption, 1);
                    EXPECT_EQ(window.checked["mnuGrouping"], s.settings.GroupingOption == 1);
                    EXPECT_EQ(window.visible["lblGrouping"], s.settings.GroupingOption == 1);
                    EXPECT_EQ(window.checked["mnuSelection"], s.settings.SelectionOption == 1);
                    EXPECT_EQ(window.visible["lblSelection"], s.settings.SelectionOption == 1);
                }
            }
}

TEST_F(OptionsMenu, EitherConfirmationItemReversesTheChoice) {
    for (int before : {0, 1})
        for (int item : {0, 1}) {
            s.settings.ConfirmOption = static_cast<std::uint8_t>(before);
            mnuConfirm_Click(s, item);
            EXPECT_EQ(s.settings.ConfirmOption, 1 - before);
            EXPECT_EQ(window.checked["mnuConfirm(0)"], before == 0);
            EXPECT_EQ(window.checked["mnuConfirm(1)"], before == 1);
        }
}

TEST_F(OptionsMenu, HelpFaultIsReportedThenTheProgramEndsThroughItsShutdown) {
    struct FailingHelp : HelpPort {
        void ShowHelp() override { throw Fault(faults::kFileNotFound); }
    } help;
    s.help = &help;
    EXPECT_THROW(mnuHelp_Click(s), ProgramEnding);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].title, "mnuHelp_Click");
    EXPECT_TRUE(window.closed);
}

TEST_F(OptionsMenu, StorageFolderChangeCreatesTheFolderAndRewritesTheSettingsAtOnce) {
    const fs::path root = fs::temp_directory_path() / ("pelicard-options-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "docs" / "Documents Pelicard");
    fs::create_directories(root / "Archives \xC3\xA9t\xC3\xA9");  // UTF-8 accents
    s.env.AppFolder = root.string() + "/";
    const fs::path ini = root / "Pelicard.ini";
    const std::string old = (root / "docs" / "Documents Pelicard").string();
    const std::string chosen = (root / "Archives \xC3\xA9t\xC3\xA9").string();
    auto iniText = [&] { std::stringstream t; t << std::ifstream(ini, std::ios::binary).rdbuf(); return t.str(); };
    struct Case { std::string answer; bool changed; std::size_t boxes; };
    for (const Case& c : {Case{"", false, 0},                          // cancelled
                          Case{(root / "no/such").string(), false, 1},  // cannot be created there
                          Case{ini.string(), false, 1},                 // a file, not a folder
                          Case{chosen, true, 0}}) {
        SCOPED_TRACE(c.answer);
        s.settings.StorageFolder = old;
        std::ofstream(ini, std::ios::binary) << "old\r\n";
        window.boxes.clear();
        dialogs.folders.push_back(c.answer);
        mnuStorage_Click(s);
        EXPECT_EQ(dialogs.pickCalls.back().defaultFolder, (root / "docs").string());
        const std::string now = c.changed ? chosen + "/Documents Pelicard" : old;
        EXPECT_EQ(s.settings.StorageFolder, now);
        EXPECT_TRUE(fs::is_directory(now));
        EXPECT_EQ(iniText().rfind(c.changed ? now + "\r\n" : "old\r\n", 0), 0u) << iniText();
        EXPECT_EQ(window.boxes.size(), c.boxes);
        EXPECT_FALSE(window.closed);
    }
    fs::remove_all(root);
}

}  // namespace
