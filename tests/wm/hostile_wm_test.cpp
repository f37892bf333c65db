// Hostile Windows Mail input: a huge message file, odd date zones.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include "content/read_msg.hpp"
#include "support/eml_builder.hpp"
#include "support/fake_window.hpp"
#include "wm/complete_list_wm.hpp"
#include "wm/dates.hpp"
#include "wm/read_msg_wm.hpp"

namespace pelicard::testing {
namespace {

// A message file of `size` bytes: a short header, then a body that is a
// hole of NUL bytes on disk (no space taken).
std::string SparseMessage(const TempFolder& dir, const std::string& name, std::int64_t size) {
    const std::string path = dir.Write(name, "Subject: gros\r\nDate: Mon, 5 Mar 2007 14:07:09 +0100\r\n\r\nd\xE9" "but\r\n");
    const int fd = ::open(path.c_str(), O_WRONLY);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
    return path;
}

// 8 MB by default so that the suite stays fast under the sanitizers; the
// reading is linear, and PELICARD_HUGE_MB=300 checks a 300 MB file by hand.
std::int64_t HugeSize() {
    const char* mb = std::getenv("PELICARD_HUGE_MB");
    return std::int64_t{mb ? std::atoi(mb) : 8} << 20;
}

TEST(HostileWm, HugeMessageFileIsListedAndShown) {
    FakeWindow w;
    State s;
    s.window = &w;
    TempFolder dir;
    dir.Write("a.eml", SimpleEml("petit", "<a@x>").Text());
    SparseMessage(dir, "b.eml", HugeSize());
    ASSERT_TRUE(ReadMsgWM(s, dir.Path()));
    CompleteListWM(s);
    ASSERT_EQ(s.list.Count, 2);
    std::int32_t big = s.list.Wm[1].Subject == "gros" ? 1 : 2;
    EXPECT_EQ(s.list.Wm[static_cast<std::size_t>(big)].Subject, "gros");
    OutputMode mode = kAlone;
    ReadMsg(s, big, mode);
    EXPECT_EQ(s.texts.SubjectLine, "Objet : gros\r\n");
    EXPECT_EQ(s.texts.BodyText.substr(0, 5), "d\xE9" "but");
    EXPECT_TRUE(w.boxes.empty());
}

// Dates whose zone is glued to the time, or has a colon, read like the
// usual form (the zone word was once read through a dangling view).
TEST(HostileWm, ZoneWordsInEveryForm) {
    State s;
    const std::string usual = MsgTime(s, "Mon, 5 Mar 2007 14:07:09 +0100");
    EXPECT_EQ(usual, "05/03/2007 13:07:09");
    for (const char* text : {"Mon, 5 Mar 2007 14:07:09+0100", "5 Mar 2007 14:07:09+01:00", "5 Mar 2007 14:07:09 +01:00 "})
        EXPECT_EQ(MsgTime(s, text), usual) << text;
}

}  // namespace
}  // namespace pelicard::testing
