// The tree of an Outlook Express store folder: Folders.dbx with nested
// folders, children before parents, a loop, missing, damaged and refused
// files; the fallback without a usable folders file; hostile folders files.
#include <gtest/gtest.h>

#include <filesystem>

#include "dbx/folders.hpp"
#include "support/folders_builder.hpp"

namespace pelicard::testing {
namespace {

struct Row {
    std::string path;
    std::int64_t count;
    std::string reason;  // part of the reason; empty for an available folder
};

void ExpectTree(const StoreTree& t, const std::vector<Row>& rows) {
    ASSERT_EQ(t.Folders.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const StoreFolder& f = t.Folders[i];
        SCOPED_TRACE(rows[i].path);
        EXPECT_EQ(f.PathOfNames, rows[i].path);
        EXPECT_EQ(f.Count, rows[i].count);
        EXPECT_EQ(f.Available, rows[i].reason.empty());
        EXPECT_NE(f.Reason.find(rows[i].reason), std::string::npos) << f.Reason;
        if (f.Parent >= 0) {
            EXPECT_LT(f.Parent, static_cast<std::int32_t>(i));  // parents first
            EXPECT_EQ(f.PathOfNames.rfind(t.Folders[static_cast<std::size_t>(f.Parent)].PathOfNames + "/", 0), 0u);
        }
    }
}

TEST(StoreFolders, SampleStoreGivesTheTreeWithItsNamesAndCounts) {
    TempFolder dir;
    WriteSampleStore(dir);
    const StoreTree t = ReadOeStore(dir.Path() + "/");
    EXPECT_EQ(t.Kind, StoreKind::OutlookExpress);
    EXPECT_EQ(t.Root, dir.Path());
    ExpectTree(t, {
                      {"Boucle B", 1, ""},
                      {"Boucle B/Boucle A", 1, ""},  // the loop cut where it closes
                      {"Cass\xE9", 0, "valide"},
                      {"Dossiers locaux", 0, ""},
                      {"Dossiers locaux/Bo\xEEte de r\xE9" "ception", 2, ""},  // special folders first
                      {"Dossiers locaux/Clients", 1, ""},
                      {"Dossiers locaux/Clients/Martin", 3, ""},
                      {"Dossiers locaux/Vide", 0, ""},
                      {"Orphelin", 1, ""},  // a file no record names
                      {"Perdu", 0, "introuvable"},
                  });
    EXPECT_EQ(t.Folders[3].Source, "");
    EXPECT_EQ(t.Folders[6].Source, dir.Path() + "/Martin.dbx");
    EXPECT_EQ(StorageSubFolder(t, 6), "Dossiers locaux/Clients/Martin");
    EXPECT_EQ(FindStoreFolder(t, "dossiers LOCAUX/clients/"), 5);
}

TEST(StoreFolders, WithoutAUsableFoldersFileEveryFolderFileIsATopLevelFolder) {
    struct Case {
        const char* what;
        std::string folders;  // empty: no Folders.dbx
        bool listed;          // the folders file listed as unavailable
    };
    const std::string good = BuildFoldersDbx({{1, 0, "Nom", "b.dbx"}});
    const Case cases[] = {
        {"none", "", false},
        {"message file", FolderFile("x", 1), true},
        {"cut", good.substr(0, 0x80), true},
        {"no record", BuildFoldersDbx({}), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        if (!c.folders.empty()) dir.Write("Folders.dbx", c.folders);
        dir.Write("b.dbx", FolderFile("b", 2));
        dir.Write("A.DBX", FolderFile("a", 1));
        dir.Write("Offline.dbx", FolderFile("o", 1));
        dir.Write("note.txt", "x");
        std::vector<Row> rows = {{"A", 1, ""}, {"b", 2, ""}};
        if (c.listed) rows.insert(rows.begin(), Row{"Folders.dbx", 0, "inutilisable"});
        ExpectTree(ReadOeStore(dir.Path()), rows);
    }
}

// Damaged or hostile folders files end in a bounded walk; a record's file
// name never leads outside the store; names match files whatever their case.
TEST(StoreFolders, HostileFoldersFilesAreReadWithinBounds) {
    TempFolder dir;
    dir.Write("Inbox.dbx", FolderFile("i", 1));
    DbxBuilder b;
    std::vector<std::uint32_t> records;
    records.push_back(b.AddRecord({DbxAttr::Direct(0x80, 1), DbxAttr::U32(0x01, 0xFFFFFFFFu),
                                   DbxAttr::Text(0x02, "Bo\xEEte"), DbxAttr::Text(0x03, "INBOX.DBX")}));
    records.push_back(b.AddRecord({DbxAttr::Direct(0x80, 2), DbxAttr::Text(0x02, "Fuite"),
                                   DbxAttr::Text(0x03, "../Inbox.dbx")}));
    records.push_back(b.AddRecord({DbxAttr::Direct(0x80, 3), DbxAttr::Direct(0x81, 3), DbxAttr::Text(0x02, "Soi"),
                                   DbxAttr::Text(0x03, "Soi.dbx")}));
    // Length beyond the file, and an offset that names no record.
    const std::uint32_t bad = b.AddRecord({DbxAttr::Direct(0x80, 4)});
    records.push_back(bad);
    records.push_back(0x7FFFFFF0u);
    // A node whose child is itself, and a root whose entry leads back to it.
    const std::uint32_t self = b.Size();
    b.AddNode({{records[2], 0, 0}}, self);
    const std::uint32_t root = b.Size();
    b.AddNode({{records[0], self, 1}, {records[1], root, 0}, {bad, 0, 0}, {records[4], 0, 0}});
    b.Finish(5, root);
    b.Patch(bad + 4, Le32(0x7FFFFFFF));
    b.Patch(4, std::string("\xC6\xFD\x74\x6F", 4));
    dir.Write("Folders.dbx", b.Bytes());
    ExpectTree(ReadOeStore(dir.Path()), {
                                            {"Bo\xEEte", 1, ""},
                                            {"Fuite", 0, "Nom de fichier incorrect"},
                                            {"Soi", 0, "introuvable"},
                                        });
}

}  // namespace
}  // namespace pelicard::testing
