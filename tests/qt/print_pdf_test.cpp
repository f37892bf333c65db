// One real print job through the Qt printer into a PDF file, read back with
// pdftotext: header, wrapped lines, separator and page break are there.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "export/msg_end.hpp"
#include "qt_app.hpp"
#include "support/fake_window.hpp"
#include "ui/qt/qt_printer.hpp"

using namespace pelicard;

namespace {

std::string Capture(const std::string& cmd) {
    std::string out;
    if (FILE* p = ::popen(cmd.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

// Runs of blanks (spaces, line and page breaks) as one space.
std::string Flat(const std::string& s) {
    std::string out;
    for (char c : s)
        if (c != ' ' && c != '\n' && c != '\f') out += c;
        else if (!out.empty() && out.back() != ' ') out += ' ';
    return out;
}

}  // namespace

TEST(PrintPdf, JobReadsBackWithHeaderWrapSeparatorAndPageBreak) {
    App();
    const std::string pdf = (std::filesystem::temp_directory_path() / ("pelicard-print-" + std::to_string(::getpid()) + ".pdf")).string();
    std::string paragraph;
    for (int k = 1; k <= 60; ++k) paragraph += "mot" + std::to_string(k) + " ";
    std::string body = paragraph + "fin";
    for (int k = 1; k <= 70; ++k) body += "\r\nligne " + std::to_string(k);
    {
        State s;
        pelicard::testing::FakeWindow window;
        QtPrinter printer(pdf);
        s.window = &window;
        s.printer = &printer;
        s.list.Mode = StoreMode::WindowsMail;
        s.ops.PrintSelected = true;
        EXPECT_GT(printer.PageWidth(), printer.TextWidth(std::string(80, 'x')));  // device units, one font

        s.texts = {"", "", 0, false, "", body, "Objet : Premier\r\n", "Date : lundi 3 d\xE9" "cembre 2007 14:05\r\nExp\xE9" "diteur : Anne\r\n\r\n"};
        OutputMode first = kFirst, last = kLast;
        MsgEnd(s, 1, first);
        EXPECT_EQ(s.exp.WidthLimit, static_cast<std::int32_t>(std::nearbyint(0.9 * printer.PageWidth())));
        s.texts.BodyText = "Fin du second";
        MsgEnd(s, 2, last);
        printer.Finish();
        EXPECT_TRUE(window.boxes.empty());
    }
    EXPECT_NE(Capture("pdfinfo '" + pdf + "'").find("Pages:           2"), std::string::npos);
    const std::string text = Capture("pdftotext -layout '" + pdf + "' -");
    const std::string flat = Flat(text);
    EXPECT_NE(flat.find("1 Objet : Premier Date : lundi 3 d\xC3\xA9" "cembre 2007 14:05 Exp\xC3\xA9" "diteur : Anne"), std::string::npos) << text;
    // The paragraph is wrapped, no word lost.
    EXPECT_NE(flat.find(Flat(paragraph + "fin")), std::string::npos);
    EXPECT_LT(text.find('\n', text.find("mot1 ")), text.find("mot60"));
    // 63 counted lines on page 1 (4 message header lines, the paragraph on 4 lines, 55 more).
    EXPECT_NE(flat.find("ligne 55 2 ligne 56"), std::string::npos) << text;
    EXPECT_NE(flat.find(std::string(47, '-') + " Date : lundi 3 d\xC3\xA9" "cembre 2007 14:05"), std::string::npos);
    EXPECT_NE(flat.find("Fin du second"), std::string::npos);
    std::filesystem::remove(pdf);
}
