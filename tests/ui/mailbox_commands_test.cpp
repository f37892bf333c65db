// The menu "Exporter vers un autre logiciel de messagerie": the selected
// rows, in the order of the list, become one mailbox named after the folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/eml_builder.hpp"
#include "support/fake_window.hpp"
#include "ui/commands.hpp"
#include "ui/mailbox_commands.hpp"
#include "ui/window_logic.hpp"

namespace fs = std::filesystem;
using namespace pelicard;
using namespace pelicard::testing;

namespace {

struct MailboxMenu : ::testing::Test {
    FakeWindow w;
    TempFolder temp;
    State s;
    // Five messages, listed as IDs 5, 4, 3, 2, 1 (a view sorted backwards).
    MailboxMenu() {
        s.window = &w;
        s.settings.StorageFolder = temp.Path() + "/Documents Pelicard";
        s.list.Mode = StoreMode::WindowsMail, s.list.Count = 5, s.wm.WmFolderPath = temp.Path() + "/Archives";
        s.list.Wm.resize(6);
        for (int i = 1; i <= 5; ++i) {
            const std::string k = std::to_string(i);
            s.list.Wm[static_cast<std::size_t>(i)].FilePath =
                temp.Write("Archives/" + k + ".eml", "Subject: Sujet " + k + "\r\n\r\nFrom " + k + "\r\n");
            w.rows[w.ListAddRow("") - 1] = {"", "", "", "", std::to_string(6 - i)};
        }
        SizeRowFlags(s);
    }
    std::string Read(const std::string& name) {
        return (std::stringstream() << std::ifstream(s.settings.StorageFolder + "/" + name, std::ios::binary).rdbuf()).str();
    }
};

TEST_F(MailboxMenu, SelectedRowsInListOrderOneMailboxPerFormNothingWithoutSelection) {
    mnuMailboxMbox_Click(s);
    ASSERT_EQ(w.boxes.size(), 1u);
    EXPECT_FALSE(fs::exists(s.settings.StorageFolder + "/Archives.mbox"));

    w.selected = {true, false, true, false, true};
    lvwMessages_Click(s);
    w.boxes.clear();
    mnuMailboxMbox_Click(s);
    mnuMailboxMaildir_Click(s);
    EXPECT_EQ(Read("Archives.mbox"),
              "From MAILER-DAEMON Thu Jan  1 00:00:00 1970\nSubject: Sujet 5\n\n>From 5\n\n"
              "From MAILER-DAEMON Thu Jan  1 00:00:00 1970\nSubject: Sujet 3\n\n>From 3\n\n"
              "From MAILER-DAEMON Thu Jan  1 00:00:00 1970\nSubject: Sujet 1\n\n>From 1\n\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(s.settings.StorageFolder + "/Archives.maildir/cur"), {}), 3);
    ASSERT_EQ(w.boxes.size(), 2u);
    EXPECT_NE(w.boxes[1].text.find("3 message(s) \xE9" "crit(s)"), std::string::npos) << w.boxes[1].text;
    EXPECT_FALSE(w.progressVisible);
}

}  // namespace
