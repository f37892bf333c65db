#include "dbx/header.hpp"

#include "common/fault.hpp"
#include "common/report.hpp"
#include "common/system_fault.hpp"
#include "common/text.hpp"
#include "dbx/conversions.hpp"

namespace pelicard {

namespace {
const char* const kFirstSignature = "CFAD12FE";
const char* const kSecondSignature = "66E3D1119A4E00C04FA309D40500000005000000";
const char* const kMessageFolderKind = "C5FD746F";
}  // namespace

void NotValidFile(State& s) {
    ShowMessage(s, " Le fichier  " + Utf8ToCp1252(s.dbx.ChosenPath) +
                       " n'est pas un fichier Outlook Express valide ");
}

std::int32_t ReadFileHeader(State& s) {
    try {
        ResetDbxWindow(s);
        if (!OpenByteFile(s.dbx.File, s.dbx.ChosenPath))
            throw SystemFault("Impossible d'ouvrir le fichier", s.dbx.ChosenPath, s.dbx.File.error);
        const ByteFile& f = s.dbx.File;
        // The order of the checks decides which one reports a file that fails several.
        if (Hexa(ReadBytes(f, 0x00, 4)) != kFirstSignature ||
            Hexa(ReadBytes(f, 0x08, 20)) != kSecondSignature ||
            Hexa(ReadBytes(f, 0x04, 4)) != kMessageFolderKind) {
            NotValidFile(s);
            return 0;
        }
        s.dbx.AnnouncedCount = CountValue(s, ReadBytes(f, kHeaderCountOffset, 4));
        if (s.dbx.AnnouncedCount == 0) {
            ShowMessage(s, "Ce fichier ne contient pas de messages", MsgIcon::Information);
            return 0;
        }
        return CountValue(s, ReadBytes(f, kHeaderRootOffset, 4));
    } catch (const Fault& e) {
        EndOnFault(s, "ReadFileHeader", e);
    }
}

}  // namespace pelicard
