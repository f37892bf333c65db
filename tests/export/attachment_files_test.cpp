// Saving attachments: the folders they go in, hostile names, collisions, a
// link planted where a file goes, the message's date on the files, and what
// is recorded when a message cannot be looked through.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "common/state.hpp"
#include "export/attachment_files.hpp"
#include "support/eml_builder.hpp"

namespace fs = std::filesystem;
using namespace pelicard;

namespace {

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Part(const std::string& disposition, const std::string& body) {
    return "--b\r\nContent-Type: application/octet-stream\r\nContent-Disposition: attachment" + disposition +
           "\r\n\r\n" + body + "\r\n";
}

class AttachmentFiles : public ::testing::Test {
protected:
    AttachmentFiles() {
        fs::create_directories(root + "/src/Archives");
        s.settings.StorageFolder = root + "/out";
        s.list.Mode = StoreMode::WindowsMail;
    }
    std::int32_t Add(const std::string& subject, const std::string& parts, const std::string& date = "05/03/2007 14:07:09") {
        const auto i = static_cast<std::int32_t>(s.list.Wm.size());
        const std::string file = root + "/src/Archives/m" + std::to_string(i) + ".eml";
        std::ofstream(file, std::ios::binary)
            << "Subject: x\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\nCorps\r\n"
            << parts << "--b--\r\n";
        s.list.Wm.push_back(WmMessageEntry{file, "", subject, "", date, "20070305 140709", "", ""});
        return s.list.Count = i;
    }
    // Every file under the storage folder, relative to it.
    std::set<std::string> Files() {
        std::set<std::string> all;
        for (auto& e : fs::recursive_directory_iterator(root + "/out"))
            if (!e.is_directory()) all.insert(fs::relative(e.path(), root + "/out").string());
        return all;
    }

    pelicard::testing::TempFolder tmp;
    const std::string root = tmp.Path();
    State s;
};

TEST_F(AttachmentFiles, HostileNamesStayInTheMessagesFolderAndCollisionsAreNumbered) {
    const std::int32_t m = Add("Re: les photos ?", Part("; filename=\"../../x\"", "1") + Part("; filename=\"/etc/passwd\"", "2") +
                                                      Part("; filename=\"\"", "3") + Part("; filename=\"...\"", "4") +
                                                      Part("; filename=\"a.txt\"", "5") + Part("; filename=\"a.txt\"", "6") +
                                                      Part("; filename=\"=?utf-8?Q?t=C3=AAte=0A.txt?=\"", "7"));
    EXPECT_EQ(SaveAttachments(s, m), 7u);
    const std::string dir = "Archives/Re_ les photos_20070305 140709/";
    EXPECT_EQ(Files(), (std::set<std::string>{dir + ".._.._x", dir + "_etc_passwd", dir + "piece-jointe-3.bin",
                                              dir + "piece-jointe-4.bin", dir + "a.txt", dir + "a-1.txt",
                                              dir + "t\xC3\xAAte_.txt"}));
    EXPECT_EQ(Slurp(root + "/out/" + dir + "a-1.txt"), "6");
    EXPECT_TRUE(s.exp.LeftOut.empty());

    // Saved again: a second folder beside the first; only the picked ones.
    const std::vector<std::size_t> only{4};
    EXPECT_EQ(SaveAttachments(s, m, &only), 1u);
    EXPECT_TRUE(Files().count("Archives/Re_ les photos_20070305 140709-1/a.txt"));

    // The files and their folder carry the message's date (UTC here).
    struct stat st {};
    ASSERT_EQ(::stat((root + "/out/" + dir + "a.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1173103629);
}

TEST_F(AttachmentFiles, ALinkPlantedWhereAFileGoesIsNeverFollowed) {
    const std::int32_t m = Add("lien", Part("; filename=\"cible\"", "secret"));
    const std::string dir = root + "/out/Archives/lien_20070305 140709";
    fs::create_directories(dir);
    std::ofstream(root + "/victim") << "intact";
    ASSERT_EQ(::symlink((root + "/victim").c_str(), (dir + "/cible").c_str()), 0);
    // The folder is not empty (the link is in it): the message gets the next one.
    EXPECT_EQ(SaveAttachments(s, m), 1u);
    EXPECT_EQ(Slurp(root + "/victim"), "intact");
    EXPECT_EQ(Slurp(dir + "-1/cible"), "secret");

    // A link planted as the message's folder itself.
    fs::remove_all(root + "/out/Archives");
    fs::create_directories(root + "/out/Archives");
    fs::create_directories(root + "/elsewhere");
    ASSERT_EQ(::symlink((root + "/elsewhere").c_str(), dir.c_str()), 0);
    EXPECT_EQ(SaveAttachments(s, m), 1u);
    EXPECT_TRUE(fs::is_empty(root + "/elsewhere"));
    EXPECT_EQ(Slurp(dir + "-1/cible"), "secret");
}

TEST_F(AttachmentFiles, AMessageThatCannotBeReadIsRecordedAndTheNextGoesOn) {
    const std::int32_t gone = Add("parti", Part("; filename=a", "1"));
    const std::int32_t next = Add("suivant", Part("; filename=b", "2"));
    fs::remove(s.list.Wm[static_cast<std::size_t>(gone)].FilePath);
    EXPECT_EQ(SaveAttachments(s, gone), 0u);
    EXPECT_EQ(SaveAttachments(s, next), 1u);
    ASSERT_EQ(s.exp.LeftOut.size(), 1u);
    EXPECT_EQ(s.exp.LeftOut[0].Id, gone);
    EXPECT_FALSE(s.exp.LeftOut[0].Cut);
}

}  // namespace
