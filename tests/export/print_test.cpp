// Printing with a fake printer whose characters are one unit wide: the wrap
// rules, the page header and step, and the layout of a print job.
#include <gtest/gtest.h>

#include "export/batch.hpp"
#include "export/print.hpp"
#include "export_fixture.hpp"

using namespace pelicard;
using namespace pelicard::testing;

const std::string M(11, ' '), kRule = M + std::string(47, '-'), kPage = std::string(170, ' ');  // margin, separator, header
using Lines = std::vector<std::string>;
using PrintTest = ExportTest;

TEST_F(PrintTest, LinesWrapAtSpacesOrHardWithoutLosingCharacters) {
    struct Case {
        const char* line;
        std::int32_t limit;
        Lines printed;
    } cases[] = {
        {"aaaaaaaaaabbbbbbbbbbccccc", 10, {M + "aaaaaaaaaa", M + "bbbbbbbbbb", M + "ccccc"}},
        {"hello world foo", 10, {M + "hello", M + "world foo"}},
        // After a wrap, the long word is cut hard, not at the earlier space.
        {"ab cdefghijklmnop", 5, {M + "ab", M + "cdefg", M + "hijkl", M + "mnop"}},
    };
    for (const Case& c : cases) {
        printer.lines.clear();
        s.exp.WidthLimit = c.limit;
        PrintLine(s, c.line);
        EXPECT_EQ(printer.lines, c.printed) << c.line;
    }
}

TEST_F(PrintTest, PageHoldsHeaderAndSixtyThreeCountedLines) {
    s.exp.WidthLimit = 90;
    for (int k = 0; k < 64; ++k) PrintLine(s, "x");
    EXPECT_EQ(Lines(printer.lines.begin() + 62, printer.lines.end()), (Lines{M + "x", "<page>", "", kPage + "2", "", M + "x"}));
}

TEST_F(PrintTest, SelectionIsOneJobWithSeparatorsInDateOrder) {
    s.ops.PrintSelected = true;
    s.settings.SelectionOption = 1;
    printer.pageWidth = 101;  // limit 91 (90.9 rounded)
    Select({Add("A", "03/01/2008 10:00:00", "a1\r\na2"), Add("B", "01/01/2008 10:00:00", "b")});
    BatchDriver(s, Read);
    EXPECT_EQ(s.exp.WidthLimit, 91);
    Lines expected = {"", kPage + "1", ""};
    for (const char* l : {"Objet : B", "Date : 01/01/2008 10:00:00", "Exp\xE9" "diteur : Anne", "", "b", "", "-",
                          "Date : 03/01/2008 10:00:00", "Exp\xE9" "diteur : Anne", "", "a1", "a2"})
        expected.push_back(*l == 0 ? "" : *l == '-' ? kRule : M + l);
    expected.push_back("<end>");
    EXPECT_EQ(printer.lines, expected);
}

TEST_F(PrintTest, FollowingMessageStartsANewPageWhenMoreThan57LinesAreCounted) {
    s.ops.PrintSelected = true;
    s.settings.SelectionOption = 1;
    for (std::size_t n : {53u, 54u}) {  // 4 + n lines counted after the first message
        printer.lines.clear();
        s.list.Wm.resize(1);
        std::string body = "l";
        for (std::size_t k = 1; k < n; ++k) body += "\r\nl";
        Select({Add("A", "01/01/2008 10:00:00", body), Add("B", "02/01/2008 10:00:00", "b")});
        BatchDriver(s, Read);
        const Lines next = n == 53 ? Lines{"", kRule} : Lines{"<page>", "", kPage + "2", "", "", kRule};
        const auto after = printer.lines.begin() + static_cast<std::ptrdiff_t>(7 + n);  // after the first message
        EXPECT_EQ(Lines(after, after + static_cast<std::ptrdiff_t>(next.size())), next) << n;
    }
}
