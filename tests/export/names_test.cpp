// Names of saved files and the header facts a raw copy depends on.
#include <gtest/gtest.h>

#include "export/msg_end.hpp"

using namespace pelicard;

TEST(StandardName, ReplacesForbiddenCharactersAndTrailingUnderscores) {
    struct Case {
        const char* subject;
        const char* name;
    } cases[] = {
        {"Re : Budget 2008 ?", "Re_Budget 2008"},
        {"???", "___"},
        {"a : b ? c", "a_b_c"},
        {"R\xE9union: ordre ?", "R\xE9union_ ordre"},
        {"a/b\\c<d>e|f'g\"h*i", "a_b_c_d_e_f_g_h_i"},
        {"x :y", "x_y"},
        {"Note.  ", "Note.  "},  // trailing dots and spaces stay
        {"fin___", "fin"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(StandardName(c.subject), c.name) << c.subject;
}

TEST(RawExtension, NewsgroupsOnlyAtTheStartOfAHeaderLine) {
    struct Case {
        const char* raw;
        const char* ext;
    } cases[] = {
        {"From: a\r\nNewsgroups: fr.test\r\nSubject: x\r\n\r\nbody", "nws"},
        {"From: a\r\nnewsgroups: fr.test\r\n\r\n", "nws"},
        {"From: a\r\nX-Info: see Newsgroups: no\r\n\r\n", "eml"},
        {"From: a\r\n\r\nNewsgroups: only in the body", "eml"},
        {"From: a\nNewsgroups: fr.test\n\nbody", "nws"},
    };
    for (const Case& c : cases) EXPECT_EQ(RawExtension(c.raw), c.ext) << c.raw;
}

TEST(ReplaceRawSubject, ReplacesOnlyTheSubjectLine) {
    struct Case {
        const char* raw;
        const char* expected;
    } cases[] = {
        {"From: a\r\nSubject: old\r\nTo: b\r\n\r\nSubject: body", "From: a\r\nSubject: NEW\r\nTo: b\r\n\r\nSubject: body"},
        {"subject: old\r\n\r\nb", "subject: NEW\r\n\r\nb"},
        // An empty subject: the next header line is kept.
        {"Subject:\r\nTo: b\r\n\r\nb", "Subject:NEW\r\nTo: b\r\n\r\nb"},
        // A folded subject is replaced whole.
        {"Subject: long\r\n old tail\r\nTo: b\r\n\r\nb", "Subject: NEW\r\nTo: b\r\n\r\nb"},
        // Another header that ends in "Subject:" is not the subject line.
        {"X-Subject: no\r\nSubject: old\r\n\r\nb", "X-Subject: no\r\nSubject: NEW\r\n\r\nb"},
        {"From: a\nSubject: old\n\nb", "From: a\nSubject: NEW\n\nb"},
        // No subject line: one is added at the head.
        {"From: a\r\n\r\nSubject: b", "Subject: NEW\r\nFrom: a\r\n\r\nSubject: b"},
    };
    for (const Case& c : cases) EXPECT_EQ(ReplaceRawSubject(c.raw, "NEW"), c.expected) << c.raw;
}
