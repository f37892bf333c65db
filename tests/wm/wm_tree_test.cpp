// The tree of a Windows Mail store: nested message directories, branches
// without messages left out, link loops and unreadable directories kept as
// unavailable.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/eml_builder.hpp"
#include "wm/wm_tree.hpp"

namespace pelicard::testing {
namespace {

TEST(WmTree, NestedDirectoriesAsOnDisk) {
    TempFolder dir;
    const std::string msg = SimpleEml("a", "<a@x>").Text();
    dir.Write("Local Folders/Inbox/1.eml", msg);
    dir.Write("Local Folders/Inbox/2.EML", msg);
    dir.Write("Local Folders/Inbox/note.txt", msg);
    dir.Write("Local Folders/Inbox/Clients/Martin/3.nws", msg);
    dir.Write("Local Folders/Sent Items/4.eml", msg);
    dir.Write("Local Folders/Vide/rien.txt", "x");
    dir.Write("racine.eml", msg);
    std::filesystem::create_directory_symlink(dir.Path() + "/Local Folders", dir.Path() + "/Local Folders/Inbox/Boucle");
    // A link that leads nowhere is no folder.
    std::filesystem::create_directory_symlink(dir.Path() + "/ailleurs", dir.Path() + "/Local Folders/Inbox/Perdu");

    const StoreTree t = ScanWmTree(dir.Path());
    EXPECT_TRUE(IsWmTree(t));
    const std::string top = std::filesystem::path(dir.Path()).filename().string();
    const std::vector<std::tuple<std::string, std::int64_t, bool>> rows = {
        {top, 1, true},  // the chosen directory holds a message itself
        {"Local Folders", 0, true},
        {"Local Folders/Inbox", 2, true},
        {"Local Folders/Inbox/Boucle", 0, false},
        {"Local Folders/Inbox/Clients", 0, true},
        {"Local Folders/Inbox/Clients/Martin", 1, true},
        {"Local Folders/Sent Items", 1, true},
    };
    ASSERT_EQ(t.Folders.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& [path, count, available] = rows[i];
        EXPECT_EQ(t.Folders[i].PathOfNames, path);
        EXPECT_EQ(t.Folders[i].Count, count) << path;
        EXPECT_EQ(t.Folders[i].Available, available) << path;
    }
    EXPECT_NE(t.Folders[3].Reason.find("lien symbolique"), std::string::npos) << t.Folders[3].Reason;
    EXPECT_EQ(t.Folders[5].Source, dir.Path() + "/Local Folders/Inbox/Clients/Martin");
}

TEST(WmTree, UnreadableDirectoryIsUnavailable) {
    if (::geteuid() == 0) GTEST_SKIP() << "the super-user reads every directory";
    TempFolder dir;
    dir.Write("Inbox/1.eml", SimpleEml("a", "<a@x>").Text());
    dir.Write("Secret/2.eml", SimpleEml("b", "<b@x>").Text());
    ::chmod((dir.Path() + "/Secret").c_str(), 0);
    const StoreTree t = ScanWmTree(dir.Path());
    ::chmod((dir.Path() + "/Secret").c_str(), 0755);
    ASSERT_EQ(t.Folders.size(), 2u);
    EXPECT_FALSE(t.Folders[1].Available);
    EXPECT_NE(t.Folders[1].Reason.find("permission"), std::string::npos);
}

TEST(WmTree, OneFolderIsNoTree) {
    TempFolder dir;
    dir.Write("1.eml", SimpleEml("a", "<a@x>").Text());
    dir.Write("vide/x.txt", "x");
    const StoreTree t = ScanWmTree(dir.Path());
    ASSERT_EQ(t.Folders.size(), 1u);
    EXPECT_FALSE(IsWmTree(t));
}

}  // namespace
}  // namespace pelicard::testing
