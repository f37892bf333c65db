// The options menu: the grouping options through every sequence of clicks,
// the storage folder and the settings file, help faults.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "common/fault.hpp"
#include "support/eml_builder.hpp"
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
    void SetUp() override { s.window = &window, s.dialogs = &dialogs; }
};

TEST_F(OptionsMenu, GroupingOptionsAreNeverBothOnAndTheMenuShowsOnlyWhatIsInForce) {
    for (int start = 0; start < 3; ++start)  // every sequence of 6 clicks checks each shorter one too
            for (int clicks = 0; clicks < 64; ++clicks) {
                s.settings.GroupingOption = start == 1, s.settings.SelectionOption = start == 2;
                for (int k = 0; k < 6; ++k) {
                    const bool grouping = (clicks >> k) & 1;
                    auto& clicked = grouping ? s.settings.GroupingOption : s.settings.SelectionOption;
                    const int before = clicked;
                    grouping ? mnuGrouping_Click(s) : mnuSelection_Click(s);
                    SCOPED_TRACE(::testing::Message() << start << " " << clicks << " " << k);
                    EXPECT_EQ(clicked, 1 - before);
                    EXPECT_LE(s.settings.GroupingOption + s.settings.SelectionOption, 1);
                    for (auto [menu, label, on] : {std::tuple{"mnuGrouping", "lblGrouping", s.settings.GroupingOption},
                                                   std::tuple{"mnuSelection", "lblSelection", s.settings.SelectionOption}})
                        EXPECT_TRUE(window.checked[menu] == on && window.visible[label] == on) << menu;
                }
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
    const pelicard::testing::TempFolder temp;
    const fs::path root = temp.Path();
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
        s.settings.StorageFolder = old, window.boxes.clear(), dialogs.folders.push_back(c.answer);
        std::ofstream(ini, std::ios::binary) << "old\r\n";
        mnuStorage_Click(s);
        EXPECT_EQ(dialogs.pickCalls.back().defaultFolder, (root / "docs").string());
        const std::string now = c.changed ? chosen + "/Documents Pelicard" : old;
        EXPECT_EQ(s.settings.StorageFolder, now);
        EXPECT_TRUE(fs::is_directory(now));
        EXPECT_EQ(iniText().rfind(c.changed ? now + "\r\n" : "old\r\n", 0), 0u) << iniText();
        EXPECT_EQ(window.boxes.size(), c.boxes);
        EXPECT_FALSE(window.closed);
    }
}

}  // namespace
