// Writes small seed inputs for the fuzz targets from the tests' fixture
// builders: a few .dbx stores (threads, MIME kinds, base64, attachments,
// chained blocks) and message files. Small seeds keep the fuzzer fast; the
// sample stores are hundreds of kilobytes each.
//   clang++ -std=c++20 -I tests fuzz/make_seeds.cpp tests/support/dbx_builder.cpp \
//     tests/support/eml_builder.cpp -o /tmp/make_seeds && /tmp/make_seeds fuzz/seeds
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/dbx_builder.hpp"
#include "support/eml_builder.hpp"

using namespace pelicard::testing;
namespace fs = std::filesystem;

namespace {

void Save(const fs::path& dir, const std::string& name, const std::string& bytes) {
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

const char* const kBodies[] = {
    // Plain, quoted-printable UTF-8 with an encoded subject.
    "Subject: =?utf-8?Q?caf=C3=A9_cr=C3=A8me?=\r\nFrom: \"Jean\" <j@x.fr>\r\nDate: Mon, 5 Mar 2007 14:07:09 +0100\r\n"
    "Content-Type: text/plain; charset=\"utf-8\"\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
    "Bonjour =C3=A9t=C3=A9 =\r\nsuite http://www.exemple.fr/a?b=3D1\r\n",
    // HTML body with references and tags.
    "Subject: html\r\nContent-Type: text/html; charset=iso-8859-1\r\n\r\n"
    "<html><head><style>p{}</style></head><body><p>a&eacute;&#233;&amp;&nbsp;<br>b</p>"
    "<a href=\"http://x\">lien</a><table><tr><td>c</td></tr></table></body></html>\r\n",
    // Multipart alternative, base64 text part, then an attachment.
    "Subject: multi\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"XX\"\r\n\r\n"
    "This is a multi-part message in MIME format.\r\n\r\n--XX\r\nContent-Type: text/plain; charset=utf-8\r\n"
    "Content-Transfer-Encoding: base64\r\n\r\nQm9uam91ciDDqXTDqQ0K\r\n\r\n--XX\r\n"
    "Content-Type: application/octet-stream; name=\"a.bin\"\r\nContent-Transfer-Encoding: base64\r\n"
    "Content-Disposition: attachment; filename=\"a.bin\"\r\n\r\nAAECAwQ=\r\n\r\n--XX--\r\n",
    // Nested multipart/alternative with an HTML part first.
    "Subject: Re: alt\r\nContent-Type: multipart/alternative;\r\n\tboundary=\"----=_NextPart_000\"\r\n\r\n"
    "------=_NextPart_000\r\nContent-Type: text/html;\r\n\tcharset=\"Windows-1252\"\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n\r\n<p>Caf=E9</p>\r\n------=_NextPart_000--\r\n",
    // A news article with begin 666 uuencode marker.
    "Newsgroups: fr.test\r\nSubject: nws\r\n\r\ntexte\r\n\r\nbegin 666 a.txt\r\n#86)C\r\n`\r\nend\r\n",
};

}  // namespace

int main(int argc, char** argv) {
    const fs::path out = argc > 1 ? argv[1] : "fuzz/seeds";
    // Message files, for the message-level targets.
    int n = 0;
    for (const char* body : kBodies) {
        const std::string name = "seed" + std::to_string(n++);
        Save(out / "fuzz_wm_file", name + ".eml", body);
        Save(out / "fuzz_decode", name, std::string(1, '\x01') + body);
        Save(out / "fuzz_html", name, body);
    }
    Save(out / "fuzz_wm_file", "lf.eml", SimpleEml("Re: suite", "<b@x>", "<a@x>").LfOnly().Text());

    // Stores: one thread over several messages, every body above.
    std::vector<DbxMessage> messages;
    for (int i = 0; i < 5; ++i) {
        DbxMessage m;
        m.subject = i == 0 ? "Sujet" : "Re: Sujet";
        m.convSubject = "Sujet";
        m.ownId = "<" + std::to_string(i) + "@x>";
        if (i > 0) m.references = "<" + std::to_string(i - 1) + "@x>";
        m.sender = "Jean";
        m.filetime = FileTimeUtc(2007, 3, 5, 13, 7, 9 + i);
        m.text = kBodies[i];
        m.directTextPosition = i == 3;
        messages.push_back(m);
    }
    Save(out / "fuzz_dbx", "thread.dbx", BuildDbx(messages, 2));
    // A text over several chained blocks; an incomplete message.
    DbxMessage longText = messages[0];
    longText.text = "Subject: long\r\n\r\n" + std::string(1500, 'a');
    DbxMessage incomplete = messages[1];
    incomplete.text.reset();
    Save(out / "fuzz_dbx", "blocks.dbx", BuildDbx({longText, incomplete}));
    // One message without any optional attribute.
    DbxMessage bare;
    bare.text = "x";
    Save(out / "fuzz_dbx", "bare.dbx", BuildDbx({bare}));
    return 0;
}
