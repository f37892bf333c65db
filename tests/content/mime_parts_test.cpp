// Attachments found in complete messages: each transfer encoding, names in
// each encoding, attached messages as they were attached, uuencoded files
// in old news messages, and the texts that are no attachment.
#include <gtest/gtest.h>

#include "content/mime_parts.hpp"
#include "content/uudecode.hpp"

using namespace pelicard;

namespace {

// "Subject" header, a multipart/mixed body with a text part, then `parts`
// (each a header block, an empty line and a body), closed.
std::string Mixed(const std::vector<std::string>& parts) {
    std::string m = "Subject: pj\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n"
                    "--b1\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nLe texte.\r\n";
    for (const std::string& p : parts) m += "--b1\r\n" + p + "\r\n";
    return m + "--b1--\r\n";
}

const std::string kInner = "From: a@b.example\r\nSubject: dedans\r\n\r\nCorps du message joint.\r\n";

TEST(FindAttachments, EncodingsNamesAndAttachedMessages) {
    struct Case {
        std::string part;
        std::string name, type, bytes;
    };
    const std::vector<Case> cases = {
        {"Content-Type: image/jpeg; name=\"photo.jpg\"\r\nContent-Transfer-Encoding: base64\r\n\r\n/9j/4AAQSkZJRg==",
         "photo.jpg", "image/jpeg", std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10)},
        {"Content-Type: text/plain\r\nContent-Disposition: attachment; filename=notes.txt\r\n"
         "Content-Transfer-Encoding: quoted-printable\r\n\r\nd=E9j=E0 vu=\r\n !",
         "notes.txt", "text/plain", "d\xE9j\xE0 vu !"},
        {"Content-Type: application/pdf\r\nContent-Disposition: attachment;\r\n filename=\"=?iso-8859-1?Q?caf=E9.pdf?=\"\r\n\r\nPDF",
         "caf\xC3\xA9.pdf", "application/pdf", "PDF"},
        {"Content-Type: application/pdf\r\nContent-Disposition: attachment; filename*=iso-8859-1''r%E9sum%E9.pdf\r\n\r\nPDF",
         "r\xC3\xA9sum\xC3\xA9.pdf", "application/pdf", "PDF"},
        {"Content-Type: application/msword\r\nContent-Disposition: attachment;\r\n filename*0*=utf-8''%C3%A9t;\r\n filename*1=e.doc\r\n\r\nDOC",
         "\xC3\xA9te.doc", "application/msword", "DOC"},
        // A raw 8-bit name: the part's own charset, else Windows-1252.
        {"Content-Type: text/plain; charset=koi8-r; name=\"\xF0\xD2\xC9.txt\"\r\nContent-Disposition: attachment\r\n\r\nx",
         "\xD0\x9F\xD1\x80\xD0\xB8.txt", "text/plain", "x"},
        {"Content-Type: application/octet-stream; name=\"\xE9t\xE9.bin\"\r\n\r\nx", "\xC3\xA9t\xC3\xA9.bin",
         "application/octet-stream", "x"},
        {"Content-Type: image/png\r\nContent-Transfer-Encoding: base64\r\n\r\niVBORw0KGgo=", "", "image/png",
         "\x89PNG\r\n\x1A\n"},
        {"Content-Type: application/octet-stream; name=a.bin\r\nContent-Transfer-Encoding: x-uuencode\r\n\r\n"
         "begin 644 a.bin\r\n#86)C\r\n`\r\nend",
         "a.bin", "application/octet-stream", "abc"},
        {"Content-Type: message/rfc822\r\n\r\n" + kInner, "", "message/rfc822", kInner},
        // Broken base64 gives what can be read, and no fault.
        {"Content-Type: image/gif; name=x.gif\r\nContent-Transfer-Encoding: base64\r\n\r\nR0lG*%ODlh!", "x.gif",
         "image/gif", "GIF89a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.part);
        const AttachmentScan scan = FindAttachments(Mixed({c.part}));
        EXPECT_EQ(scan.problem, "");
        ASSERT_EQ(scan.items.size(), 1u);
        EXPECT_EQ(scan.items[0].name, c.name);
        EXPECT_EQ(scan.items[0].type, c.type);
        EXPECT_EQ(scan.items[0].bytes, c.bytes);
    }
}

TEST(FindAttachments, TextsThatAreNoAttachmentAndUuencodedNews) {
    // The message's own text, plain and HTML, is no attachment.
    const std::string alternative =
        "Content-Type: multipart/alternative; boundary=b2\r\n\r\n--b2\r\nContent-Type: text/plain\r\n\r\nSalut\r\n"
        "--b2\r\nContent-Type: text/html\r\n\r\n<p>Salut</p>\r\n--b2--";
    EXPECT_TRUE(FindAttachments(Mixed({alternative})).items.empty());
    EXPECT_TRUE(FindAttachments("Subject: x\r\n\r\nrien\r\n").items.empty());

    // An old news message: files uuencoded in the text, the last never closed.
    const std::string news = "Newsgroups: fr.test\r\nSubject: photos\r\n\r\nVoici :\r\n"
                             "begin 644 un.txt\r\n#86)C\r\n`\r\nend\r\nEt :\r\nbegin 0600 deux \xE9.txt\r\n$9&5F9P``\r\n";
    const AttachmentScan scan = FindAttachments(news);
    ASSERT_EQ(scan.items.size(), 2u);
    EXPECT_EQ(std::pair(scan.items[0].name, scan.items[0].bytes), std::pair(std::string("un.txt"), std::string("abc")));
    EXPECT_EQ(std::pair(scan.items[1].name, scan.items[1].bytes), std::pair(std::string("deux \xC3\xA9.txt"), std::string("defg")));
}

#ifdef __SANITIZE_ADDRESS__
constexpr std::size_t kLongHeaderLine = 8u << 20;
#else
constexpr std::size_t kLongHeaderLine = 50u << 20;
#endif

TEST(FindAttachments, HostileStructuresEndWithinBoundsAndSaySo) {
    // Nesting past the depth looked into.
    std::string deep = "Subject: deep\r\n";
    for (int i = 0; i < kMaxPartDepth + 20; ++i)
        deep += "Content-Type: multipart/mixed; boundary=d" + std::to_string(i) + "\r\n\r\n--d" + std::to_string(i) + "\r\n";
    deep += "Content-Type: image/png; name=fond.png\r\n\r\nx\r\n";
    EXPECT_NE(FindAttachments(deep).problem, "");

    // Ten thousand parts, a boundary that never closes, a 50 MB header line
    // (8 MB under AddressSanitizer, whose reallocations make it take minutes).
    std::vector<std::string> many(10000, "Content-Type: application/octet-stream\r\n\r\nx");
    std::string unclosed = Mixed(many);
    unclosed.resize(unclosed.size() - 8);
    EXPECT_EQ(FindAttachments(unclosed).items.size(), 10000u);
    const std::string longLine = "Subject: " + std::string(kLongHeaderLine, 'a') + "\r\n" + Mixed({many[0]}).substr(13);
    EXPECT_EQ(FindAttachments(longLine).items.size(), 1u);
}

TEST(AttachmentFileName, OwnNameOrNumberedWithTheTypesExtension) {
    EXPECT_EQ(AttachmentFileName({"", "image/jpeg", ""}, 3), "piece-jointe-3.jpg");
    EXPECT_EQ(AttachmentFileName({"", "application/x-inconnu", ""}, 1), "piece-jointe-1.bin");
    EXPECT_EQ(AttachmentFileName({"", "message/rfc822", ""}, 2), "piece-jointe-2.eml");
    EXPECT_EQ(AttachmentFileName({"Re: essai", "message/rfc822", ""}, 2), "Re: essai.eml");
    EXPECT_EQ(AttachmentFileName({"lettre.EML", "message/rfc822", ""}, 2), "lettre.EML");
}

}  // namespace
