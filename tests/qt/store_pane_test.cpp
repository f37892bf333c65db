// The folder pane of a whole store in the Qt window, headless: shown only
// while a store is open, clicking a folder fills the list, the whole store
// saved into mirrored sub-folders.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QTest>
#include <QTreeWidget>
#include <QPushButton>
#include <filesystem>
#include <functional>

#include "app/system_time_zone.hpp"
#include "common/state.hpp"
#include "common/text.hpp"
#include "support/folders_builder.hpp"
#include "ui/qt/folder_pane.hpp"
#include "ui/qt/main_window.hpp"
#include "ui/qt/message_list_view.hpp"

namespace fs = std::filesystem;
using namespace pelicard;

namespace {

class StoreWindow : public qt::MainWindow {
public:
    using MainWindow::MainWindow;
    std::string folder;              // the folder picker's answer
    std::vector<std::string> files;  // the open-file dialog's answers
    std::vector<std::string> boxes;
    MsgResult MessageBox(const std::string& text, const std::string& title, MsgIcon, MsgButtons) override {
        boxes.push_back(title + ": " + text);
        return MsgResult::Ok;
    }
    std::string PickFolder(const std::string&, const std::string&) override { return folder; }
    std::function<void()> onDoEvents;
    void DoEvents() override {
        MainWindow::DoEvents();
        if (onDoEvents) onDoEvents();
    }
    bool OpenFile(const std::string&, const std::string&, const std::string&, std::string& chosen) override {
        if (files.empty()) return false;
        chosen = files.back();
        files.pop_back();
        return true;
    }
};

// The regular files at or below `dir`.
std::size_t FilesBelow(const fs::path& dir) {
    std::size_t n = fs::is_regular_file(dir) ? 1 : 0;
    std::error_code ec;
    for (auto& e : fs::recursive_directory_iterator(dir, ec)) n += e.is_regular_file();
    return n;
}

struct QtStore : ::testing::Test {
    pelicard::testing::TempFolder store, out;
    State s;
    SystemTimeZone zone;
    std::unique_ptr<StoreWindow> w;

    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_qt", *argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!QApplication::instance()) new QApplication(argc, argv);
        pelicard::testing::WriteSampleStore(store);
        s.timeZone = &zone, s.env.AppFolder = out.Path() + "/", s.settings.StorageFolder = out.Path() + "/stock";
        w = std::make_unique<StoreWindow>(s);
        w->Load();
        QApplication::processEvents();
    }
    void TearDown() override { w->close(); }
    void Trigger(const char* action) {
        auto* a = w->findChild<QAction*>(QString::fromLatin1(action));
        ASSERT_TRUE(a && a->isEnabled()) << action;
        a->trigger();
        QApplication::processEvents();
    }
    void ClickFolder(int row) {
        QTreeWidgetItem* item = w->Folders()->Item(row);
        ASSERT_NE(item, nullptr);
        w->Folders()->scrollToItem(item);
        QTest::mouseClick(w->Folders()->viewport(), Qt::LeftButton, {}, w->Folders()->visualItemRect(item).center());
        QApplication::processEvents();
    }
};

TEST_F(QtStore, PaneShowsTheTreeAndAClickedFolderFillsTheList) {
    const QRect listAlone = w->List()->geometry();
    EXPECT_FALSE(w->Folders()->isVisible());
    w->folder = store.Path();
    Trigger("mnuFileStore");
    ASSERT_TRUE(w->Folders()->isVisible());
    EXPECT_GT(w->List()->geometry().left(), w->Folders()->geometry().right());  // the pane to the left of the list
    EXPECT_LE(w->List()->header()->length(), w->List()->viewport()->width());     // every column in sight
    EXPECT_EQ(w->Folders()->topLevelItemCount(), 5);
    EXPECT_EQ(w->Folders()->Item(6)->text(0), QStringLiteral("Martin (3)"));
    EXPECT_EQ(w->Folders()->Item(6)->parent(), w->Folders()->Item(5));
    // Empty and unavailable folders greyed; the reason as tooltip.
    const QColor normal = w->Folders()->Item(6)->foreground(0).color();
    for (int row : {2, 7, 9}) EXPECT_NE(w->Folders()->Item(row)->foreground(0).color(), normal) << row;
    EXPECT_NE(w->Folders()->Item(9)->toolTip(0).indexOf(QStringLiteral("introuvable")), -1);

    ClickFolder(6);
    EXPECT_TRUE(w->boxes.empty()) << w->boxes.front();
    ASSERT_EQ(w->ListRowCount(), 3);
    EXPECT_EQ(w->GetText("lblLvw"), "3/3 messages complets/contenus dans le fichier Martin.dbx");
    EXPECT_TRUE(w->IsEnabled("mnuSelectAll"));
    ClickFolder(9);  // unavailable: told, the list stays
    ASSERT_EQ(w->boxes.size(), 1u);
    EXPECT_NE(w->boxes[0].find("Perdu.dbx introuvable"), std::string::npos);

    // The existing open command closes the store: the window as before.
    w->files.push_back(store.Path() + "/Inbox.dbx");
    Trigger("mnuFileDbx");
    EXPECT_FALSE(w->Folders()->isVisible());
    EXPECT_EQ(w->List()->geometry(), listAlone);
    EXPECT_EQ(w->ListRowCount(), 2);
    EXPECT_FALSE(w->IsEnabled("mnuSaveStore"));
}

TEST_F(QtStore, AnnulerStopsTheWholeStoreSaveKeepingTheFilesWritten) {
    w->folder = store.Path();
    Trigger("mnuFileStore");
    const auto written = [&] { return FilesBelow(out.Path() + "/stock"); };
    bool clicked = false;
    w->onDoEvents = [&] {
        // Stopped once the first folder is saved.
        if (!clicked && written() > 0) {
            clicked = true;
            QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("cmdCancel")), Qt::LeftButton);
        }
    };
    Trigger("mnuSaveStoreNws");
    w->onDoEvents = nullptr;
    const std::size_t files = written();
    EXPECT_GT(files, 0u);
    EXPECT_LT(files, 9u);
    ASSERT_FALSE(w->boxes.empty());
    EXPECT_NE(w->boxes.back().find("Enregistrement arr\xEAt\xE9 avant la fin"), std::string::npos) << w->boxes.back();
    EXPECT_NE(w->boxes.back().find("Messages enregistr\xE9s : " + std::to_string(files)), std::string::npos)
        << w->boxes.back();
}

// The whole store saved as text files, then as mailboxes: each copy mirrors
// the tree, and the list comes back on the folder shown before.
TEST_F(QtStore, WholeStoreSavesMirrorTheTreeAndComeBackToTheFolderShown) {
    const std::string stock = out.Path() + "/stock", root = stock + "/" + fs::path(store.Path()).filename().string();
    for (const char* entry : {"mnuMailboxStoreMbox", "mnuMailboxStoreMaildir"}) EXPECT_FALSE(w->IsEnabled(entry));
    EXPECT_TRUE(w->IsEnabled("mnuMailboxMbox"));  // the selection's entries as before
    w->folder = store.Path();
    Trigger("mnuFileStore");
    // entry, folder shown and its rows, what the closing box tells, the copy, its Martin and their files
    // (the mbox copy: one file per folder of the tree, the missing one and the refused one left out)
    struct Case {
        const char* entry;
        int folder, rows;
        std::vector<std::string> told;
        std::string copy, martin;
        std::size_t martinFiles, files;
    };
    const Case cases[] = {
        {"mnuSaveStoreTxt", 4, 2, {"Messages enregistr\xE9s : 9"}, stock, "Dossiers locaux/Clients/Martin", 3, 9},
        {"mnuMailboxStoreMbox", 6, 3, {"Export de tout le magasin termin\xE9", "Messages export\xE9s : 9", "Perdu : "},
         root + ".magasin-mbox", "Dossiers locaux.sbd/Clients.sbd/Martin.mbox", 1, 8},
        {"mnuMailboxStoreMaildir", 6, 3, {"Export de tout le magasin termin\xE9", "Messages export\xE9s : 9", "Perdu : "},
         root + ".magasin-maildir", "Dossiers locaux.sbd/Clients.sbd/Martin.maildir", 3, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        ClickFolder(c.folder);
        w->boxes.clear();
        Trigger(c.entry);
        ASSERT_FALSE(w->boxes.empty());
        for (const std::string& told : c.told) EXPECT_NE(w->boxes.back().find(told), std::string::npos) << w->boxes.back();
        EXPECT_EQ(FilesBelow(c.copy + "/" + c.martin), c.martinFiles);
        EXPECT_EQ(FilesBelow(c.copy), c.files);
        EXPECT_EQ(w->ListRowCount(), c.rows);  // back on the folder shown before
    }
    // A single file opened: the whole-store entries go grey again.
    w->files.push_back(store.Path() + "/Inbox.dbx");
    Trigger("mnuFileDbx");
    EXPECT_FALSE(w->IsEnabled("mnuMailboxStoreMbox"));
}

TEST_F(QtStore, AnnulerLeavesTheWholeStoreMailboxesMarkedIncomplete) {
    const std::string root = out.Path() + "/stock/" + fs::path(store.Path()).filename().string();
    w->folder = store.Path();
    Trigger("mnuFileStore");
    w->onDoEvents = [&] {
        // Stopped as the third folder starts: Boucle B and Boucle A are written.
        if (s.store.ProgressFolder == 3 && s.store.ProgressMessage == 0 && !s.CancelRequested)
            QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("cmdCancel")), Qt::LeftButton);
    };
    Trigger("mnuMailboxStoreMaildir");
    w->onDoEvents = nullptr;
    ASSERT_FALSE(w->boxes.empty());
    EXPECT_NE(w->boxes.back().find("Export arr\xEAt\xE9 avant la fin"), std::string::npos) << w->boxes.back();
    EXPECT_NE(w->boxes.back().find("Messages export\xE9s : 2"), std::string::npos) << w->boxes.back();
    EXPECT_FALSE(fs::exists(root + ".magasin-maildir"));
    const std::string kept = root + ".magasin-maildir.incomplet";
    EXPECT_EQ(FilesBelow(kept), 2u);
    EXPECT_EQ(FilesBelow(kept + "/Boucle B.sbd/Boucle A.maildir/cur"), 1u);
    for (const auto& e : fs::directory_iterator(out.Path() + "/stock"))
        EXPECT_FALSE(e.path().filename().string().starts_with(".")) << e.path();
}

}  // namespace
