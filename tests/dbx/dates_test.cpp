// Outlook Express dates: list date texts and the "Date : " line.
#include "dbx/dates.hpp"
#include "dbx_fixture.hpp"

namespace pelicard::testing {
namespace {

// The offset is the one in force at the date converted, not today's.
TEST_F(DbxTest, DateStringUsesTheOffsetOfTheConvertedInstant) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {FileTimeUtc(2007, 3, 5, 13, 7, 9) + 9999999, "05/03/2007 14:07:09"},  // winter, +1; fractions dropped
        // either side of the change to summer time
        {FileTimeUtc(2007, 3, 25, 0, 59, 59), "25/03/2007 01:59:59"}, {FileTimeUtc(2007, 3, 25, 1, 0, 0), "25/03/2007 03:00:00"},
        {0xFFFFFFFFFFFFFFFFULL, "00/00/0000 00:00:00"},
    };
    for (const auto& [ft, text] : cases)
        EXPECT_EQ(DateString(s, Le32(static_cast<std::uint32_t>(ft)) + Le32(static_cast<std::uint32_t>(ft >> 32))), text);
}

TEST_F(DbxTest, DateLineTakesMinutesAndSecondsFromTheHeader) {
    const char* cases[][3] = {
        {"05/03/2007 14:10:00", "DATE: Mon, 5 Mar 2007 14:07 +0100\r\n", "lundi 5 mars 2007 14:07"},
        // Straddling a year: the list hour moves by one.
        {"31/12/2007 23:59:50", "Date: Tue, 1 Jan 2008 00:00:20 +0100\r\n", "mardi 1 janvier 2008 00:00"},
        // No Date: the last Received: line; neither: the list date.
        {"14/08/2008 09:30:00", "Received: a; Thu, 14 Aug 2008 09:11:12 +0200\r\nReceived: b; Thu, 14 Aug 2008 09:29:58 +0200\r\n",
         "jeudi 14 ao\xFBt 2008 09:29"},
        {"03/12/2006 08:05:00", "Subject: rien\r\n", "dimanche 3 d\xE9" "cembre 2006 08:05"},
        {"", "Date: Mon, 5 Mar 2007 14:07:09 +0100\r\n", ""},  // told in a box
    };
    for (const auto& [listDate, header, line] : cases) {
        s.list.Oe.assign(2, {});
        s.list.Oe[1].DateText = listDate;
        s.texts.HeaderText = std::string("X: 1\r\n") + header;
        EXPECT_EQ(DateOE(s, 1), "Date : " + std::string(line) + "\r\n") << header;
    }
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].title, "AdjustDateOE");
    EXPECT_FALSE(window.closed);
}

}  // namespace
}  // namespace pelicard::testing
