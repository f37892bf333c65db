// The Qt window, headless: every control under its name with its caption and
// tool tip, the menu tree, opening a sample .dbx through a scripted dialog,
// clicking a row, Ctrl+A from an editor, sorting, and the smallest size.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTest>
#include <QTreeWidget>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/state.hpp"
#include "qt_app.hpp"
#include "common/text.hpp"
#include "ui/layout.hpp"
#include "ui/qt/main_window.hpp"
#include "ui/qt/message_list_view.hpp"

using pelicard::Cp1252ToUtf8;
using pelicard::State;

namespace {

// The window with its boxes and the open-file dialog scripted.
class ScriptedWindow : public pelicard::qt::MainWindow {
public:
    using MainWindow::MainWindow;
    std::deque<std::optional<std::string>> files;
    std::vector<std::string> boxes;
    std::function<void()> beforeAnswer;  // runs as the file dialog closes
    int doEvents = 0;
    void DoEvents() override {
        ++doEvents;
        MainWindow::DoEvents();
    }
    pelicard::MsgResult MessageBox(const std::string& text, const std::string&, pelicard::MsgIcon,
                                   pelicard::MsgButtons) override {
        boxes.push_back(text);
        return pelicard::MsgResult::Ok;
    }
    bool OpenFile(const std::string&, const std::string&, const std::string&, std::string& chosen) override {
        if (beforeAnswer) beforeAnswer();
        if (files.empty() || !files.front()) {
            if (!files.empty()) files.pop_front();
            return false;
        }
        chosen = *files.front();
        files.pop_front();
        return true;
    }
};

QString Q(const char* cp1252) { return QString::fromStdString(Cp1252ToUtf8(cp1252)); }

struct QtWindow : ::testing::Test {
    State s;
    std::unique_ptr<ScriptedWindow> w;

    void SetUp() override {
        App();
        w = std::make_unique<ScriptedWindow>(s);
        w->Load();
        QApplication::setActiveWindow(w.get());
        QApplication::processEvents();
    }
    void TearDown() override {
        w->close();
        w.reset();
    }
    template <typename T = QWidget>
    T* Control(const char* name) {
        return w->findChild<T*>(QString::fromLatin1(name));
    }
    QTreeWidget* List() { return Control<QTreeWidget>("lvwMessages"); }
    void OpenInbox() {
        w->files.push_back(std::string(PELICARD_SAMPLES) + "/dbx/Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx");
        Control<QAbstractButton>("cmdOpen(0)")->click();
        QApplication::processEvents();
    }
    void ClickRow(int row) {
        QTreeWidget* list = List();
        list->scrollToItem(list->topLevelItem(row));
        const QRect r = list->visualItemRect(list->topLevelItem(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        QApplication::processEvents();
    }
    QString Panel(int i) { return Control<QLabel>(("statBar(" + std::to_string(i) + ")").c_str())->text(); }
};

TEST_F(QtWindow, ControlsCarryTheirNamesCaptionsAndToolTips) {
    struct Row {
        const char* name;
        const char* caption;
        const char* tip;
    };
    const Row rows[] = {
        {"fraOpen", "Choisir", ""},
        {"cmdOpen(0)", "Fichier dbx", "Ouvrir un fichier dbx de OE"},
        {"cmdOpen(1)", "Dossier WM", "Ouvrir un dossier Windows Mail"},
        {"fraGrouping", "\xC9tendre", ""},
        {"cmdGrouping", "\xE0 la discussion",
         "Grouper tous les messages relatifs \xE0 la m\xEAme discussion que le message s\xE9lectionn\xE9"},
        {"fraAllRecord", "Enregistrer", ""},
        {"cmdAllTxt", "Txt", "Enregistrer les messages s\xE9lectionn\xE9s sous forme de fichiers textes"},
        {"cmdAllNws", "Nws et Eml", "Enregistrer les messages s\xE9lectionn\xE9s sous leur forme originale"},
        {"fraModRecord", "Enregistrer les modifications", ""},
        {"cmdModTxt", "Txt", "Enregistrer le message modifi\xE9 sous forme d'un fichier texte"},
        {"cmdModNws", "Nws et Eml", "Enregistrer le message dont l'objet \xE0 \xE9t\xE9 modifi\xE9 sous sa forme originale"},
        {"fraPrinting", "Imprimer", ""},
        {"cmdPrint", "Format texte", "Imprimer les messages s\xE9lectionn\xE9s sous forme de texte brut"},
        {"cmdUp", "", ""},
        {"cmdDown", "", ""},
        {"lblLvw", "Liste des messages", ""},
        {"lblTxt", "Affichage et modification des messages s\xE9lectionn\xE9s", ""},
        {"txtSubject", "", ""},
        {"txtBody", "", ""},
        {"txtEnd", "Op\xE9ration termin\xE9" "e", ""},
        {"Bar", "", ""},
        {"statBar", "", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        QWidget* c = Control(r.name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(w->GetText(r.name), r.caption);
        EXPECT_EQ(c->toolTip(), Q(r.tip));
    }
    EXPECT_EQ(w->windowTitle(), Q("Extraction des messages d'un gestionnaire de messagerie"));
    EXPECT_EQ(w->GetText("lblGrouping"),
              "L'option 'Messages group\xE9s par conversation' est activ\xE9" "e.\n"
              "Elle affectera les enregistrements en format texte et les impressions.");
    for (const char* hidden : {"lblGrouping", "lblSelection", "txtEnd", "Bar"}) EXPECT_FALSE(w->IsVisible(hidden)) << hidden;
    EXPECT_EQ(Control("Bar")->geometry(), Control("txtEnd")->geometry());
    EXPECT_FALSE(qobject_cast<QAbstractButton*>(Control("cmdOpen(0)"))->icon().isNull());
    EXPECT_FALSE(w->windowIcon().pixmap(32).isNull());

    // The five columns, the last two hidden; several rows can be selected.
    QTreeWidget* list = List();
    ASSERT_EQ(list->columnCount(), 5);
    const char* headers[] = {"Objet", "\xC9metteur", "Date", "Dates pour tri", "ID"};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(list->headerItem()->text(c), Q(headers[c]));
        EXPECT_EQ(list->isColumnHidden(c), c >= 3);
    }
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    // Six status panels with their start widths (panel 6 runs past the edge).
    for (int i = 1; i <= 6; ++i) {
        const QLabel* panel = Control<QLabel>(("statBar(" + std::to_string(i) + ")").c_str());
        ASSERT_NE(panel, nullptr);
        EXPECT_NEAR(panel->width() + 2, w->ToPixelsX(pelicard::kPanelWidths[i - 1]), 1) << i;
    }
    // After the load every message command is off, and select all too.
    for (const char* k : {"cmdGrouping", "cmdAllTxt", "cmdAllNws", "cmdPrint", "cmdModTxt", "cmdModNws", "mnuSelectAll"})
        EXPECT_FALSE(w->IsEnabled(k)) << k;
}

TEST_F(QtWindow, MenusInTheirOrder) {
    std::vector<std::string> tree;
    for (QAction* menu : w->menuBar()->actions()) {
        tree.push_back(menu->objectName().toStdString() + " " + menu->text().toStdString());
        for (QAction* item : menu->menu()->actions())
            tree.push_back("  " + item->objectName().toStdString() +
                           (item->isSeparator() ? std::string(" -") : " " + item->text().toStdString()));
    }
    const std::vector<std::string> expected = {
        "mnuFiles Fichiers",
        "  mnuFileDbx Fichier dbx \xC3\xA0 traiter",
        "  mnuFileWM Dossier de Windows Mail \xC3\xA0 traiter",
        "  mnu0 -",
        "  mnuPrinter Imprimante",
        "  mnu1 -",
        "  mnuQuit Sortie",
        "mnuEdit \xC3\x89" "ditions",
        "  mnuSelectAll S\xC3\xA9lection de tous les messages",
        "mnuDisplay Affichage",
        "  mnuConfirm(0) Ne pas demander confirmation de l'enregistrement des options",
        "  mnuConfirm(1) Demander confirmation de l'enregistrement des options",
        "mnuOptions Options",
        "  mnuGrouping Messages group\xC3\xA9s par conversation",
        "  mnuSelection Messages group\xC3\xA9s par s\xC3\xA9lection",
        "  mnu2 -",
        "  mnuStorage Dossier de stockage",
        "mnuAide ?",
        "  mnuHelp Aide",
        "  mnu4 -",
        "  mnuAbout \xC3\x80 propos",
    };
    EXPECT_EQ(tree, expected);
    EXPECT_EQ(w->findChild<QAction*>("mnuSelectAll")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
}

TEST_F(QtWindow, OpenADbxSampleAndShowAMessage) {
    OpenInbox();
    ASSERT_TRUE(w->boxes.empty()) << w->boxes[0];
    EXPECT_EQ(List()->topLevelItemCount(), 57);
    EXPECT_EQ(w->GetText("lblLvw"),
              "57/60 messages complets/contenus dans le fichier Bo\xEEte de r\xE9" "ception.dbx");
    EXPECT_EQ(Panel(1), Q("Fichier dbx s\xE9lectionn\xE9"));
    EXPECT_EQ(Panel(2), Q("Bo\xEEte de r\xE9" "ception.dbx"));
    EXPECT_EQ(Panel(3), Q("  Messages s\xE9lectionn\xE9s"));
    EXPECT_TRUE(List()->selectedItems().isEmpty());
    EXPECT_TRUE(w->IsEnabled("mnuSelectAll"));

    ClickRow(3);
    const int id = List()->topLevelItem(3)->text(4).toInt();
    ASSERT_GE(id, 1);
    EXPECT_EQ(Panel(4), QStringLiteral("1"));
    EXPECT_EQ(w->GetText("txtSubject"), s.list.Oe[static_cast<std::size_t>(id)].Subject);
    EXPECT_FALSE(Control<QPlainTextEdit>("txtBody")->toPlainText().isEmpty());
    EXPECT_TRUE(w->IsEnabled("cmdGrouping"));
    EXPECT_TRUE(w->IsEnabled("cmdAllTxt"));
    EXPECT_FALSE(w->IsEnabled("cmdDown"));
    EXPECT_FALSE(w->IsEnabled("cmdModTxt"));

    // The conversation of that message: every row with its key.
    const std::string key = pelicard::FoldCase(s.list.Oe[static_cast<std::size_t>(id)].ThreadKey);
    int conversation = 0;
    for (int i = 1; i <= s.list.Count; ++i)
        conversation += pelicard::FoldCase(s.list.Oe[static_cast<std::size_t>(i)].ThreadKey) == key ? 1 : 0;
    ASSERT_GE(conversation, 2);
    Control<QAbstractButton>("cmdGrouping")->click();
    QApplication::processEvents();
    EXPECT_EQ(List()->selectedItems().size(), conversation);
    EXPECT_EQ(Panel(4), QString::number(conversation));
    EXPECT_FALSE(w->IsEnabled("cmdGrouping"));
    ClickRow(3);

    // Shift+End extends the selection: the commands follow at once.
    QTest::keyClick(List(), Qt::Key_End, Qt::ShiftModifier);
    QApplication::processEvents();
    EXPECT_EQ(Panel(4), QString::number(57 - 3));
    EXPECT_FALSE(w->IsEnabled("cmdGrouping"));
    EXPECT_TRUE(w->IsEnabled("cmdDown"));

    // Ctrl+A typed in the body editor selects every message.
    QTest::keyClick(Control("txtBody"), Qt::Key_A, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(List()->selectedItems().size(), 57);
    EXPECT_EQ(Panel(4), QStringLiteral("57"));
    EXPECT_EQ(s.selection.SelectionCount, 57);
    EXPECT_TRUE(List()->hasFocus());
}

TEST_F(QtWindow, ColumnClicksSortAndDatesSortOnTheirKey) {
    OpenInbox();
    QHeaderView* header = List()->header();
    auto column = [&](int c) {
        std::vector<std::string> v;
        for (int i = 0; i < List()->topLevelItemCount(); ++i)
            v.push_back(pelicard::Utf8ToCp1252(List()->topLevelItem(i)->text(c).toStdString()));
        return v;
    };
    emit header->sectionClicked(0);  // first click: descending
    auto subjects = column(0);
    EXPECT_TRUE(std::is_sorted(subjects.rbegin(), subjects.rend(),
                               [](const std::string& a, const std::string& b) { return pelicard::CollateCompare(a, b) < 0; }));
    emit header->sectionClicked(2);  // "Date": ascending on the hidden key
    auto keys = column(3);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    // The "ID" column still ties each row to its entry.
    for (int i = 0; i < List()->topLevelItemCount(); ++i) {
        const auto id = static_cast<std::size_t>(List()->topLevelItem(i)->text(4).toInt());
        EXPECT_EQ(pelicard::Utf8ToCp1252(List()->topLevelItem(i)->text(0).toStdString()), s.list.Oe[id].Subject);
    }
}

TEST_F(QtWindow, CannotBeMadeSmallerThanTheSmallestWindow) {
    const QSize smallest = w->size();
    w->resize(200, 150);
    QApplication::processEvents();
    EXPECT_GE(w->width(), smallest.width());
    EXPECT_GE(w->height(), smallest.height());
    const auto* start = pelicard::FindStartPlace("fraPrinting");
    EXPECT_EQ(Control("fraPrinting")->x(), w->ToPixelsX(start->left));

    // Wider: the right-hand frames follow the edge.
    w->resize(smallest.width() + 150, smallest.height() + 90);
    QApplication::processEvents();
    EXPECT_EQ(Control("fraPrinting")->x(), w->ToPixelsX(start->left + w->ToTwipsX(150)));
    EXPECT_GT(Control("txtBody")->height(), w->ToPixelsY(pelicard::FindStartPlace("txtBody")->height));
}

TEST_F(QtWindow, ClosingDuringAListBuildWaitsForTheBuildToEnd) {
    int unloads = 0;
    int countAtUnload = -1;
    w->onUnload = [&](State& st) {
        ++unloads;
        countAtUnload = st.list.Count;
    };
    // The close box is pressed while the file dialog closes: the close
    // arrives at the build's first let-run.
    w->beforeAnswer = [&] { QMetaObject::invokeMethod(w.get(), "close", Qt::QueuedConnection); };
    w->files.push_back(std::string(PELICARD_SAMPLES) + "/dbx/Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx");
    Control<QAbstractButton>("cmdOpen(0)")->click();
    ASSERT_GT(w->doEvents, 0);
    EXPECT_EQ(unloads, 1);
    EXPECT_EQ(countAtUnload, 57);
    EXPECT_FALSE(w->isVisible());
}

}  // namespace
