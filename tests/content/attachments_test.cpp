// The attachment cut: which marker decides, where the text ends, and where
// the kept text goes for each kind of store.
#include <gtest/gtest.h>

#include "common/state.hpp"
#include "common/text.hpp"
#include "content/attachments.hpp"

namespace pelicard {
namespace {

struct Case {
    const char* name;
    std::string in;
    std::string kept;  // equal to `in` when nothing is cut
};

const std::string kHead = "Subject: x\r\n\r\n";
const std::string kTextPart = kHead + "--b\r\nContent-Type: text/plain\r\n\r\nSalut\r\n";

const Case kCases[] = {
    {"Uuencoded", "Bonjour\r\nbegin 666 photo.jpg\r\nM9V%T\r\n", "Bonjour\r\n"},
    {"UuencodedKeepsDelimiter", "a\r\n--b\r\nbegin 666 f\r\n", "a\r\n--b\r\n"},
    {"ImagePart", kTextPart + "--b\r\nContent-Type: image/jpeg\r\n\r\n/9j/", kTextPart.substr(0, kTextPart.size() - 2)},
    {"ApplicationPartAnyCase", kTextPart + "--b\r\nCONTENT-TYPE: APPLICATION/pdf\r\n", kTextPart.substr(0, kTextPart.size() - 2)},
    {"PartHeaderLinesBeforeMarker",
     kTextPart + "--b\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment\r\n",
     kTextPart.substr(0, kTextPart.size() - 2)},
    {"HeaderHtm", "a\r\n--b\r\nContent-Description: header.htm\r\n", "a"},
    // The first marker of the table decides, wherever the others stand.
    {"TableOrderBeatsTextOrder",
     "a\r\n--b\r\nContent-Disposition: attachment\r\n\r\nx\r\n--b\r\nContent-Type: video/mp4\r\n",
     "a\r\n--b\r\nContent-Disposition: attachment\r\n\r\nx"},
    {"UuencodedBeforeParts", "a\r\n--b\r\nContent-Type: image/png\r\n\r\nz\r\nbegin 666 f\r\n",
     "a\r\n--b\r\nContent-Type: image/png\r\n\r\nz\r\n"},
    // Without a delimiter line, or with one at the very start, the cut stays
    // at the line break before the marker.
    {"NoDelimiter", "a\r\nContent-Type: image/png\r\n", "a\r\n"},
    {"DelimiterAtStart", "\r\n--b\r\nContent-Type: audio/x\r\n", "\r\n--b\r\n"},
    {"MarkerOpensText", "\r\nbegin 666 f", ""},
    // Markers must begin a line.
    {"NotAtLineStart", "voir Content-Type: image/ ici\r\nbegin 66 x", "voir Content-Type: image/ ici\r\nbegin 66 x"},
    {"NoMarker", "Bonjour\r\n", "Bonjour\r\n"},
};

class AttachmentCut : public ::testing::TestWithParam<Case> {};

TEST_P(AttachmentCut, OutlookExpressKeepsTheCutInRawText) {
    const Case& c = GetParam();
    State s;
    s.list.Mode = StoreMode::OutlookExpress;
    s.texts.RawText = "before";
    std::string text = c.in;
    Attached(s, text);
    const bool cut = c.kept != c.in;
    EXPECT_EQ(s.texts.AttachmentCut, cut);
    EXPECT_EQ(s.texts.RawText, cut ? c.kept : "before");
    EXPECT_EQ(text, c.in);
}

TEST_P(AttachmentCut, WindowsMailCutsTheGivenText) {
    const Case& c = GetParam();
    State s;
    s.list.Mode = StoreMode::WindowsMail;
    s.texts.RawText = "before";
    std::string text = c.in;
    Attached(s, text);
    EXPECT_EQ(s.texts.AttachmentCut, c.kept != c.in);
    EXPECT_EQ(text, c.kept);
    EXPECT_EQ(s.texts.RawText, "before");
}

// A caller re-checking a growing text may skip what it already checked; a
// marker that straddles the old end is still found.
TEST_P(AttachmentCut, CleanPrefixFindsTheSameCut) {
    const Case& c = GetParam();
    for (std::size_t clean = 0; clean <= c.in.size(); ++clean) {
        State whole, part;
        whole.list.Mode = part.list.Mode = StoreMode::WindowsMail;
        std::string a = c.in, b = c.in;
        Attached(whole, a);
        // Only a prefix that truly held no marker may be declared clean.
        State probe;
        probe.list.Mode = StoreMode::WindowsMail;
        std::string prefix = c.in.substr(0, clean);
        Attached(probe, prefix);
        if (probe.texts.AttachmentCut) break;
        Attached(part, b, clean);
        ASSERT_EQ(b, a) << "clean prefix " << clean;
    }
}

INSTANTIATE_TEST_SUITE_P(Attached, AttachmentCut, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CutBeforeMarker, NothingFoundCutsNothing) {
    State s;
    std::string text = "abc";
    EXPECT_FALSE(CutBeforeMarker(s, text, npos, true));
    EXPECT_FALSE(s.texts.AttachmentCut);
}

}  // namespace
}  // namespace pelicard
