// The Qt window, headless: controls, menus, a sample .dbx opened through a
// scripted dialog, and the whole road to a text file or a PDF read back.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <regex>

#include "app/system_time_zone.hpp"
#include "common/text.hpp"
#include "export/msg_end.hpp"
#include "support/eml_builder.hpp"
#include "ui/qt/main_window.hpp"
#include "ui/qt/message_list_view.hpp"
#include "ui/qt/qt_printer.hpp"

namespace fs = std::filesystem;
using namespace pelicard;

namespace {

// The window with its message boxes noted and the open-file dialog scripted.
class ScriptedWindow : public qt::MainWindow {
public:
    using MainWindow::MainWindow;
    std::deque<std::string> files;  // the answers of the open-file dialog
    std::vector<std::string> boxes;  // "title: text" of each message box
    std::function<void()> beforeAnswer, onDoEvents;  // as the file dialog closes; what the user does while a command runs
    int doEvents = 0;
    void DoEvents() override {
        if (++doEvents, onDoEvents) onDoEvents();
        MainWindow::DoEvents();
    }
    MsgResult MessageBox(const std::string& text, const std::string& title, MsgIcon, MsgButtons buttons) override {
        boxes.push_back(title + ": " + text);
        return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
    }
    bool OpenFile(const std::string&, const std::string&, const std::string&, std::string& chosen) override {
        if (beforeAnswer) beforeAnswer();
        if (files.empty()) return false;
        return chosen = files.front(), files.pop_front(), true;
    }
};

QString Q(const char* cp1252) { return QString::fromStdString(Cp1252ToUtf8(cp1252)); }
std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
// The text of a printed PDF file; -layout keeps each printed line whole.
std::string PdfText(const fs::path& pdf) {
    const fs::path txt = fs::path(pdf).replace_extension(".txt");
    EXPECT_EQ(std::system(("pdftotext -layout -enc UTF-8 '" + pdf.string() + "' '" + txt.string() + "'").c_str()), 0);
    return Utf8ToCp1252(ReadAll(txt));
}
// Runs of blanks (spaces, line and page breaks) as one space.
std::string Flat(const std::string& s) { return std::regex_replace(s, std::regex("[ \n\f]+"), " "); }

const std::string kInbox = std::string(PELICARD_SAMPLES) + "/dbx/Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx";
// A message of the sample: HTML, quoted-printable, sent 23/04/2007 14:16:55 UTC.
const char* const kCanteenBody = "Apr\xE8s v\xE9rification, la facture comporte une erreur de TVA \xE0 19,6 %";

struct QtWindow : ::testing::Test {
    pelicard::testing::TempFolder tmp;
    const fs::path root = tmp.Path(), out = root / "Bo\xC3\xAEte de r\xC3\xA9" "ception";  // where the inbox is saved
    State s;
    SystemTimeZone zone;
    std::unique_ptr<QtPrinter> printer;  // outlives the window
    std::unique_ptr<ScriptedWindow> w;

    void SetUp() override {
        static int argc = 1; static char name[] = "test_qt", *argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!QApplication::instance()) new QApplication(argc, argv);  // never destroyed: it outlives every window
        s.timeZone = &zone, s.env.AppFolder = root.string() + "/", s.settings.StorageFolder = root.string();
        (w = std::make_unique<ScriptedWindow>(s))->Load();
        QApplication::setActiveWindow(w.get());
        QApplication::processEvents();
    }
    void TearDown() override { w->close(); }
    template <typename T = QWidget>
    T* Control(const char* name) { return w->findChild<T*>(QString::fromLatin1(name)); }
    qt::MessageListView* List() { return Control<qt::MessageListView>("lvwMessages"); }
    QString Cell(int row, int column) { return List()->model()->index(row, column).data().toString(); }
    int SelectedRows() { return static_cast<int>(List()->selectionModel()->selectedRows().size()); }
    void Click(const char* name) {
        auto* button = Control<QAbstractButton>(name);
        ASSERT_TRUE(button && button->isEnabled()) << name;
        button->click();
        QApplication::processEvents();
    }
    void OpenInbox() {
        w->files.push_back(kInbox);
        Click("cmdOpen(0)");
        ASSERT_TRUE(w->boxes.empty()) << w->boxes.front();
        ASSERT_EQ(w->ListRowCount(), 57);
    }
    // Selects the rows (from 1) for which `chosen` holds, as a click does.
    void SelectRows(const std::function<bool(int)>& chosen) {
        for (int r = 1; r <= w->ListRowCount(); ++r) w->ListSetSelected(r, chosen(r));
        w->List()->Flush();
        emit w->List()->clickedInList();
        QApplication::processEvents();
    }
    QString Panel(int i) { return Control<QLabel>(("statBar(" + std::to_string(i) + ")").c_str())->text(); }
    bool DoneShown() { return w->IsVisible("txtEnd") && w->GetText("txtEnd") == "Op\xE9ration termin\xE9" "e"; }
};

TEST_F(QtWindow, ControlsMenusAndSmallestSizeAtLoad) {
    const char* const rows[][3] = {
        {"fraOpen", "Choisir", ""}, {"fraGrouping", "\xC9tendre", ""}, {"fraAllRecord", "Enregistrer", ""}, {"fraPrinting", "Imprimer", ""},
        {"cmdOpen(0)", "Fichier dbx", "Ouvrir un fichier dbx de OE"}, {"cmdOpen(1)", "Dossier WM", "Ouvrir un dossier Windows Mail"},
        {"cmdGrouping", "\xE0 la discussion", "Grouper tous les messages relatifs \xE0 la m\xEAme discussion que le message s\xE9lectionn\xE9"},
        {"cmdAllTxt", "Txt", "Enregistrer les messages s\xE9lectionn\xE9s sous forme de fichiers textes"},
        {"cmdAllNws", "Nws et Eml", "Enregistrer les messages s\xE9lectionn\xE9s sous leur forme originale"},
        {"cmdModTxt", "Txt", "Enregistrer le message modifi\xE9 sous forme d'un fichier texte"},
        {"cmdModNws", "Nws et Eml", "Enregistrer le message dont l'objet a \xE9t\xE9 modifi\xE9 sous sa forme originale"},
        {"cmdPrint", "Format texte", "Imprimer les messages s\xE9lectionn\xE9s sous forme de texte brut"}, {"lblLvw", "Liste des messages", ""},
        {"txtEnd", "Op\xE9ration termin\xE9" "e", ""}, {"fraModRecord", "Enregistrer les modifications", ""},
        {"lblTxt", "Affichage et modification des messages s\xE9lectionn\xE9s", ""}};
    for (const auto& r : rows) {
        ASSERT_NE(Control(r[0]), nullptr) << r[0];
        EXPECT_EQ(w->GetText(r[0]), r[1]) << r[0];
        EXPECT_EQ(Control(r[0])->toolTip(), Q(r[2])) << r[0];
    }
    EXPECT_EQ(w->windowTitle(), Q("Extraction des messages d'un gestionnaire de messagerie"));
    EXPECT_EQ(w->GetText("lblGrouping"), "L'option 'Messages group\xE9s par conversation' est activ\xE9" "e.\n"
                                         "Elle affectera les enregistrements en format texte et les impressions.");
    for (const char* hidden : {"lblGrouping", "lblSelection", "txtEnd", "Bar"}) EXPECT_FALSE(w->IsVisible(hidden)) << hidden;
    const char* headers[] = {"Objet", "\xC9metteur", "Date", "Dates pour tri", "ID"};  // the last two hidden
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(List()->model()->headerData(c, Qt::Horizontal).toString(), Q(headers[c])) << c;
        EXPECT_EQ(List()->isColumnHidden(c), c >= 3) << c;
    }
    // After the load every message command is off, and select all too.
    for (const char* k : {"cmdGrouping", "cmdAllTxt", "cmdAllNws", "cmdPrint", "cmdModTxt", "cmdModNws", "mnuSelectAll"})
        EXPECT_FALSE(w->IsEnabled(k)) << k;

    std::string tree;
    for (QAction* menu : w->menuBar()->actions()) {
        tree += menu->objectName().toStdString() + " " + menu->text().toStdString() + "|";
        for (QAction* item : menu->menu()->actions())
            tree += " " + item->objectName().toStdString() + (item->isSeparator() ? " -" : " " + item->text().toStdString()) + "|";
    }
    EXPECT_EQ(Utf8ToCp1252(tree),
              "mnuFiles Fichiers| mnuFileDbx Fichier dbx \xE0 traiter| mnuFileWM Dossier de Windows Mail \xE0 traiter| mnuFileStore Magasin complet\x85|"
              " mnuSaveStore Enregistrer tout le magasin\x85| mnuRecover R\xE9" "cup\xE9rer les messages supprim\xE9s\x85| mnu0 -|"
              " mnuMailbox Exporter vers un autre logiciel de messagerie| mnuPrinter Imprimante| mnu1 -| mnuQuit Sortie|"
              "mnuEdit \xC9" "ditions| mnuSelectAll S\xE9lection de tous les messages|"
              "mnuDisplay Affichage| mnuConfirm(0) Ne pas demander confirmation de l'enregistrement des options|"
              " mnuConfirm(1) Demander confirmation de l'enregistrement des options|mnuOptions Options| mnuGrouping Messages group\xE9s par conversation|"
              " mnuSelection Messages group\xE9s par s\xE9lection| mnu2 -| mnuStorage Dossier de stockage| mnuTextSep -|"
              " mnuFullDecoding D\xE9" "codage complet des messages (normes Internet)| mnuUtf8Files Fichiers texte en UTF-8|"
              "mnuAide ?| mnuHelp Aide| mnu4 -| mnuAbout \xC0 propos|");

    // The window cannot be made smaller than it opens.
    const QSize smallest = w->size();
    w->resize(200, 150);
    QApplication::processEvents();
    EXPECT_EQ(w->size(), smallest);
}

TEST_F(QtWindow, OpenADbxSampleSortSelectGroupAndSelectAll) {
    OpenInbox();
    EXPECT_EQ(w->GetText("lblLvw"), "57/60 messages complets/contenus dans le fichier Bo\xEEte de r\xE9" "ception.dbx");
    EXPECT_EQ(Panel(1) + "|" + Panel(2) + "|" + Panel(3), Q("Fichier dbx s\xE9lectionn\xE9|Bo\xEEte de r\xE9" "ception.dbx|  Messages s\xE9lectionn\xE9s"));

    // Column clicks: the first is descending; "Date" sorts ascending on the hidden key.
    auto column = [&](int c) {
        std::vector<std::string> v;
        for (int i = 0; i < List()->model()->rowCount(); ++i) v.push_back(Utf8ToCp1252(Cell(i, c).toStdString()));
        return v;
    };
    emit List()->header()->sectionClicked(0);
    const auto subjects = column(0);
    EXPECT_TRUE(std::is_sorted(subjects.rbegin(), subjects.rend(),
                               [](const std::string& a, const std::string& b) { return CollateCompare(a, b) < 0; }));
    emit List()->header()->sectionClicked(2);
    const auto keys = column(3), ids = column(4);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    for (std::size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(column(0)[i], s.list.Oe[std::stoul(ids[i])].Subject);  // "ID" ties row to entry

    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, List()->visualRect(List()->model()->index(3, 0)).center());
    QApplication::processEvents();
    const auto id = std::stoul(ids[3]);
    EXPECT_EQ(Panel(4), QStringLiteral("1"));
    EXPECT_EQ(w->GetText("txtSubject"), s.list.Oe[id].Subject);

    // "à la discussion" selects the whole conversation of that message.
    Click("cmdGrouping");
    EXPECT_GE(SelectedRows(), 2);
    for (const QModelIndex& row : List()->selectionModel()->selectedRows(4))
        EXPECT_EQ(FoldCase(s.list.Oe[row.data().toString().toULong()].ThreadKey), FoldCase(s.list.Oe[id].ThreadKey));
    EXPECT_FALSE(w->IsEnabled("cmdGrouping"));

    // Ctrl+A typed in the body editor selects every message.
    QTest::keyClick(Control("txtBody"), Qt::Key_A, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(SelectedRows(), 57);
    EXPECT_EQ(s.selection.SelectionCount, 57);
    EXPECT_TRUE(List()->hasFocus());
}

// A click on "Nws et Eml" and Ctrl+A during a save are dropped, not run
// under it nor after it; "Annuler" stops the save between two messages.
TEST_F(QtWindow, InputDuringASaveIsDroppedAndAnnulerStopsItKeepingTheFilesWritten) {
    OpenInbox();
    SelectRows([](int r) { return r <= 4; });
    const int before = w->doEvents;
    w->onDoEvents = [&] {
        if (w->doEvents - before == 1) {
            QTest::mouseClick(Control("cmdAllNws"), Qt::LeftButton);
            QTest::keyClick(List(), Qt::Key_A, Qt::ControlModifier);
        } else if (QWidget *cancel = Control("cmdCancel"), *panel4 = Control("statBar(4)"); w->doEvents - before == 2) {
            ASSERT_TRUE(cancel->isVisible());  // neither over the number selected nor over the bar
            EXPECT_FALSE(cancel->geometry().intersects({panel4->mapTo(w->centralWidget(), QPoint()), panel4->size()}) ||
                         Control("Bar")->geometry().intersects(cancel->geometry()));
            QTest::mouseClick(cancel, Qt::LeftButton);
        }
    };
    Click("cmdAllNws");
    w->onDoEvents = nullptr;
    QApplication::processEvents();
    EXPECT_EQ(std::distance(fs::directory_iterator(out), {}), 2);
    EXPECT_EQ(SelectedRows(), 4);
    EXPECT_FALSE(DoneShown() || Control("cmdCancel")->isVisible() || Control("Bar")->isVisible());
    EXPECT_TRUE(w->boxes.empty()) << w->boxes.front();
    auto* written = Control<QLabel>("lblWritten");  // whole, not cut
    const QString stopped = Q("Commande arr\xEAt\xE9" "e : 2 fichiers enregistr\xE9s dans \xAB Bo\xEEte de r\xE9" "ception \xBB");
    EXPECT_TRUE(written->text().endsWith(stopped + QStringLiteral("</a>")) && written->width() > written->fontMetrics().horizontalAdvance(stopped))
        << written->text().toStdString();
    Click("cmdAllNws");  // the next command runs whole
    EXPECT_EQ(std::distance(fs::directory_iterator(out), {}), 6);
    EXPECT_TRUE(DoneShown());
}

// The close box during a list build stops the build as "Annuler" does.
TEST_F(QtWindow, ClosingDuringAListBuildStopsItThenCloses) {
    int unloads = 0, countAtUnload = -1;
    w->onUnload = [&](State& st) { ++unloads, countAtUnload = st.list.Count; };
    // The close box is pressed as the file dialog closes: the close arrives at the build's first let-run.
    w->beforeAnswer = [&] { QMetaObject::invokeMethod(w.get(), "close", Qt::QueuedConnection); };
    w->files.push_back(kInbox);
    Control<QAbstractButton>("cmdOpen(0)")->click();
    ASSERT_GT(w->doEvents, 0);
    EXPECT_EQ(unloads, 1);
    EXPECT_EQ(countAtUnload, 0);
    EXPECT_FALSE(w->isVisible());
}

// One message saved as text under the storage folder, its folder given as a link.
TEST_F(QtWindow, SavesATextFileAndLinksItsFolder) {
    OpenInbox();
    SelectRows([&](int r) { return w->ListCellText(r, 1) == "Menu de la cantine"; });
    ASSERT_EQ(SelectedRows(), 1);
    EXPECT_NE(w->GetText("txtBody").find(kCanteenBody), std::string::npos);
    Click("cmdAllTxt");
    const std::string text = ReadAll(out / "Menu de la cantine_20070423 161655.txt");
    EXPECT_EQ(text.substr(0, text.find(kCanteenBody)),
              "Objet : Menu de la cantine\r\nDate : lundi 23 avril 2007 16:05\r\nExp\xE9" "diteur : Jean Dupont\r\n\r\n");
    EXPECT_TRUE(DoneShown());
    EXPECT_TRUE(Control("lblWritten")->isVisible());
    EXPECT_TRUE(w->boxes.empty());
    EXPECT_EQ(Control<QLabel>("lblWritten")->text(), QStringLiteral("<a href=\"%1\">%2</a>").arg(
        QUrl::fromLocalFile(QString::fromStdString(out.string())).toString(), Q("1 fichier enregistr\xE9 dans \xAB Bo\xEEte de r\xE9" "ception \xBB")));
}

TEST_F(QtWindow, PrintJobReadsBackWithHeaderWrapSeparatorAndPageBreak) {
    printer = std::make_unique<QtPrinter>((root / "job.pdf").string());
    s.printer = printer.get(), s.list.Mode = StoreMode::WindowsMail, s.ops.PrintSelected = true;
    std::string paragraph, body;
    for (int k = 1; k <= 60; ++k) paragraph += "mot" + std::to_string(k) + " ";
    for (int k = 1; k <= 70; ++k) body += "\r\nligne " + std::to_string(k);
    s.texts = {"", "", 0, false, "", paragraph + "fin" + body, "Objet : Premier\r\n", "Date : lundi 3 d\xE9" "cembre 2007 14:05\r\nExp\xE9" "diteur : Anne\r\n\r\n"};
    OutputMode first = kFirst, last = kLast;
    MsgEnd(s, 1, first);
    s.texts.BodyText = "Fin du second";
    MsgEnd(s, 2, last);
    printer->Finish();
    EXPECT_TRUE(w->boxes.empty());

    const std::string text = PdfText(root / "job.pdf"), flat = Flat(text), header = "Date : lundi 3 d\xE9" "cembre 2007 14:05 Exp\xE9" "diteur : Anne";
    EXPECT_NE(flat.find("1 Objet : Premier " + header), std::string::npos) << text;
    // The paragraph is wrapped, no word lost.
    EXPECT_NE(flat.find(Flat(paragraph + "fin")), std::string::npos);
    EXPECT_LT(text.find('\n', text.find("mot1 ")), text.find("mot60"));
    // 63 counted lines on page 1 (4 message header lines, the paragraph on 4 lines, 55 more).
    EXPECT_NE(flat.find("ligne 55 2 ligne 56"), std::string::npos) << text;
    EXPECT_NE(flat.find(std::string(47, '-') + " " + header + " Fin du second"), std::string::npos);
}

// A PDF file chosen in the printer dialog receives every job of the command
// (four messages, no grouping: four jobs); a printer that cannot be opened
// ends the command only, telling what to do.
TEST_F(QtWindow, EveryJobOfOneCommandEndsInTheChosenPdfAndAPrinterThatCannotOpenEndsOnlyTheCommand) {
    printer = std::make_unique<QtPrinter>();
    printer->printer().setOutputFormat(QPrinter::PdfFormat);  // as the dialog's "print to file" leaves it
    printer->printer().setOutputFileName(QString::fromStdString((root / "choisi.pdf").string()));
    w->SetPrinter(printer.get()), s.printer = printer.get();
    OpenInbox();
    SelectRows([](int r) { return r <= 4; });
    Click("cmdPrint");
    const std::string printed = PdfText(root / "choisi.pdf");
    for (int r = 1; r <= 4; ++r) EXPECT_NE(printed.find("Objet : " + w->ListCellText(r, 1)), std::string::npos) << r;
    EXPECT_TRUE(DoneShown());

    printer->printer().setOutputFileName(QString::fromStdString((root / "absent" / "x.pdf").string()));
    Click("cmdPrint");
    ASSERT_EQ(w->boxes.size(), 1u);
    EXPECT_NE(w->boxes[0].find("Impossible d'ouvrir l'imprimante"), std::string::npos) << w->boxes[0];
    EXPECT_NE(w->boxes[0].find("\xAB Imprimante \xBB"), std::string::npos) << w->boxes[0];
    EXPECT_FALSE(s.Quitting || DoneShown() || !w->isVisible());
    Click("cmdAllTxt");  // the window goes on
    EXPECT_TRUE(DoneShown());
}

TEST_F(QtWindow, AttachmentsPaneListsAndSavesThemAndTheCompleteCopyGoesPastThem) {
    OpenInbox();
    auto* pane = Control<QTreeWidget>("lvwAttachments");
    ASSERT_NE(pane, nullptr);
    // The rows whose message has attachments show the pane, with the body above it.
    int withAttachments = 0, shownRow = 0;
    for (int r = 1; r <= w->ListRowCount(); ++r) {
        SelectRows([r](int k) { return k == r; });
        if (!pane->isVisibleTo(w.get())) continue;
        ++withAttachments, shownRow = r;
        EXPECT_LE(Control("txtBody")->geometry().bottom(), pane->parentWidget()->geometry().top()) << r;
    }
    ASSERT_GE(withAttachments, 5);
    SelectRows([&](int r) { return r == shownRow; });
    pane->topLevelItem(0)->setSelected(true);
    Click("cmdSaveAttachments");
    EXPECT_TRUE(w->boxes.empty()) << w->boxes.front();
    std::vector<std::string> saved;
    for (auto& e : fs::recursive_directory_iterator(out))
        if (e.is_regular_file()) saved.push_back(e.path().filename().string());
    EXPECT_EQ(saved, std::vector<std::string>{pane->topLevelItem(0)->text(0).toStdString()});

    // The complete copy, from the menu beside "Nws et Eml", holds the attachments too.
    auto* complete = w->findChild<QAction*>(QStringLiteral("cmdAllComplete"));
    ASSERT_NE(complete, nullptr);
    complete->trigger();
    QApplication::processEvents();
    std::size_t biggest = 0;
    for (auto& e : fs::directory_iterator(out))
        if (e.path().extension() == ".eml") biggest = std::max<std::size_t>(biggest, e.file_size());
    EXPECT_GT(biggest, w->GetText("txtBody").size());
    EXPECT_TRUE(DoneShown());
}

// With the complete decoding on, the list shows subjects and senders beyond
// Windows-1252 as they were written; the fixed reading keeps its own text.
TEST_F(QtWindow, ListRowsShowTheDecodedSubjectAndSender) {
    const fs::path folder = root / "Courrier";
    fs::create_directories(folder);
    std::ofstream(folder / "un.eml", std::ios::binary)
        << "From: =?UTF-8?B?0JjQstCw0L0=?= <ivan@example.ru>\r\nSubject: =?KOI8-R?B?8NLJ18XU?=\r\n"
           "Date: Mon, 2 Apr 2007 10:00:00 +0000\r\n\r\nTexte\r\n";
    for (const bool full : {false, true}) {
        s.content.FullDecoding = full;
        w->files.push_back((folder / "un.eml").string());
        Click("cmdOpen(1)");
        ASSERT_EQ(w->ListRowCount(), 1) << full;
        EXPECT_TRUE(full || Cell(0, 0).contains(QStringLiteral("=?KOI8-R?B?"))) << Cell(0, 0).toStdString();
    }
    EXPECT_EQ(Cell(0, 0), QString::fromUtf8("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"));
    EXPECT_TRUE(Cell(0, 1).startsWith(QString::fromUtf8("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD"))) << Cell(0, 1).toStdString();
}

}  // namespace
