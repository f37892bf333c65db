#include <gtest/gtest.h>

#include "common/text.hpp"

using namespace pelicard;

TEST(Text, CaseFoldingCoversAccentsAndLigatures) {
    EXPECT_TRUE(EqualsNoCase("<R\xE9union>", "<R\xC9UNION>"));
    EXPECT_TRUE(EqualsNoCase("\x9C\x9A\x9E\xFF", "\x8C\x8A\x8E\x9F"));
    EXPECT_FALSE(EqualsNoCase("\xD7", "\xF7"));  // × and ÷ are not a pair
    EXPECT_EQ(UpperCase("\xDF"), "\xDF");
}

TEST(Text, SearchAndReplaceIgnoringCase) {
    EXPECT_EQ(FindNoCase("Mime-Version: 1.0\r\nContent-Type: text/plain", "content-type:"), 19u);
    EXPECT_EQ(FindNoCase("abc", "abcd"), npos);
    EXPECT_EQ(FindNoCase("xx R\xC9UNION du jour", "r\xE9union"), 3u);
    std::string s = "Re: RE: re: Re:x";
    EXPECT_TRUE(ReplaceNoCaseInPlace(s, "Re: ", ""));
    EXPECT_EQ(s, "Re:x");
    std::string unchanged = "nothing here";
    EXPECT_FALSE(ReplaceNoCaseInPlace(unchanged, "=C3", "\xC3"));
    EXPECT_EQ(ReplaceExact("aAaA", "a", "b"), "bAbA");
    // Replacements do not rescan what they inserted.
    EXPECT_EQ(ReplaceNoCase("aaa", "a", "aa"), "aaaaaa");
}

TEST(Text, Utf8ConversionsRoundTripEveryByte) {
    std::string all;
    for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
    EXPECT_EQ(Cp1252ToUtf8("\x80\xE9"), "\xE2\x82\xAC\xC3\xA9");
    EXPECT_EQ(Utf8ToCp1252("\xE6\x97\xA5 \xC5\x93"), "? \x9C");  // a kanji has no place
    EXPECT_EQ(Utf8ToCp1252("\xC3"), "?");                         // cut sequence
}

TEST(Text, CollationPutsAccentedLettersWithTheirBase) {
    EXPECT_LT(CollateCompare("<\xC9t\xE9>", "<Fin>"), 0);
    EXPECT_GT(CollateCompare("<\xC9t\xE9>", "<Ete>"), 0);
    EXPECT_LT(CollateCompare("<ete>", "<\xE9t\xE9>"), 0);
    EXPECT_EQ(CollationPrimaryKey("<R\xC9UNION>"), CollationPrimaryKey("<reunion>"));
    EXPECT_LT(CollateCompare("<abc>", "<ABD>"), 0);
    EXPECT_EQ(CollateCompare("<x>", "<x>"), 0);
}
