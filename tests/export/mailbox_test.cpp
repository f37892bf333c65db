// The two mailbox forms: mboxrd quoting and envelope lines, the Maildir
// names and flags, and what the envelope takes from a message header.
#include <gtest/gtest.h>

#include "export/envelope.hpp"
#include "export/mailbox_files.hpp"
#include "export/maildir.hpp"
#include "export/mbox.hpp"

using namespace pelicard;

namespace {

TEST(Mbox, EachMessageIsItsTextWithLfLineEndsQuotedFromLinesAndABlankLine) {
    const std::string from = "From a@b Thu Jan  1 00:00:00 1970\n";
    struct Row { std::string text, body; } rows[] = {
        {"Subject: x\r\n\r\nFrom here\r\n>From there\r\n>>From far\r\nFromage\r\n", "Subject: x\n\n>From here\n>>From there\n>>>From far\nFromage\n"},
        {"From the first line\nno final line end", ">From the first line\nno final line end\n"},
        {"bare\rCR From x\rand\n\nbare LF\n", "bare\rCR From x\rand\n\nbare LF\n"},
        {std::string("nul\0byte\r\n", 10), std::string("nul\0byte\n", 9)},
        {"", ""},
        {"\r\n\r\n", "\n\n"},
        {">From", ">From\n"},
        {">>>From the past", ">>>>From the past\n"},
    };
    for (const Row& r : rows) {
        std::string out;
        AppendMboxMessage(out, r.text, "a@b", 0);
        EXPECT_EQ(out, from + r.body + "\n") << r.text;
    }
}

TEST(Mbox, EnvelopeLinesInUtcAsAsctimeWritesThem) {
    struct Row { std::string address; std::int64_t utc; std::string line; } rows[] = {
        {"jean@exemple.fr", 1163633489, "From jean@exemple.fr Wed Nov 15 23:31:29 2006\n"},
        {"", 951782400, "From MAILER-DAEMON Tue Feb 29 00:00:00 2000\n"},
        {"x@y", -86400, "From x@y Wed Dec 31 00:00:00 1969\n"},
        {"x@y", 400000000000, "From x@y Fri Dec 31 23:59:59 9999\n"},
    };
    for (const Row& r : rows) EXPECT_EQ(MboxFromLine(r.address, r.utc), r.line);
}

TEST(Envelope, SenderAddressAndUtcDateFromTheHeader) {
    const std::string header =
        "Received: from x\r\n by y; Thu, 16 Nov 2006 00:31:29 +0100\r\n"
        "From: \"Dupont, Jean <chef>\" (bureau)\r\n <jean.dupont@bureau.example>\r\n"
        "Date: Thu, 16 Nov 2006 00:31:29 +0100\r\n\r\nFrom: body@not.header\r\n";
    EXPECT_EQ(HeaderField(header, "from").value_or("?"), " \"Dupont, Jean <chef>\" (bureau)  <jean.dupont@bureau.example>");
    EXPECT_FALSE(HeaderField(header, "To"));
    EXPECT_FALSE(HeaderField("Subject: a\n\nTo: b\n", "To"));
    EXPECT_EQ(HeaderField("Subject: a\rTo: b\r\rX", "To").value_or("?"), " b");

    struct A { std::string value, address; } addresses[] = {
        {"Anne <anne@exemple.fr>", "anne@exemple.fr"},
        {"anne@exemple.fr (Anne Martin)", "anne@exemple.fr"},
        {"\"a@b\" <c@d>, <e@f>", "e@f"},
        {"Anne Martin anne@exemple.fr", "anne@exemple.fr"},
        {"undisclosed", "undisclosed"},
        {"\"Anne\" <>", ""},
        {"<an ne@ex\x01" "emple.fr\xE9>", "anne@exemple.fr"},
    };
    for (const A& a : addresses) EXPECT_EQ(EnvelopeAddress(a.value), a.address) << a.value;

    struct D { std::string value; std::optional<std::int64_t> utc; } dates[] = {
        {"Thu, 16 Nov 2006 00:31:29 +0100", 1163633489},
        {"16 Nov 2006 00:31 -0230", 1163646060},
        {" Thu, 16 Nov 06 00:31:29 GMT", 1163637089},
        {"Thu, 16 Nov 2006 00:31:29 EST", 1163655089},
        {"Thu, 16 Nov 2006 00:31:29", 1163637089},
        {"16-nov-2006 00:31:29 +01:00", 1163633489},
        {"31 Feb 2006 10:00:00 +0000", std::nullopt},
        {"demain", std::nullopt},
        {"", std::nullopt},
    };
    for (const D& d : dates) EXPECT_EQ(DateFieldUtc(d.value), d.utc) << d.value;
}

TEST(Maildir, UniqueNamesFlagsAndNamesThatLeaveRoomForTheirSuffixes) {
    EXPECT_EQ(MaildirUniqueName(1163633489, 42, 977, 3, "ma/chine:1"), "1163633489.M42P977Q3.ma\\057chine\\0721");
    struct F { std::uint32_t flags; std::string info; } flags[] = {
        {0, ""}, {kOeFlagRead, "S"}, {kOeFlagRead | kOeFlagAnswered, "RS"},
        {0x1 | kOeFlagMarked | kOeFlagForwarded | kOeFlagAnswered | kOeFlagRead, "FPRS"},
    };
    for (const F& f : flags) EXPECT_EQ(MaildirFlagsFromOe(f.flags), f.info);

    std::string accents;
    for (int i = 0; i < 200; ++i) accents += "\xC3\xA9";
    const std::string fitted = MailboxStem(accents);
    EXPECT_LE(fitted.size(), 223u);
    EXPECT_EQ(fitted.size() % 2, 0u);  // cut between two characters
}

}  // namespace
