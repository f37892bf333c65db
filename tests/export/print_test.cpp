// Printing with a fake printer whose characters are one unit wide: the wrap
// rules, the page header and step, and the layout of a print job.
#include <gtest/gtest.h>

#include <algorithm>

#include "export/batch.hpp"
#include "export/print.hpp"
#include "export_fixture.hpp"

using namespace pelicard;
using pelicard::testing::ExportTest;

namespace {

const std::string M(11, ' ');  // the left margin

std::vector<std::string> Header(int page) { return {"", std::string(170, ' ') + std::to_string(page), ""}; }

class PrintTest : public ExportTest {
protected:
    std::vector<std::string> Printed(const std::string& line, std::int32_t limit) {
        printer.jobs.clear();
        printer.jobOpen = false;
        s.exp.WidthLimit = limit;
        PrintLine(s, line);
        return printer.Lines(0);
    }
    std::string Body(int lines) {
        std::string b;
        for (int k = 1; k <= lines; ++k) b += (k > 1 ? "\r\n" : "") + std::string("l") + std::to_string(k);
        return b;
    }
};

}  // namespace

TEST_F(PrintTest, LinesWrapAtSpacesOrHardWithoutLosingCharacters) {
    struct Case {
        const char* line;
        std::int32_t limit;
        std::vector<std::string> printed;
    } cases[] = {
        {"", 10, {""}},
        {"abc", 10, {M + "abc"}},
        {"abcdefghij", 10, {M + "abcdefghij"}},
        {"aaaaaaaaaabbbbbbbbbbccccc", 10, {M + "aaaaaaaaaa", M + "bbbbbbbbbb", M + "ccccc"}},
        {"hello world foo", 10, {M + "hello", M + "world foo"}},
        // After a wrap, the long word is cut hard, not at the earlier space.
        {"ab cdefghijklmnop", 5, {M + "ab", M + "cdefg", M + "hijkl", M + "mnop"}},
        // The space at a cut is not printed.
        {"abcd efgh", 5, {M + "abcd", M + "efgh"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Printed(c.line, c.limit), c.printed) << c.line;
}

TEST_F(PrintTest, PageHoldsHeaderAndSixtyThreeCountedLines) {
    s.exp.WidthLimit = 90;
    s.exp.LineCounter = 0;
    PrintPageHeader(s);
    for (int k = 0; k < 64; ++k) PrintLine(s, "x");
    ASSERT_EQ(printer.jobs.size(), 1u);
    const auto& pages = printer.jobs[0].pages;
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].lines.size(), 66u);
    EXPECT_EQ(std::vector<std::string>(pages[0].lines.begin(), pages[0].lines.begin() + 3), Header(1));
    EXPECT_EQ(pages[1].lines, (std::vector<std::string>{"", std::string(170, ' ') + "2", "", M + "x"}));
    EXPECT_EQ(s.exp.LineCounter, 1);
}

TEST_F(PrintTest, SelectionIsOneJobWithSeparatorsInDateOrder) {
    s.ops.PrintSelected = true;
    s.settings.SelectionOption = 1;
    printer.pageWidth = 101;  // limit 91 (90.9 rounded)
    const std::int32_t a = AddMessage("A", "03/01/2008 10:00:00", "a1\r\na2");
    const std::int32_t b = AddMessage("B", "01/01/2008 10:00:00", "b");
    const std::int32_t c = AddMessage("C", "02/01/2008 10:00:00", "c\r\n");
    Select({a, b, c});
    BatchDriver(s, FakeRead);
    EXPECT_EQ(s.exp.WidthLimit, 91);
    ASSERT_EQ(printer.jobs.size(), 1u);
    EXPECT_FALSE(printer.jobOpen);
    EXPECT_EQ(printer.finished, 1);
    const std::string hyphens = M + std::string(47, '-');
    std::vector<std::string> expected = Header(1);
    for (const char* l : {"Objet : B", "Date : 01/01/2008 10:00:00", "Exp\xE9" "diteur : Anne", "", "b", "", "-",
                          "Date : 02/01/2008 10:00:00", "Exp\xE9" "diteur : Anne", "", "c", "", "", "-",
                          "Date : 03/01/2008 10:00:00", "Exp\xE9" "diteur : Anne", "", "a1", "a2"}) {
        std::string line = l;
        expected.push_back(line.empty() ? line : line == "-" ? hyphens : M + line);
    }
    EXPECT_EQ(printer.Lines(0), expected);
}

TEST_F(PrintTest, WithoutOptionEachMessageIsAJobOfItsOwn) {
    s.ops.PrintSelected = true;
    const std::int32_t a = AddMessage("A", "03/01/2008 10:00:00", "a");
    const std::int32_t b = AddMessage("B", "01/01/2008 10:00:00", "b");
    Select({a, b});
    BatchDriver(s, FakeRead);
    ASSERT_EQ(printer.jobs.size(), 2u);
    EXPECT_EQ(printer.Lines(0)[3], M + "Objet : A");
    EXPECT_EQ(printer.Lines(1)[1], Header(1)[1]);
    EXPECT_EQ(printer.Lines(1).back(), M + "b");
}

TEST_F(PrintTest, FollowingMessageStartsANewPageWhenMoreThan57LinesAreCounted) {
    s.ops.PrintSelected = true;
    s.settings.SelectionOption = 1;
    for (int bodyLines : {53, 54}) {  // 4 + body lines counted after the first message
        SCOPED_TRACE(bodyLines);
        printer.jobs.clear();
        s.list.Wm.resize(1);
        const std::int32_t a = AddMessage("A", "01/01/2008 10:00:00", Body(bodyLines));
        const std::int32_t b = AddMessage("B", "02/01/2008 10:00:00", "b");
        Select({a, b});
        BatchDriver(s, FakeRead);
        ASSERT_EQ(printer.jobs.size(), 1u);
        const auto& pages = printer.jobs[0].pages;
        if (bodyLines == 53) {
            // The separator follows on the same page.
            const auto& first = pages[0].lines;
            auto last = std::find(first.begin(), first.end(), M + "l53");
            ASSERT_NE(last, first.end());
            ASSERT_LT(last + 2, first.end());
            EXPECT_EQ(*(last + 2), M + std::string(47, '-'));
        } else {
            ASSERT_EQ(pages.size(), 2u);
            EXPECT_EQ(pages[0].lines.back(), M + "l54");
            EXPECT_EQ(std::vector<std::string>(pages[1].lines.begin(), pages[1].lines.begin() + 5),
                      (std::vector<std::string>{"", std::string(170, ' ') + "2", "", "", M + std::string(47, '-')}));
        }
        const auto all = printer.Lines(0);
        EXPECT_NE(std::find(all.begin(), all.end(), M + "b"), all.end());
    }
}
