// Mailboxes written by `exporte --mbox` and `--maildir`, read back by readers
// written by others: Python's mailbox module (count and bytes of every
// message, the Maildir flags) and neomutt (count, headless).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "cli_run.hpp"
#include "mailbox_readers.hpp"
#include "common/text.hpp"
#include "support/dbx_builder.hpp"

namespace fs = std::filesystem;
using namespace pelicard::testing;

namespace {

std::string LfOnly(std::string t) {
    std::string out;
    for (std::size_t i = 0; i < t.size(); ++i)
        if (!(t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n')) out.push_back(t[i]);
    return out;
}

// What an mboxrd reader gives back: one ">" less before each quoted "From ".
std::string Unquoted(const std::string& t) {
    std::string out;
    std::size_t p = 0;
    while (p < t.size()) {
        std::size_t q = p;
        while (q < t.size() && t[q] == '>') ++q;
        if (q > p && t.compare(q, 5, "From ") == 0) ++p;
        const std::size_t nl = t.find('\n', p);
        const std::size_t end = nl == std::string::npos ? t.size() : nl + 1;
        out.append(t, p, end - p);
        p = end;
    }
    return out;
}

struct Stored {
    std::string subject, text;
    std::optional<std::uint32_t> flags;
    std::string info;  // the Maildir flags expected
};

// Messages that mailbox files get wrong when written carelessly.
const std::vector<Stored> kHard = {
    {"Ordinaire", "From: \"Anne\" <anne@exemple.fr>\r\nDate: Thu, 16 Nov 2006 00:31:29 +0100\r\nSubject: Ordinaire\r\n\r\nBonjour\r\n",
     0x80 | 0x80000, "RS"},
    {"Lignes From", "Subject: Lignes From\r\n\r\nFrom the start\r\n>From quoted\r\n>>From twice\r\nFrom\r\n\r\nFrom again\r\n",
     0x80, "S"},
    {"Sans date ni exp\xE9" "diteur", "Subject: x\r\n\r\nni Date ni From\r\n", 0, ""},
    {"Fins de ligne", "Subject: y\nFrom: <lf@exemple.fr>\n\nLF seul\nFrom LF\rCR seul\rFrom CR\r\r\n", std::nullopt, ""},
    {"Octets nuls", std::string("Subject: z\r\n\r\nun\0deux\0\r\n\0", 22), 0x20, "F"},
    {"Sans fin de ligne", "From here to there\r\n\r\nno line end", 0x100000, "P"},
};

std::string BuildHardStore() {
    DbxBuilder b;
    std::vector<std::uint32_t> records;
    for (std::size_t i = 0; i < kHard.size(); ++i) {
        DbxMessage m;
        m.subject = kHard[i].subject;
        m.sender = "Anne";
        m.filetime = FileTimeUtc(2007, 3, 5, 14, 7, static_cast<int>(i));
        const std::uint32_t text = b.AddText(kHard[i].text);
        std::vector<DbxAttr> attrs = DbxBuilder::Attributes(m, text);
        if (kHard[i].flags) attrs.insert(attrs.begin() + 1, DbxAttr::Direct(0x81, *kHard[i].flags));
        records.push_back(b.AddRecord(attrs));
    }
    b.Finish(static_cast<std::uint32_t>(records.size()), b.AddTree(records));
    return b.Bytes();
}

// The stored messages in list order (the order `liste` gives the IDs).
std::vector<const Stored*> InListOrder(const std::string& store) {
    std::vector<const Stored*> order;
    for (const std::string& line : Lines(RunCli("liste " + Quote(store)).out)) {
        const std::size_t a = line.find('\t'), b = line.find('\t', a + 1);
        for (const Stored& m : kHard)
            if (line.substr(a + 1, b - a - 1) == pelicard::Cp1252ToUtf8(m.subject)) order.push_back(&m);
    }
    return order;
}

TEST(MailboxReaders, HardMessagesReadBackOneByOneInBothForms) {
    const TempFolder tmp;
    const std::string store = tmp.Write("stores/Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx", BuildHardStore());
    const std::string before = Slurp(store);
    const std::vector<const Stored*> order = InListOrder(store);
    ASSERT_EQ(order.size(), kHard.size());
    const std::string storage = tmp.Path() + "/out";
    const bool neomutt = Have("neomutt") && Have("script");

    for (const std::string form : {"mbox", "maildir"}) {
        const CliResult r = RunCli("exporte " + Quote(store) + " --" + form + " --stockage " + Quote(storage));
        ASSERT_EQ(r.rc, 0) << r.err;
        const std::string path = storage + "/Bo\xC3\xAEte de r\xC3\xA9" "ception." + form;
        EXPECT_EQ(Lines(r.out), std::vector<std::string>{path});
        std::vector<std::string> flags;
        const std::vector<std::string> read = PythonRead(form, path, tmp, &flags);
        ASSERT_EQ(read.size(), kHard.size()) << form;
        for (std::size_t i = 0; i < read.size(); ++i) {
            std::string want = LfOnly(order[i]->text);
            if (form == "mbox" && !want.ends_with("\n")) want += "\n";
            EXPECT_EQ(form == "mbox" ? Unquoted(read[i]) : read[i], want) << form << " " << order[i]->subject;
            if (form == "maildir") {
                EXPECT_EQ(flags[i], order[i]->info) << order[i]->subject;
            }
        }
        if (neomutt) {
            EXPECT_EQ(NeomuttCount(path, tmp), static_cast<int>(kHard.size())) << form;
        }
    }
    // The envelope line: the sender's address and the date in UTC; MAILER-DAEMON
    // and the list's date (local time made UTC again) when the header has none.
    const std::string mbox = "\n" + Slurp(storage + "/Bo\xC3\xAEte de r\xC3\xA9" "ception.mbox");
    EXPECT_NE(mbox.find("\nFrom anne@exemple.fr Wed Nov 15 23:31:29 2006\n"), std::string::npos);
    EXPECT_NE(mbox.find("\nFrom MAILER-DAEMON Mon Mar  5 14:07:02 2007\n"), std::string::npos);
    EXPECT_NE(mbox.find("\nFrom lf@exemple.fr Mon Mar  5 14:07:03 2007\n"), std::string::npos);

    // A second export takes the next free name; no temporary is left behind.
    const CliResult again = RunCli("exporte " + Quote(store) + " --mbox --ids 2 --stockage " + Quote(storage));
    EXPECT_EQ(Lines(again.out), std::vector<std::string>{storage + "/Bo\xC3\xAEte de r\xC3\xA9" "ception-1.mbox"});
    for (const auto& e : fs::directory_iterator(storage)) EXPECT_FALSE(e.path().filename().string().starts_with(".")) << e.path();
    EXPECT_EQ(Slurp(store), before);
    if (!neomutt) GTEST_SKIP() << "neomutt (ou script) absent : lecture par neomutt non vérifiée";
}

TEST(MailboxReaders, WindowsMailFolderAsReadMessagesAndNeverIntoTheStore) {
    const TempFolder tmp;
    const fs::path archives = fs::path(tmp.Path()) / "Archives";
    fs::copy(fs::path(PELICARD_SAMPLES) / "wm/Archives", archives, fs::copy_options::recursive);
    std::multiset<std::string> files;
    for (const auto& e : fs::directory_iterator(archives))
        if (e.is_regular_file() && e.file_size() > 0 && e.path().extension() != ".txt") files.insert(LfOnly(Slurp(e.path())));
    const std::string storage = tmp.Path() + "/out";
    for (const std::string form : {"mbox", "maildir"}) {
        const CliResult r = RunCli("exporte " + Quote(archives.string()) + " --" + form + " --stockage " + Quote(storage));
        ASSERT_EQ(r.rc, 0) << r.err;
        std::vector<std::string> flags;
        const std::vector<std::string> read = PythonRead(form, storage + "/Archives." + form, tmp, &flags);
        std::multiset<std::string> got;
        for (const std::string& m : read) got.insert(form == "mbox" ? Unquoted(m) : m);
        if (form == "mbox") {  // the mbox adds the line end a text may lack
            std::multiset<std::string> ended;
            for (const std::string& f : files) ended.insert(f.ends_with("\n") ? f : f + "\n");
            EXPECT_EQ(got, ended);
        } else {
            EXPECT_EQ(got, files);
            EXPECT_TRUE(std::ranges::all_of(flags, [](const std::string& f) { return f == "S"; }));
        }
    }
    const CliResult inside = RunCli("exporte " + Quote(archives.string()) + " --mbox --stockage " + Quote((archives / "Sous-dossier").string()));
    EXPECT_EQ(inside.rc, 1);
    EXPECT_NE(inside.err.find("dossier lu"), std::string::npos) << inside.err;
    EXPECT_FALSE(fs::exists(archives / "Sous-dossier/Archives.mbox"));
}

}  // namespace
