// Opening a .dbx file for the batch tool: the refusals of the open command,
// then the header, the index tree and the list build.
#include "cli/open_store.hpp"

#include <cerrno>
#include <unistd.h>

#include "common/byte_file.hpp"
#include "common/report.hpp"
#include "common/system_fault.hpp"
#include "common/text.hpp"
#include "dbx/header.hpp"
#include "dbx/list_oe.hpp"
#include "dbx/recover.hpp"
#include "dbx/tree.hpp"

namespace pelicard::cli {

int OpenDbxStore(Session& session, const std::string& path, std::string& label) {
    State& s = session.state;
    const std::size_t slash = path.find_last_of('/');
    const std::string name = Utf8ToCp1252(slash == std::string::npos ? path : path.substr(slash + 1));
    try {
        CloseByteFile(s.dbx.File);
        s.list.Mode = StoreMode::OutlookExpress;
        s.list.Count = 0;
        s.dbx.CollectedCount = 0;
        s.dbx.AnnouncedCount = 0;
        if (IsRefusedDbxName(name)) {
            ShowMessage(s, RefusedDbxText(name));
            return 1;
        }
        // A missing, unreadable, empty or special file is told with its reason.
        std::int64_t size = 0;
        const int fd = OpenRegularFile(path, size);
        if (fd < 0 || size == 0) {
            if (fd >= 0) ::close(fd);
            const int err = fd == -ENXIO ? kNotRegularFile : fd < 0 ? -fd : kEmptyFile;
            ShowMessage(s, SystemFault("Impossible d'ouvrir le fichier", path, err).Description(), MsgIcon::Critical);
            return 1;
        }
        ::close(fd);
        s.dbx.ChosenPath = path;
        if (session.recover) {
            // A damaged index ends nothing: what it gave is listed first,
            // then what the scan finds.
            if (ReadIndexGuarded(s) == IndexRead::Refused && !IsOpen(s.dbx.File)) return 1;
            RecoverMessages(s);
            s.selection.RowFlags.assign(static_cast<std::size_t>(s.list.Count) + 1, false);
            // N counts the indexed messages, as without the scan.
            const std::int32_t listed = s.list.Count;
            s.list.Count -= s.dbx.Recovery.RecoveredCount + s.dbx.Recovery.DeletedCount;
            label = DbxSummaryLabel(s, name) + RecoverySummary(s);
            s.list.Count = listed;
            return 0;
        }
        const std::int32_t root = ReadFileHeader(s);
        if (root == 0) return 1;
        ListIndexOE(s, root);
        s.selection.RowFlags.assign(static_cast<std::size_t>(s.list.Count) + 1, false);
        label = DbxSummaryLabel(s, name);
        return 0;
    } catch (const ProgramEnding&) {
        return 1;
    }
}

}  // namespace pelicard::cli
