// Outlook Express dates: list date texts, sort keys, and the "Date : " line.
#include "dbx/dates.hpp"
#include "dbx_fixture.hpp"

namespace pelicard::testing {
namespace {

std::string FileTimeBytes(std::uint64_t ft) { return Le32(static_cast<std::uint32_t>(ft)) + Le32(static_cast<std::uint32_t>(ft >> 32)); }

// The offset is the one in force at the date converted, not today's.
TEST_F(DbxTest, DateStringUsesTheOffsetOfTheConvertedInstant) {
    struct Case {
        std::uint64_t ft;
        const char* text;
    } cases[] = {
        {FileTimeUtc(2007, 3, 5, 13, 7, 9), "05/03/2007 14:07:09"},    // winter, +1
        {FileTimeUtc(2007, 7, 14, 22, 30, 5), "15/07/2007 00:30:05"},  // summer, +2, next day
        {FileTimeUtc(2007, 3, 25, 0, 59, 59), "25/03/2007 01:59:59"},  // just before the change
        {FileTimeUtc(2007, 3, 25, 1, 0, 0), "25/03/2007 03:00:00"},    // just after
        {FileTimeUtc(2006, 12, 31, 23, 0, 0), "01/01/2007 00:00:00"},
        {FileTimeUtc(2007, 3, 5, 13, 7, 9) + 9999999, "05/03/2007 14:07:09"},  // fractions dropped
        {0x8000000000000000ULL, "00/00/0000 00:00:00"},
        {0xFFFFFFFFFFFFFFFFULL, "00/00/0000 00:00:00"},
    };
    for (const Case& c : cases) EXPECT_EQ(DateString(s, FileTimeBytes(c.ft)), c.text) << c.ft;
}

TEST_F(DbxTest, DateSortTakesFixedPositions) {
    const std::pair<const char*, const char*> cases[] = {
        {"05/03/2007 14:07:09", "20070305 140709"},
        {"05/03/2007", "20070305 07"},
        {"", " "},
        {"x", "x x"},
    };
    for (const auto& [text, key] : cases) EXPECT_EQ(DateSort(s, text), key) << text;
}

class DateLineTest : public DbxTest {
protected:
    std::string Line(const std::string& listDate, const std::string& header) {
        s.list.Oe.assign(2, {});
        s.list.Oe[1].DateText = listDate;
        s.texts.HeaderText = header;
        return DateOE(s, 1);
    }
};

TEST_F(DateLineTest, MinutesAndSecondsComeFromTheHeader) {
    struct Case {
        const char* listDate;
        const char* header;
        const char* line;
    } cases[] = {
        {"05/03/2007 14:07:09", "X: 1\r\nDate: Mon, 5 Mar 2007 14:07:09 +0100\r\n", "lundi 5 mars 2007 14:07"},
        {"05/03/2007 14:10:00", "X: 1\r\nDATE: Mon, 5 Mar 2007 14:07 +0100\r\n", "lundi 5 mars 2007 14:07"},
        // Straddling an hour: the list hour moves by one.
        {"05/03/2007 14:59:50", "X: 1\r\nDate: Mon, 5 Mar 2007 15:00:10 +0100\r\n", "lundi 5 mars 2007 15:00"},
        {"05/03/2007 15:00:10", "X: 1\r\nDate: Mon, 5 Mar 2007 14:59:50 +0100\r\n", "lundi 5 mars 2007 14:59"},
        {"31/12/2007 23:59:50", "X: 1\r\nDate: Tue, 1 Jan 2008 00:00:20 +0100\r\n", "mardi 1 janvier 2008 00:00"},
        // No Date: the last Received: line.
        {"14/08/2008 09:30:00",
         "X: 1\r\nReceived: from a; Thu, 14 Aug 2008 09:11:12 +0200\r\nReceived: from b; Thu, 14 Aug 2008 09:29:58 +0200\r\n",
         "jeudi 14 ao\xFBt 2008 09:29"},
        // Neither: the list date.
        {"01/02/2006 08:05:00", "X: 1\r\nSubject: rien\r\n", "mercredi 1 f\xE9vrier 2006 08:05"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Line(c.listDate, c.header), "Date : " + std::string(c.line) + "\r\n") << c.header;
    }
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(DateLineTest, AdjustKeepsTiesAndLeavesMidnightWithoutTime) {
    s.list.Oe.assign(2, {});
    s.list.Oe[1].DateText = "05/03/2007 14:30:00";
    EXPECT_EQ(AdjustDateOE(s, 1, "00:00"), "05/03/2007 14:00:00");  // tie between 14:00 and 15:00
    s.list.Oe[1].DateText = "05/03/2007 00:10:00";
    EXPECT_EQ(AdjustDateOE(s, 1, "00:00"), "05/03/2007");
    s.list.Oe[1].DateText = "01/03/2008 00:00:10";
    EXPECT_EQ(AdjustDateOE(s, 1, "59:50"), "29/02/2008 23:59:50");
}

TEST_F(DateLineTest, EmptyListDateIsToldAndGivesABareLine) {
    EXPECT_EQ(Line("", "X: 1\r\nDate: Mon, 5 Mar 2007 14:07:09 +0100\r\n"), "Date : \r\n");
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].title, "AdjustDateOE");
    EXPECT_FALSE(window.closed);
}

TEST(LongDate, FrenchNamesForEveryDayAndMonth) {
    const std::pair<const char*, const char*> cases[] = {
        {"05/03/2007 14:07:09", "lundi 5 mars 2007 14:07"},
        {"03/12/2007 14:05", "lundi 3 d\xE9" "cembre 2007 14:05"},
        {"29/02/2000", "mardi 29 f\xE9vrier 2000 00:00"},
        {"16/08/2026 07:00:00", "dimanche 16 ao\xFBt 2026 07:00"},
        {"01/01/1970 00:00:00", "jeudi 1 janvier 1970 00:00"},
        {"31/05/1969 23:59:59", "samedi 31 mai 1969 23:59"},
        {"pas une date", "pas une date"},
        {"31/02/2007", "31/02/2007"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(LongDateText(text), expected) << text;
}

}  // namespace
}  // namespace pelicard::testing
