// The attachment cut: which marker decides, where the text ends, and where
// the kept text goes for each kind of store.
#include <gtest/gtest.h>

#include "common/state.hpp"
#include "content/attachments.hpp"

namespace pelicard {
namespace {

const std::string kPart = "Subject: x\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\nSalut";

TEST(Attached, MarkersCutsAndStores) {
    const std::vector<std::pair<std::string, std::string>> cases = {  // text, kept (same when nothing is cut)
        {"Bonjour\r\nbegin 666 photo.jpg\r\nM9V%T\r\n", "Bonjour\r\n"},
        {kPart + "\r\n--b\r\nCONTENT-TYPE: IMAGE/jpeg\r\n\r\n/9j/", kPart},
        {kPart + "\r\n--b\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment\r\n", kPart},
        {"a\r\n--b\r\nContent-Description: header.htm\r\n", "a"},
        // The first marker of the table decides, wherever the others stand.
        {"a\r\n--b\r\nContent-Disposition: attachment\r\n\r\nx\r\n--b\r\nContent-Type: video/mp4\r\n",
         "a\r\n--b\r\nContent-Disposition: attachment\r\n\r\nx"},
        {"a\r\n--b\r\nContent-Type: image/png\r\n\r\nz\r\nbegin 666 f\r\n",
         "a\r\n--b\r\nContent-Type: image/png\r\n\r\nz\r\n"},
        // Without a delimiter line, or with one at the very start, the cut
        // stays at the line break before the marker; markers begin a line.
        {"a\r\nContent-Type: image/png\r\n", "a\r\n"},
        {"\r\n--b\r\nContent-Type: audio/x\r\n", "\r\n--b\r\n"},
        {"\r\nbegin 666 f", ""},
        {"voir Content-Type: image/ ici\r\nbegin 66 x", "voir Content-Type: image/ ici\r\nbegin 66 x"},
    };
    for (const auto& [in, kept] : cases) {
        SCOPED_TRACE(in);
        // Outlook Express keeps the cut in RawText; Windows Mail cuts the text.
        for (StoreMode mode : {StoreMode::OutlookExpress, StoreMode::WindowsMail}) {
            const bool oe = mode == StoreMode::OutlookExpress, cut = kept != in;
            State s;
            s.list.Mode = mode;
            s.texts.RawText = "before";
            std::string text = in;
            Attached(s, text);
            EXPECT_EQ(s.texts.AttachmentCut, cut);
            EXPECT_EQ(s.texts.RawText, oe && cut ? kept : "before");
            EXPECT_EQ(text, oe ? in : kept);
        }
        // A caller re-checking a growing text may skip a prefix it found
        // clean; a marker that straddles the old end is still found.
        for (std::size_t clean = 0; clean <= in.size(); ++clean) {
            State part, probe;
            part.list.Mode = probe.list.Mode = StoreMode::WindowsMail;
            std::string text = in, prefix = in.substr(0, clean);
            Attached(probe, prefix);
            if (probe.texts.AttachmentCut) break;
            Attached(part, text, clean);
            ASSERT_EQ(text, kept) << "clean prefix " << clean;
        }
    }
}

}  // namespace
}  // namespace pelicard
