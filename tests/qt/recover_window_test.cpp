// The window on a damaged store: the offer of the scan, the look of the rows
// it adds, and the commands on them.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QBrush>
#include <deque>
#include <filesystem>
#include <fstream>

#include "app/system_time_zone.hpp"
#include "common/state.hpp"
#include "common/text.hpp"
#include "support/dbx_builder.hpp"
#include "support/eml_builder.hpp"
#include "ui/qt/main_window.hpp"
#include "ui/qt/message_list_view.hpp"

namespace fs = std::filesystem;
using namespace pelicard;

namespace {

// Answers Yes to every question and notes every box.
class AgreeingWindow : public qt::MainWindow {
public:
    using MainWindow::MainWindow;
    std::deque<std::string> files;
    std::vector<std::string> boxes;
    MsgResult MessageBox(const std::string& text, const std::string&, MsgIcon, MsgButtons buttons) override {
        boxes.push_back(text);
        return buttons == MsgButtons::YesNo ? MsgResult::Yes : MsgResult::Ok;
    }
    bool OpenFile(const std::string&, const std::string&, const std::string&, std::string& chosen) override {
        if (files.empty()) return false;
        return chosen = files.front(), files.pop_front(), true;
    }
};

std::string Message(const std::string& subject, std::size_t size) {
    std::string t = "From: x@y\r\nSubject: " + subject + "\r\n\r\n";
    while (t.size() < size) t += "texte " + std::to_string(t.size()) + "\r\n";
    return t;
}

TEST(QtRecovery, ADamagedFileIsSearchedOnRequestAndItsRowsServeEveryCommand) {
    static int argc = 1;
    static char name[] = "test_qt", *argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!QApplication::instance()) new QApplication(argc, argv);
    pelicard::testing::TempFolder tmp;
    State s;
    SystemTimeZone zone;
    s.timeZone = &zone, s.env.AppFolder = tmp.Path() + "/", s.settings.StorageFolder = tmp.Path();
    AgreeingWindow w(s);
    w.Load();

    const std::string kept = Message("Garde", 700), gone = Message("Parti", 900);
    pelicard::testing::DbxBuilder b;
    b.AddText(kept);
    b.FreeText(b.AddText(gone));
    b.Finish(1, 0);
    b.Patch(0, std::string(pelicard::testing::kDbxHeaderSize, '\0'));
    const pelicard::testing::TempFile store(b.Bytes(), "Courrier.dbx");

    w.files.push_back(store.path);
    w.findChild<QAction*>("mnuFileDbx")->trigger();
    QApplication::processEvents();
    ASSERT_TRUE(w.isVisible());
    ASSERT_FALSE(w.boxes.empty());
    EXPECT_EQ(w.boxes.back(), "Ce fichier est endommag\xE9. Rechercher les messages r\xE9" "cup\xE9rables ?");
    ASSERT_EQ(w.ListRowCount(), 2);
    EXPECT_EQ(w.GetText("lblLvw"), "0/0 messages complets/contenus dans le fichier Courrier.dbx ; r\xE9"
                                   "cup\xE9r\xE9s : 1, supprim\xE9s : 1");

    // Rows in conversation order: "Garde", then "Parti", whose row is marked.
    w.List()->Flush();
    const QAbstractItemModel* rows = w.List()->model();
    EXPECT_EQ(rows->index(1, 0).data().toString().toStdString(), "Parti");
    EXPECT_NE(rows->index(1, 0).data(Qt::ToolTipRole).toString().toStdString().find("supprim\xC3\xA9"), std::string::npos);
    EXPECT_NE(rows->index(1, 0).data(Qt::ForegroundRole).value<QBrush>().color(),
              rows->index(0, 0).data(Qt::ForegroundRole).value<QBrush>().color());

    // Shown with the mark of the lost bytes; saved raw without it.
    w.ListSetSelected(2, true);
    w.List()->Flush();
    emit w.List()->clickedInList();
    QApplication::processEvents();
    EXPECT_NE(w.GetText("txtBody").find("[\x85]"), std::string::npos) << w.GetText("txtBody");
    w.findChild<QAbstractButton*>("cmdAllNws")->click();
    QApplication::processEvents();
    std::vector<std::string> written;
    for (auto& e : fs::recursive_directory_iterator(tmp.Path()))
        if (e.is_regular_file() && e.path().extension() == ".eml") {
            std::ifstream in(e.path(), std::ios::binary);
            written.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    EXPECT_EQ(written, std::vector<std::string>{gone.substr(4, 508) + gone.substr(516)});

    // The open file was searched: the command asks for another one.
    w.findChild<QAction*>("mnuRecover")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(w.boxes.back(), "Pas de fichier s\xE9lectionn\xE9.");
    w.close();
}

}  // namespace
