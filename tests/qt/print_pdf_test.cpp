// One real print job through the Qt printer into a PDF file, read back with
// pdftotext: the page header, the wrapped lines, the separator and the page
// break are in the file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "common/state.hpp"
#include "common/text.hpp"
#include "export/msg_end.hpp"
#include "support/fake_window.hpp"
#include "ui/qt/qt_printer.hpp"

namespace fs = std::filesystem;
using namespace pelicard;

namespace {

void EnsureApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_qt";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> app = std::make_unique<QApplication>(argc, argv);
}

std::string Capture(const std::string& cmd) {
    std::string out;
    if (FILE* p = ::popen(cmd.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

std::string Squeeze(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == ' ' || c == '\n' || c == '\f' || c == '\r') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

TEST(PrintPdf, JobWithHeaderWrapSeparatorAndPageBreakReadsBack) {
    EnsureApplication();
    const fs::path pdf = fs::temp_directory_path() / ("pelicard-print-" + std::to_string(::getpid()) + ".pdf");
    fs::remove(pdf);

    std::string paragraph;
    for (int k = 1; k <= 60; ++k) paragraph += "mot" + std::to_string(k) + " ";
    paragraph += "\xE9t\xE9";
    std::string body = paragraph;
    for (int k = 1; k <= 70; ++k) body += "\r\nligne " + std::to_string(k);

    {
        State s;
        pelicard::testing::FakeWindow window;
        QtPrinter printer(pdf.string());
        s.window = &window;
        s.printer = &printer;
        s.list.Mode = StoreMode::WindowsMail;
        s.list.Wm.resize(3);
        s.list.Count = 2;
        s.ops.PrintSelected = true;

        EXPECT_GT(printer.TextWidth("mmmm"), printer.TextWidth("mm"));
        EXPECT_GT(printer.PageWidth(), printer.TextWidth(std::string(80, 'x')));  // device units, not points

        s.texts.SubjectLine = "Objet : Premier message\r\n";
        s.texts.DateSenderBlock = "Date : lundi 3 d\xE9" "cembre 2007 14:05\r\nExp\xE9" "diteur : Anne\r\n\r\n";
        s.texts.BodyText = body;
        OutputMode first = kFirst;
        MsgEnd(s, 1, first);
        EXPECT_EQ(s.exp.WidthLimit, static_cast<std::int32_t>(std::nearbyint(0.9 * printer.PageWidth())));

        s.texts.DateSenderBlock = "Date : mardi 4 d\xE9" "cembre 2007 09:00\r\nExp\xE9" "diteur : Bernard\r\n\r\n";
        s.texts.BodyText = "Fin du second message";
        OutputMode last = kLast;
        MsgEnd(s, 2, last);
        printer.Finish();
        EXPECT_TRUE(window.boxes.empty());
    }

    ASSERT_TRUE(fs::exists(pdf));
    const std::string info = Capture("pdfinfo '" + pdf.string() + "'");
    EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;

    const std::string text = Capture("pdftotext -layout '" + pdf.string() + "' -");
    const std::string flat = Squeeze(text);
    EXPECT_NE(flat.find("1 Objet : Premier message Date : lundi 3 d\xC3\xA9" "cembre 2007 14:05 Exp\xC3\xA9" "diteur : Anne"),
              std::string::npos) << text;
    // The paragraph is wrapped over several lines, no word lost.
    EXPECT_NE(flat.find(Squeeze(Cp1252ToUtf8(paragraph))), std::string::npos);
    EXPECT_EQ(text.find("mot1 "), text.rfind("mot1 "));
    EXPECT_NE(text.find("mot60"), std::string::npos);
    EXPECT_GT(text.find('\n', text.find("mot1 ")), text.find("mot1 "));
    EXPECT_LT(text.find('\n', text.find("mot1 ")), text.find("mot60"));
    // 63 counted lines fill page 1 (4 header lines of the message, the
    // paragraph on 4 lines, 55 more); page 2 begins with its header.
    EXPECT_NE(flat.find("ligne 55 2 ligne 56"), std::string::npos) << text;
    EXPECT_NE(flat.find(std::string(47, '-') + " Date : mardi 4 d\xC3\xA9" "cembre 2007 09:00"), std::string::npos);
    EXPECT_NE(flat.find("Fin du second message"), std::string::npos);
    fs::remove(pdf);
}
