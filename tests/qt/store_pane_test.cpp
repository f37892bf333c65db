// The folder pane of a whole store in the Qt window, headless: shown only
// while a store is open, clicking a folder fills the list, the whole store
// saved into mirrored sub-folders.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <functional>

#include "app/system_time_zone.hpp"
#include "common/text.hpp"
#include "support/folders_builder.hpp"
#include "ui/qt/folder_pane.hpp"
#include "ui/qt/main_window.hpp"
#include "ui/qt/message_list_view.hpp"

namespace fs = std::filesystem;
using namespace pelicard;

namespace {

// The window with its message boxes noted and its folder and file dialogs scripted.
class StoreWindow : public qt::MainWindow {
public:
    using MainWindow::MainWindow;
    std::string folder, file;  // the answers of the folder picker and the open-file dialog
    std::vector<std::string> boxes;
    std::function<void()> onDoEvents;
    MsgResult MessageBox(const std::string& text, const std::string& title, MsgIcon, MsgButtons) override {
        return boxes.push_back(title + ": " + text), MsgResult::Ok;
    }
    std::string PickFolder(const std::string&, const std::string&) override { return folder; }
    void DoEvents() override {
        MainWindow::DoEvents();
        if (onDoEvents) onDoEvents();
    }
    bool OpenFile(const std::string&, const std::string&, const std::string&, std::string& chosen) override {
        return chosen = file, !file.empty();
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
    const std::string stock = out.Path() + "/stock", root = stock + "/" + fs::path(store.Path()).filename().string();
    State s;
    SystemTimeZone zone;
    std::unique_ptr<StoreWindow> w;

    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_qt", *argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!QApplication::instance()) new QApplication(argc, argv);
        pelicard::testing::WriteSampleStore(store);
        s.timeZone = &zone, s.env.AppFolder = out.Path() + "/", s.settings.StorageFolder = stock;
        (w = std::make_unique<StoreWindow>(s))->Load();
        QApplication::processEvents();
        w->folder = store.Path(), w->file = store.Path() + "/Inbox.dbx";
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
    // Runs the whole-store `entry`, "Annuler" clicked once `stop` holds; the closing box must tell `told`.
    void CancelWhen(const char* entry, const std::function<bool()>& stop, std::initializer_list<std::string> told) {
        Trigger("mnuFileStore");
        w->onDoEvents = [&] {
            if (!s.CancelRequested && stop()) QTest::mouseClick(w->findChild<QWidget*>(QStringLiteral("cmdCancel")), Qt::LeftButton);
        };
        Trigger(entry);
        w->onDoEvents = nullptr;
        ASSERT_FALSE(w->boxes.empty());
        for (const std::string& t : told) EXPECT_NE(w->boxes.back().find(t), std::string::npos) << w->boxes.back();
    }
};

// The open command of a single file closes the store: the window as before, the whole-store entries grey.
TEST_F(QtStore, PaneShowsTheTreeAndAClickedFolderFillsTheList) {
    const QRect listAlone = w->List()->geometry();
    EXPECT_FALSE(w->Folders()->isVisible());
    for (const char* entry : {"mnuMailboxStoreMbox", "mnuMailboxStoreMaildir"}) EXPECT_FALSE(w->IsEnabled(entry)) << entry;
    EXPECT_TRUE(w->IsEnabled("mnuMailboxMbox"));  // the selection's entries as before
    Trigger("mnuFileStore");
    ASSERT_TRUE(w->Folders()->isVisible());
    EXPECT_GT(w->List()->geometry().left(), w->Folders()->geometry().right());  // the pane to the left of the list
    EXPECT_LE(w->List()->header()->length(), w->List()->viewport()->width());     // every column in sight
    EXPECT_EQ(w->Folders()->topLevelItemCount(), 5);
    EXPECT_EQ(w->Folders()->Item(6)->text(0), QStringLiteral("Martin (3)"));
    EXPECT_EQ(w->Folders()->Item(6)->parent(), w->Folders()->Item(5));
    // Empty and unavailable folders greyed; the reason as tooltip.
    for (int row : {2, 7, 9}) EXPECT_NE(w->Folders()->Item(row)->foreground(0).color(), w->Folders()->Item(6)->foreground(0).color()) << row;
    EXPECT_NE(w->Folders()->Item(9)->toolTip(0).indexOf(QStringLiteral("introuvable")), -1);

    ClickFolder(6);
    EXPECT_TRUE(w->boxes.empty()) << w->boxes.front();
    ASSERT_EQ(w->ListRowCount(), 3);
    EXPECT_EQ(w->GetText("lblLvw"), "3/3 messages complets/contenus dans le fichier Martin.dbx");
    EXPECT_TRUE(w->IsEnabled("mnuSelectAll"));
    ClickFolder(9);  // unavailable: told, the list stays
    ASSERT_EQ(w->boxes.size(), 1u);
    EXPECT_NE(w->boxes[0].find("Perdu.dbx introuvable"), std::string::npos);
    EXPECT_EQ(w->ListRowCount(), 3);

    Trigger("mnuFileDbx");
    EXPECT_FALSE(w->Folders()->isVisible());
    EXPECT_EQ(w->List()->geometry(), listAlone);
    EXPECT_EQ(w->ListRowCount(), 2);
    EXPECT_FALSE(w->IsEnabled("mnuSaveStore") || w->IsEnabled("mnuMailboxStoreMbox"));
}

// The whole store saved as text files, then as mailboxes: each copy mirrors
// the tree, and the list comes back on the folder shown before.
TEST_F(QtStore, WholeStoreSavesMirrorTheTreeAndComeBackToTheFolderShown) {
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
}

// "Annuler" stops a whole-store save between folders, keeping (and counting) the files written.
TEST_F(QtStore, AnnulerStopsTheWholeStoreSaveKeepingTheFilesWritten) {
    CancelWhen("mnuSaveStoreNws", [&] { return FilesBelow(stock) > 0; }, {"Enregistrement arr\xEAt\xE9 avant la fin"});
    const std::size_t files = FilesBelow(stock);
    EXPECT_TRUE(files > 0 && files < 9) << files;
    EXPECT_NE(w->boxes.back().find("Messages enregistr\xE9s : " + std::to_string(files)), std::string::npos) << w->boxes.back();
}

// A stopped export leaves its mailboxes under a name marked incomplete, never as the finished copy.
TEST_F(QtStore, AnnulerLeavesTheWholeStoreMailboxesMarkedIncomplete) {
    // Stopped as the third folder starts: Boucle B and Boucle A are written.
    CancelWhen("mnuMailboxStoreMaildir", [&] { return s.store.ProgressFolder == 3 && s.store.ProgressMessage == 0; },
               {"Export arr\xEAt\xE9 avant la fin", "Messages export\xE9s : 2"});
    EXPECT_FALSE(fs::exists(root + ".magasin-maildir"));
    const std::string kept = root + ".magasin-maildir.incomplet";
    EXPECT_EQ(FilesBelow(kept), 2u);
    EXPECT_EQ(FilesBelow(kept + "/Boucle B.sbd/Boucle A.maildir/cur"), 1u);
    for (const auto& e : fs::directory_iterator(stock)) EXPECT_FALSE(e.path().filename().string().starts_with(".")) << e.path();
}

}  // namespace
