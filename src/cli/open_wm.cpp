// Opening a Windows Mail folder for the batch tool: a message file (its
// folder is read) or the folder itself.
#include <cerrno>
#include <filesystem>
#include <unistd.h>

#include "app/services.hpp"
#include "cli/open_store.hpp"
#include "common/byte_file.hpp"
#include "common/report.hpp"
#include "common/system_fault.hpp"
#include "common/text.hpp"
#include "wm/complete_list_wm.hpp"
#include "wm/read_msg_wm.hpp"

namespace pelicard::cli {

int OpenWmStore(Session& session, const std::string& path, std::string& label) {
    namespace fs = std::filesystem;
    State& s = session.state;
    s.list.Mode = StoreMode::WindowsMail;
    s.list.Count = 0;
    s.selection.RowFlags.assign(1, false);
    label.clear();

    std::error_code ec;
    std::string folder;
    if (fs::is_directory(path, ec)) {
        folder = path;
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    } else {
        std::int64_t size = 0;
        const int fd = OpenRegularFile(path, size);
        if (fd >= 0) ::close(fd);
        if (fd < 0 || size < 1) {
            const int err = fd == -ENXIO ? kNotRegularFile : fd < 0 ? -fd : kEmptyFile;
            ShowMessage(s, SystemFault("Impossible d'ouvrir le fichier", path, err).Description(), MsgIcon::Critical);
            ShowMessage(s, "Pas de fichier s\xE9lectionn\xE9.");
            return 1;
        }
        folder = fs::path(path).parent_path().string();
        if (folder.empty()) folder = ".";
    }
    if (IsProcessRunning(s, "winmail.exe")) {
        ShowMessage(s, "Par mesure de s\xE9" "curit\xE9, Windows Mail doit \xEAtre ferm\xE9.");
        return 1;
    }
    s.wm.WmFolderPath = folder;
    std::string name = fs::path(folder).filename().string();
    if (name.empty() || name == ".") name = fs::absolute(folder, ec).filename().string();
    try {
        if (!ReadMsgWM(s, folder)) return 1;
        CompleteListWM(s);
    } catch (const ProgramEnding&) {
        return 1;
    }
    s.selection.RowFlags.assign(static_cast<std::size_t>(s.list.Count) + 1, false);
    label = ToDecimal(s.list.Count) + " messages contenus dans le dossier " + Utf8ToCp1252(name);
    return 0;
}

}  // namespace pelicard::cli
