// Printing to a PDF file: never into the store being read, never through a
// link, never over a non-empty file unless the dialog confirmed it, and a
// file cut short by a full disk never takes the chosen name.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QApplication>
#include <QPrinter>
#include <filesystem>
#include <fstream>

#include "common/state.hpp"
#include "ui/qt/qt_printer.hpp"
#include "support/eml_builder.hpp"

namespace fs = std::filesystem;
using namespace pelicard;
using namespace pelicard::testing;

namespace {

std::string Content(const std::string& p) {
    if (!fs::is_regular_file(fs::symlink_status(p))) return fs::exists(fs::symlink_status(p)) ? "<other>" : "<none>";
    std::ifstream in(p, std::ios::binary);
    std::string s{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return s.starts_with("%PDF") ? "<pdf>" : s;
}

void App() {
    static int argc = 1;
    static char name[] = "test_qt";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}

// Prints one line into `printer`; the fault's text, empty when it printed.
std::string PrintInto(QtPrinter& printer) {
    try {
        printer.PrintLine("Bonjour");
        printer.EndDoc();
        printer.Finish();
    } catch (const Fault& f) {
        return f.Description();
    } catch (const PrinterUnavailable& f) {
        return f.what();
    }
    return {};
}

}  // namespace

TEST(PdfTarget, ChosenFileIsCheckedAndReplacedOnlyWhenComplete) {
    App();
    const TempFolder tmp;
    const std::string d = tmp.Path() + "/";
    State s;
    s.list.Mode = StoreMode::OutlookExpress;
    s.dbx.ChosenPath = tmp.Write("inbox.dbx", "magasin");
    tmp.Write("old.pdf", "ancien");
    tmp.Write("empty.pdf", "");
    tmp.Write("outside.pdf", "");
    fs::create_symlink(d + "outside.pdf", d + "link.pdf");
    ASSERT_EQ(::mkfifo((d + "fifo.pdf").c_str(), 0600), 0);
    const struct {
        std::string name;
        bool dialog;  // chosen in the window's dialog, which confirms an existing file
        std::string after, refusal;
    } rows[] = {
        {"new.pdf", false, "<pdf>", ""},
        {"empty.pdf", false, "<pdf>", ""},
        {"old.pdf", false, "ancien", "Le fichier existe d\xE9j\xE0 et n'est pas vide"},
        {"old.pdf", true, "<pdf>", ""},
        {"inbox.dbx", true, "magasin", "C'est le fichier de dossier en cours de lecture"},
        {"link.pdf", true, "<other>", "C'est un lien symbolique"},
        {"fifo.pdf", false, "<other>", "Ce n'est pas un fichier ordinaire"},
    };
    for (const auto& r : rows) {
        std::unique_ptr<QtPrinter> printer;
        if (r.dialog) {
            printer = std::make_unique<QtPrinter>();
            printer->printer().setOutputFormat(QPrinter::PdfFormat);
            printer->printer().setOutputFileName(QString::fromStdString(d + r.name));
        } else {
            printer = std::make_unique<QtPrinter>(d + r.name);
        }
        printer->WatchStore(&s);
        const std::string fault = PrintInto(*printer);
        EXPECT_EQ(fault.empty() ? "" : fault.substr(fault.rfind("\r\n") + 2), r.refusal) << r.name;
        EXPECT_EQ(Content(d + r.name), r.after) << r.name;
    }
    EXPECT_EQ(Content(d + "outside.pdf"), "");
    for (auto& e : fs::directory_iterator(tmp.Path())) EXPECT_FALSE(e.path().extension() == ".tmp") << e.path();
}

// A small file size limit stands for a full disk.
TEST(PdfTarget, FileCutByAFullDiskNeverTakesTheName) {
    App();
    const TempFolder tmp;
    const std::string target = tmp.Write("old.pdf", "");
    State s;
    QtPrinter printer(target);
    printer.WatchStore(&s);
    struct rlimit before {};
    ::getrlimit(RLIMIT_FSIZE, &before);
    auto previous = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = before;
    small.rlim_cur = 600;
    ::setrlimit(RLIMIT_FSIZE, &small);
    for (int k = 0; k < 200; ++k) printer.PrintLine("Ligne de texte assez longue pour remplir plusieurs pages " + std::to_string(k));
    const std::string fault = PrintInto(printer);
    ::setrlimit(RLIMIT_FSIZE, &before);
    ::signal(SIGXFSZ, previous);
    EXPECT_NE(fault.find("Le fichier PDF est incomplet"), std::string::npos) << fault;
    EXPECT_EQ(Content(target), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.Path()), fs::directory_iterator()), 1);
}
