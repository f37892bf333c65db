// The whole road through the real window, headless: open a sample .dbx
// through a scripted file dialog, select a message, save it as text or print
// it to a PDF file, and read back what was written.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/system_time_zone.hpp"
#include "common/state.hpp"
#include "qt_app.hpp"
#include "common/text.hpp"
#include "support/fake_services.hpp"
#include "ui/qt/main_window.hpp"
#include "ui/qt/message_list_view.hpp"
#include "ui/qt/qt_printer.hpp"

namespace fs = std::filesystem;
using pelicard::MsgButtons;
using pelicard::MsgIcon;
using pelicard::MsgResult;
using pelicard::State;

namespace {

// The real window, whose message boxes are noted instead of waiting for a
// click.
class ScriptedWindow : public pelicard::qt::MainWindow {
public:
    using MainWindow::MainWindow;
    std::vector<std::string> boxes;
    MsgResult MessageBox(const std::string& text, const std::string& title, MsgIcon,
                         MsgButtons buttons) override {
        boxes.push_back(title + ": " + text);
        return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
    }
};

std::string ReadAll(const fs::path& p) {
    std::stringstream ss;
    ss << std::ifstream(p, std::ios::binary).rdbuf();
    return ss.str();
}

const char* const kInbox = PELICARD_SAMPLES "/dbx/Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx";
// A message of the sample: HTML, quoted-printable, sent 23/04/2007 14:16:55 UTC.
const char* const kCanteen = "Menu de la cantine";
const char* const kCanteenBody =
    "Apr\xE8s v\xE9rification, la facture comporte une erreur de TVA \xE0 19,6 %";

struct EndToEnd : ::testing::Test {
    State s;
    pelicard::SystemTimeZone zone;
    pelicard::testing::FakeDialogs dialogs;
    std::unique_ptr<pelicard::QtPrinter> printer;  // outlives the window
    std::unique_ptr<ScriptedWindow> window;
    fs::path root;
    fs::path storage;

    void SetUp() override {
        App();
        root = fs::temp_directory_path() /
               ("pelicard-e2e-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        storage = root / "Documents Pelicard";
        fs::create_directories(storage);
        s.timeZone = &zone;
        s.env.AppFolder = root.string() + "/";
        s.settings.StorageFolder = storage.string();
        window = std::make_unique<ScriptedWindow>(s);
        s.dialogs = &dialogs;  // the file dialog answers from the script
        window->Load();
    }
    void TearDown() override {
        window->close();
        window.reset();
        fs::remove_all(root);
    }

    void Click(const char* name) {
        auto* button = window->findChild<QAbstractButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->isEnabled()) << name;
        button->click();
        QCoreApplication::processEvents();
    }
    void OpenInbox() {
        dialogs.files.push_back(std::string(kInbox));
        Click("cmdOpen(0)");
        ASSERT_TRUE(window->boxes.empty()) << window->boxes.front();
        ASSERT_EQ(window->ListRowCount(), 57);
    }
    // Selects the rows whose subject is one of `subjects`, as a click does.
    void SelectSubjects(const std::vector<std::string>& subjects) {
        int found = 0;
        for (int r = 1; r <= window->ListRowCount(); ++r) {
            bool on = false;
            for (const auto& subject : subjects) on = on || window->ListCellText(r, 1) == subject;
            window->ListSetSelected(r, on);
            found += on ? 1 : 0;
        }
        ASSERT_EQ(found, static_cast<int>(subjects.size()));
        window->List()->Flush();
        emit window->List()->clickedInList();
        QCoreApplication::processEvents();
    }
    bool DoneShown() {
        return window->IsVisible("txtEnd") &&
               window->GetText("txtEnd") == "Op\xE9ration termin\xE9" "e";
    }
};

TEST_F(EndToEnd, SavesTheSelectedMessageAsTextUnderTheStorageFolder) {
    OpenInbox();
    SelectSubjects({kCanteen});
    EXPECT_EQ(window->GetText("txtSubject"), kCanteen);
    EXPECT_NE(window->GetText("txtBody").find(kCanteenBody), std::string::npos);
    EXPECT_FALSE(DoneShown());

    Click("cmdAllTxt");
    const fs::path file = storage / "Bo\xC3\xAEte de r\xC3\xA9" "ception" /
                          "Menu de la cantine_20070423 161655.txt";
    ASSERT_TRUE(fs::exists(file));
    const std::string text = ReadAll(file);
    EXPECT_EQ(text.substr(0, text.find(kCanteenBody)),
              "Objet : Menu de la cantine\r\n"
              "Date : lundi 23 avril 2007 16:05\r\n"
              "Exp\xE9" "diteur : Jean Dupont\r\n"
              "\r\n");
    EXPECT_TRUE(DoneShown());
    EXPECT_TRUE(window->boxes.empty());
}

TEST_F(EndToEnd, PrintsTheSelectionAsOneJobToPdf) {
    const fs::path pdf = root / "impression.pdf";
    printer = std::make_unique<pelicard::QtPrinter>(pdf.string());
    printer->SetFont("Arial", 10);
    s.printer = printer.get();
    window->SetPrinter(printer.get());
    s.settings.SelectionOption = 1;

    OpenInbox();
    SelectSubjects({kCanteen, "Rendez-vous chez le m\xE9" "decin"});
    Click("cmdPrint");
    ASSERT_TRUE(fs::exists(pdf));
    EXPECT_TRUE(DoneShown());

    const fs::path txt = root / "impression.txt";
    // -layout keeps each printed line whole (no joining of a line that
    // ends with a hyphen).
    const std::string command = "pdftotext -layout -enc UTF-8 '" + pdf.string() + "' '" + txt.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string printed = pelicard::Utf8ToCp1252(ReadAll(txt));
    // One job in date order: the older message with its subject line, then
    // the rule and the date and sender of the next one.
    const auto first = printed.find("Objet : Rendez-vous chez le m\xE9" "decin");
    const auto rule = printed.find(std::string(47, '-'));
    const auto second = printed.find("Exp\xE9" "diteur : Jean Dupont");
    ASSERT_NE(first, std::string::npos) << printed;
    ASSERT_NE(rule, std::string::npos) << printed;
    ASSERT_NE(second, std::string::npos) << printed;
    EXPECT_LT(first, rule);
    EXPECT_LT(rule, second);
    EXPECT_EQ(printed.find("Objet : Menu de la cantine"), std::string::npos);
    EXPECT_NE(printed.find("Apr\xE8s v\xE9rification"), std::string::npos);
    EXPECT_TRUE(window->boxes.empty());
}

}  // namespace
