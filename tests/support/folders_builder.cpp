#include "support/folders_builder.hpp"

namespace pelicard::testing {

std::string BuildFoldersDbx(const std::vector<FolderSpec>& folders, int fanout) {
    DbxBuilder b;
    std::vector<std::uint32_t> records;
    for (const FolderSpec& f : folders) {
        std::vector<DbxAttr> a;
        // Small ids are stored in the table itself, as the mail client does;
        // a parent of -1 does not fit there.
        a.push_back(DbxAttr::Direct(0x80, f.id));
        if (f.parent < (1u << 24)) a.push_back(DbxAttr::Direct(0x81, f.parent));
        else a.push_back(DbxAttr::U32(0x01, f.parent));
        a.push_back(DbxAttr::Text(0x02, f.name));
        if (!f.file.empty()) a.push_back(DbxAttr::Text(0x03, f.file));
        if (f.special != 0) a.push_back(DbxAttr::Direct(0x89, f.special));
        records.push_back(b.AddRecord(a));
    }
    const std::uint32_t root = b.AddTree(records, fanout);
    b.Finish(static_cast<std::uint32_t>(folders.size()), root);
    b.Patch(4, std::string("\xC6\xFD\x74\x6F", 4));
    return b.Bytes();
}

std::string FolderFile(const std::string& prefix, int n) {
    std::vector<DbxMessage> messages;
    for (int i = 1; i <= n; ++i) {
        DbxMessage m;
        const std::string subject = prefix + " " + std::to_string(i);
        m.subject = subject;
        m.sender = "martin@example.org";
        m.ownId = "<" + std::to_string(i) + "." + prefix + "@example.org>";
        m.filetime = FileTimeUtc(2006, 3, i % 28 + 1, 10, 0, 0);
        m.text = "From: martin@example.org\r\nSubject: " + subject + "\r\nMessage-ID: " + *m.ownId +
                 "\r\n\r\nCorps de " + subject + "\r\n";
        messages.push_back(m);
    }
    return BuildDbx(messages);
}

void WriteSampleStore(const TempFolder& dir) {
    const std::vector<FolderSpec> folders = {
        {0, 0xFFFFFFFFu, "Outlook Express", "", 0},
        {7, 3, "Martin", "Martin.dbx", 0},  // before its parent
        {3, 1, "Clients", "Clients.dbx", 0},
        {1, 0, "Dossiers locaux", "", 0},
        {2, 1, "Bo\xEEte de r\xE9" "ception", "Inbox.dbx", 1},
        {4, 1, "Vide", "Vide.dbx", 0},
        {5, 0, "Perdu", "Perdu.dbx", 0},
        {8, 9, "Boucle A", "A.dbx", 0},
        {9, 8, "Boucle B", "B.dbx", 0},
        {10, 0, "Cass\xE9", "Casse.dbx", 0},
        {11, 0, "Groupe sans abonnement", "", 0},
    };
    dir.Write("Folders.dbx", BuildFoldersDbx(folders, 4));
    dir.Write("Inbox.dbx", FolderFile("Inbox", 2));
    dir.Write("Clients.dbx", FolderFile("Clients", 1));
    dir.Write("Martin.dbx", FolderFile("Martin", 3));
    dir.Write("Vide.dbx", FolderFile("Vide", 0));
    dir.Write("A.dbx", FolderFile("A", 1));
    dir.Write("B.dbx", FolderFile("B", 1));
    dir.Write("Casse.dbx", std::string(0x300, 'x'));
    dir.Write("Orphelin.dbx", FolderFile("Orphelin", 1));
    dir.Write("pop3uidl.dbx", FolderFile("uidl", 1));
}

}  // namespace pelicard::testing
