// Printing with a fake printer whose characters are one unit wide: the wrap
// rules, the page header and step, and the layout of a print job.
#include <gtest/gtest.h>

#include "export/batch.hpp"
#include "export/print.hpp"
#include "export_fixture.hpp"

using namespace pelicard;
using namespace pelicard::testing;

namespace {

const std::string M(11, ' ');  // the left margin

std::vector<std::string> Header(int page) { return {"", std::string(170, ' ') + std::to_string(page), ""}; }
std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

using PrintTest = ExportTest;

TEST_F(PrintTest, LinesWrapAtSpacesOrHardWithoutLosingCharacters) {
    struct Case {
        const char* line;
        std::int32_t limit;
        std::vector<std::string> printed;
    } cases[] = {
        {"", 10, {""}},
        {"abcdefghij", 10, {M + "abcdefghij"}},
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
    EXPECT_EQ(printer.lines, std::vector<std::string>(63, M + "x") + std::vector<std::string>{"<page>"} + Header(2) +
                                 std::vector<std::string>{M + "x"});
}

TEST_F(PrintTest, SelectionIsOneJobWithSeparatorsInDateOrder) {
    s.ops.PrintSelected = true;
    s.settings.SelectionOption = 1;
    printer.pageWidth = 101;  // limit 91 (90.9 rounded)
    const std::int32_t a = Add("A", "03/01/2008 10:00:00", "a1\r\na2");
    const std::int32_t b = Add("B", "01/01/2008 10:00:00", "b");
    const std::int32_t c = Add("C", "02/01/2008 10:00:00", "c\r\n");
    Select({a, b, c});
    BatchDriver(s, Read);
    EXPECT_EQ(s.exp.WidthLimit, 91);
    std::vector<std::string> expected = Header(1);
    for (const char* l : {"Objet : B", "Date : 01/01/2008 10:00:00", "Exp\xE9" "diteur : Anne", "", "b", "", "-",
                          "Date : 02/01/2008 10:00:00", "Exp\xE9" "diteur : Anne", "", "c", "", "", "-",
                          "Date : 03/01/2008 10:00:00", "Exp\xE9" "diteur : Anne", "", "a1", "a2", "<end>"}) {
        const std::string line = l;
        expected.push_back(line.empty() || line == "<end>" ? line : line == "-" ? M + std::string(47, '-') : M + line);
    }
    EXPECT_EQ(printer.lines, expected);
}

TEST_F(PrintTest, FollowingMessageStartsANewPageWhenMoreThan57LinesAreCounted) {
    s.ops.PrintSelected = true;
    s.settings.SelectionOption = 1;
    for (int bodyLines : {53, 54}) {  // 4 + body lines counted after the first message
        printer.lines.clear();
        s.list.Wm.resize(1);
        std::string body = "l";
        for (int k = 2; k <= bodyLines; ++k) body += "\r\nl";
        Select({Add("A", "01/01/2008 10:00:00", body), Add("B", "02/01/2008 10:00:00", "b")});
        BatchDriver(s, Read);
        const auto& p = printer.lines;
        const std::size_t last = 3 + 4 + static_cast<std::size_t>(bodyLines);  // after the first message
        if (bodyLines == 53)
            EXPECT_EQ(p[last + 1], M + std::string(47, '-'));
        else
            EXPECT_EQ(std::vector<std::string>(p.begin() + last, p.begin() + last + 6),
                      (std::vector<std::string>{"<page>"} + Header(2) + std::vector<std::string>{"", M + std::string(47, '-')}));
    }
}
