// Hostile Windows Mail folders: a huge message file and a long chain of
// replies across many files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "content/read_msg.hpp"
#include "support/eml_builder.hpp"
#include "support/fake_window.hpp"
#include "wm/complete_list_wm.hpp"
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

TEST(HostileWm, HugeMessageFileIsListedAndShown) {
    FakeWindow w;
    State s;
    s.window = &w;
    TempFolder dir;
    dir.Write("a.eml", SimpleEml("petit", "<a@x>").Text());
    SparseMessage(dir, "b.eml", std::int64_t{300} << 20);
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

}  // namespace
}  // namespace pelicard::testing
