// Names of saved files and the header facts a raw copy depends on.
#include <gtest/gtest.h>

#include "export/msg_end.hpp"

using namespace pelicard;

TEST(StandardName, ReplacesForbiddenCharactersAndTrailingUnderscores) {
    const char* cases[][2] = {
        {"Re : Budget 2008 ?", "Re_Budget 2008"}, {"???", "___"}, {"R\xE9union: ordre ?", "R\xE9union_ ordre"},
        {"a/b\\c<d>e|f'g\"h*i", "a_b_c_d_e_f_g_h_i"}, {"Note.  ", "Note.  "}, {"fin___", "fin"},
    };
    for (auto& c : cases) EXPECT_EQ(StandardName(c[0]), c[1]) << c[0];
}

TEST(RawExtension, NewsgroupsOnlyAtTheStartOfAHeaderLine) {
    const char* cases[][2] = {
        {"From: a\r\nnewsgroups: fr.test\r\n\r\n", "nws"}, {"From: a\nNewsgroups: fr.test\n\nbody", "nws"},
        {"From: a\r\nX-Info: see Newsgroups: no\r\n\r\n", "eml"}, {"From: a\r\n\r\nNewsgroups: body", "eml"},
    };
    for (auto& c : cases) EXPECT_EQ(RawExtension(c[0]), c[1]) << c[0];
}

TEST(ReplaceRawSubject, ReplacesOnlyTheSubjectLine) {
    const char* cases[][2] = {
        {"From: a\r\nSubject: old\r\nTo: b\r\n\r\nSubject: body", "From: a\r\nSubject: NEW\r\nTo: b\r\n\r\nSubject: body"},
        {"Subject:\r\nTo: b\r\n\r\nb", "Subject:NEW\r\nTo: b\r\n\r\nb"},                 // empty: next header kept
        {"Subject: long\r\n old tail\r\nTo: b\r\n\r\nb", "Subject: NEW\r\nTo: b\r\n\r\nb"},  // folded: replaced whole
        {"X-Subject: no\nsubject: old\n\nb", "X-Subject: no\nsubject: NEW\n\nb"},
        {"From: a\r\n\r\nSubject: b", "Subject: NEW\r\nFrom: a\r\n\r\nSubject: b"},  // none: added at the head
    };
    for (auto& c : cases) EXPECT_EQ(ReplaceRawSubject(c[0], "NEW"), c[1]) << c[0];
}
