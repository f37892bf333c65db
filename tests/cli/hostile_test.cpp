// pelicard-extract against hostile sources and targets: a FIFO, an empty
// file, a link loop, links out of a Windows Mail folder, a store cut short,
// a storage folder around the store, subjects with control characters. Each
// command ends (no hang), says what happened to which file, and leaves the
// store as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "cli_run.hpp"

namespace fs = std::filesystem;
using namespace pelicard::testing;

namespace {

const std::string kInbox = std::string(PELICARD_SAMPLES) + "/dbx/Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx";

std::string Tree(const fs::path& root) {
    std::string all;
    for (auto& e : fs::recursive_directory_iterator(root))
        all += e.path().string() + (e.is_regular_file() ? "=" + Slurp(e.path()) : "") + "\n";
    return all;
}

}  // namespace

TEST(Hostile, SourcesThatAreNoStoreEndTheCommandWithTheirReason) {
    const TempFolder tmp;
    const std::string d = tmp.Path() + "/";
    ASSERT_EQ(::mkfifo((d + "fifo.dbx").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((d + "fifo.eml").c_str(), 0600), 0);
    tmp.Write("vide.dbx", "");
    fs::create_symlink(d + "boucle.dbx", d + "boucle.dbx");
    const struct {
        std::string args;
        int rc;
        std::string err;
    } rows[] = {
        {"liste " + d + "fifo.dbx", 1, "fifo.dbx\r\nCe n'est pas un fichier ordinaire"},
        {"affiche " + d + "fifo.eml 1", 1, "fifo.eml\r\nCe n'est pas un fichier ordinaire"},
        {"liste " + d + "vide.dbx", 1, "vide.dbx\r\nLe fichier est vide"},
        {"liste " + d + "boucle.dbx", 1, "boucle.dbx\r\nLien symbolique refus\xC3\xA9 ou boucle de liens symboliques"},
        {"exporte " + Quote(kInbox) + " --brut --ids 1,x", 2, "ID incorrect : \xC2\xAB x \xC2\xBB"},
    };
    for (const auto& r : rows) {
        const CliResult got = RunCli(r.args);
        EXPECT_EQ(got.rc, r.rc) << r.args << got.err;
        EXPECT_NE(got.err.find(r.err), std::string::npos) << r.args << got.err;
    }
}

TEST(Hostile, StoreCutShortNamesEveryMessageLeftOutOrCutAndExitsThree) {
    const TempFolder tmp;
    const std::string cut = tmp.Path() + "/cut.dbx";
    fs::copy_file(kInbox, cut);
    fs::resize_file(cut, 117844);
    const std::string before = Slurp(cut);
    const CliResult r = RunCli("exporte " + Quote(cut) + " --brut --stockage " + Quote(tmp.Path() + "/out"));
    EXPECT_EQ(r.rc, 3) << r.err;
    EXPECT_EQ(Lines(r.out).size(), 12u);
    EXPECT_EQ(Count(r.err, "(non enregistr\xC3\xA9)"), 45u);
    EXPECT_EQ(Count(r.err, "(enregistr\xC3\xA9 tronqu\xC3\xA9)"), 6u);
    EXPECT_NE(r.err.find("pelicard-extract : message 1 \xC2\xAB Compte rendu du comit\xC3\xA9 \xC2\xBB : texte illisible : "
                         "Lecture au-del\xC3\xA0 de la fin du fichier"), std::string::npos);
    EXPECT_NE(r.err.find("45 message(s) non enregistr\xC3\xA9(s), 6 message(s) enregistr\xC3\xA9(s) tronqu\xC3\xA9(s)\n"),
              std::string::npos);
    EXPECT_EQ(Slurp(cut), before);
}

TEST(Hostile, WindowsMailLinksOutOfTheFolderAndStorageAroundTheStore) {
    const TempFolder tmp;
    const std::string mail = tmp.Path() + "/Mail", store = mail + "/Archives";
    tmp.Write("secret.txt", "Subject: secret\r\n\r\nmot de passe");
    tmp.Write("Mail/Archives/a.eml", SimpleEml("Titre \x1B]0;pirate\x07 fin", "<a@x>").Text());
    fs::create_symlink("../../secret.txt", store + "/leak.eml");
    fs::create_symlink("a.eml", store + "/same.eml");  // a link inside the folder is read
    ASSERT_EQ(::mkfifo((store + "/fifo.eml").c_str(), 0600), 0);
    const std::string before = Tree(mail);

    const CliResult list = RunCli("liste " + Quote(store));
    EXPECT_EQ(list.rc, 0) << list.err;
    EXPECT_EQ(Lines(list.out).size(), 2u);
    EXPECT_EQ(list.out.find("secret"), std::string::npos);
    EXPECT_EQ(list.out.find('\x1B'), std::string::npos);
    EXPECT_NE(list.out.find("Titre \\x1b]0;pirate\\x07 fin"), std::string::npos);

    // <storage>/Archives would be the store itself.
    const CliResult into = RunCli("exporte " + Quote(store) + " --brut --stockage " + Quote(mail));
    EXPECT_EQ(into.rc, 1);
    EXPECT_NE(into.err.find("se trouve dans le dossier lu"), std::string::npos) << into.err;

    const CliResult out = RunCli("exporte " + Quote(store) + " --texte --stockage " + Quote(tmp.Path() + "/out"));
    EXPECT_EQ(out.rc, 0) << out.err;
    for (const std::string& p : Lines(out.out)) EXPECT_EQ(p.find('\x1B'), std::string::npos) << p;
    EXPECT_EQ(Tree(mail), before);
}
