#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "app/system_time_zone.hpp"
#include "support/fake_window.hpp"
#include "wm/dates.hpp"

using namespace pelicard;

namespace {

class WmDates : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "Europe/Paris", 1);
        tzset();
        s.timeZone = &zone;
        s.window = &window;
    }
    SystemTimeZone zone;
    pelicard::testing::FakeWindow window;
    State s;
};

struct DateCase {
    const char* field;
    const char* local;
};

TEST_F(WmDates, MsgTimeConvertsToParisTimeAtTheMessageDate) {
    const DateCase cases[] = {
        // Winter (+01:00).
        {"Thu, 01 Jan 2009 12:00:00 +0000", "01/01/2009 13:00:00"},
        {"Thu, 01 Jan 2009 12:00:00 GMT", "01/01/2009 13:00:00"},
        {"Thu, 01 Jan 2009 12:00:00 +0100", "01/01/2009 12:00:00"},
        {"Thu, 01 Jan 2009 12:00:00 -0500", "01/01/2009 18:00:00"},
        {"01 Jan 2009 12:00:00 +0200", "01/01/2009 11:00:00"},
        {"Thu, 01 Jan 2009 12:00:00", "01/01/2009 13:00:00"},
        {"Thu, 01 Jan 2009 12:00:00 +0100 (CET)", "01/01/2009 13:00:00"},
        {"Thu, 01 Jan 2009 12:00:00 +0530", "01/01/2009 07:00:00"},
        {"Thu, 01 Jan 2009 12:00:00 EST", "01/01/2009 13:00:00"},
        {"2009-01-01T12:00:00Z", "01/01/2009 13:00:00"},
        {"2009-01-01T12:00:00+0200", "01/01/2009 11:00:00"},
        {"Thu, 01 Jan 2009 23:00:00 +0000", "02/01/2009"},
        {"  Thu, 01 Jan 2009 12:00:00 +0000  ", "01/01/2009 13:00:00"},
        // The weekday is not checked; a wrong one changes nothing.
        {"Mon, 01 Jan 2009 12:00:00 +0000", "01/01/2009 13:00:00"},
        // A date without zone is UTC, whatever its layout.
        {"01 Jan 2009 12:00:00", "01/01/2009 13:00:00"},
        {"1 Jan 2009 12:00:00 +0100", "01/01/2009 12:00:00"},
        // Minutes without seconds, two-digit year, zone glued to the time.
        {"Thu, 01 Jan 2009 12:00 +0000", "01/01/2009 13:00:00"},
        {"Thu, 01 Jan 09 12:00:00 +0000", "01/01/2009 13:00:00"},
        {"Thu, 01 Jan 2009 12:00:00+0100", "01/01/2009 12:00:00"},
        // ISO zones with a colon give their real offset.
        {"2009-01-01T12:00:00+05:30", "01/01/2009 07:30:00"},
        {"2009-01-01T12:00:00-10:00", "01/01/2009 23:00:00"},
        {"2009-01-01T12:00:00.250Z", "01/01/2009 13:00:00"},
        // Summer (+02:00): the offset in force at the message's date.
        {"Wed, 01 Jul 2009 12:00:00 +0000", "01/07/2009 14:00:00"},
        // Around the change of 29 March 2009 at 01:00 UTC.
        {"Sun, 29 Mar 2009 00:59:59 +0000", "29/03/2009 01:59:59"},
        {"Sun, 29 Mar 2009 01:00:00 +0000", "29/03/2009 03:00:00"},
        // Across the end of a year and a leap day.
        {"Wed, 31 Dec 2008 23:30:00 +0000", "01/01/2009 00:30:00"},
        {"Fri, 29 Feb 2008 22:00:00 -0200", "01/03/2008 01:00:00"},
        // Empty or unreadable: no date at all.
        {"", ""},
        {"   ", ""},
        {"n'importe quoi", ""},
        {"Thu, 31 Feb 2009 12:00:00 +0000", ""},
        {"Thu, 01 Foo 2009 12:00:00 +0000", ""},
        {"Thu, 01 Jan 2009", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(MsgTime(s, c.field), c.local) << c.field;
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(WmDates, UnreadableIsoDateIsToldAndGivesNoDate) {
    for (const char* text : {"2009-01-01T12:00:00", "2009-0x-01T12:00:00Z", "2009-13-01T12:00:00Z"}) {
        window.boxes.clear();
        EXPECT_EQ(MsgTime(s, text), "") << text;
        ASSERT_EQ(window.boxes.size(), 1u) << text;
        EXPECT_EQ(window.boxes[0].title, "MsgTime");
        EXPECT_EQ(window.boxes[0].icon, MsgIcon::Critical);
    }
}

}  // namespace
