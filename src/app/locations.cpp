#include "app/locations.hpp"

#include <cstring>

#include "app/linux_folders.hpp"
#include "app/ports.hpp"
#include "app/services.hpp"
#include "common/report.hpp"
#include "common/text.hpp"

extern char** environ;

namespace pelicard {
namespace {

const char* const kSeparator = "/";

// Closes a registry key when the scope ends, whatever happens in between.
struct OpenKey {
    RegistryPort& reg;
    std::int64_t handle = 0;
    bool open = false;
    OpenKey(RegistryPort& r, const std::string& path) : reg(r) { open = reg.OpenKey(path, handle) == 0; }
    ~OpenKey() {
        if (open) reg.CloseKey(handle);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
};

bool EqualsAsciiNoCase(const char* a, std::size_t n, const std::string& b) {
    if (n != b.size()) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// A variable of the process environment, its name compared ignoring case as
// Windows does; then the Windows session's own variables.
std::string EnvironmentValue(State& s, const std::string& name) {
    if (const char* v = std::getenv(name.c_str())) return v;
    for (char** e = environ; e && *e; ++e) {
        const char* eq = std::strchr(*e, '=');
        if (eq && EqualsAsciiNoCase(*e, static_cast<std::size_t>(eq - *e), name)) return eq + 1;
    }
    std::string v;
    if (s.registry->SessionVariable(name, v)) return v;
    return {};
}

[[noreturn]] void RegistryDamaged(State& s) {
    s.window->MessageBox("Le registre est endommag\xE9.\r\rLe programme va \xEAtre interrompu !", "WMFolder",
                         MsgIcon::Critical, MsgButtons::Ok);
    QuitProgram(s);
    throw ProgramEnding{};
}

std::string StoreRootValue(State& s, const std::string& keyPath) {
    OpenKey key(*s.registry, keyPath);
    if (!key.open) RegistryDamaged(s);
    std::string root;
    QueryRegistryValue(s, key.handle, "Store Root", root);  // a missing root stays empty
    return root;
}

}  // namespace

std::string SpecialFolderPath(int number) {
    if (number != 5) return {};
    std::string p = DocumentsFolderPath();
    if (p.empty()) return {};
    if (p.back() != '/') p += kSeparator;
    return p;
}

std::string MyDocumentsPath() { return SpecialFolderPath(5); }

std::int32_t QueryRegistryValue(State& s, std::int64_t key, const std::string& name, std::string& value) {
    value.clear();
    RegistryPort::ValueType type{};
    std::string data;
    std::int32_t status = s.registry->QueryValue(key, name, type, data);
    if (status != 0) {
        if (status == 2)
            ShowMessage(s, "Identit\xE9 introuvable");
        else
            ShowMessage(s, "Erreur " + ToDecimal(status) + " en lisant la valeur " + name + " du registre");
        return status;
    }
    switch (type) {
        case RegistryPort::ValueType::String:
        case RegistryPort::ValueType::ExpandString:
            // The terminating NUL, when the value holds one, is not text.
            while (!data.empty() && data.back() == '\0') data.pop_back();
            value = data;
            return 0;
        case RegistryPort::ValueType::Binary:
            value = data;
            return 0;
        case RegistryPort::ValueType::Dword: {
            std::uint32_t n = 0;
            for (std::size_t i = 0; i < 4 && i < data.size(); ++i)
                n |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
            value = ToDecimal(n);
            return 0;
        }
        case RegistryPort::ValueType::Other:
            break;
    }
    return -1;
}

std::string WMFolder(State& s) {
    try {
        // Linux: with no Wine prefix, or one that never held an identity,
        // there is no store root to find.
        if (!s.registry->Available()) return {};
        std::string root;
        if (!s.env.WindowsMailMode) {
            std::string identity;
            bool read = false;
            {
                OpenKey ids(*s.registry, "Identities");
                read = ids.open && QueryRegistryValue(s, ids.handle, "Last User ID", identity) == 0;
            }
            if (!read) RegistryDamaged(s);
            const std::string idKey = "Identities\\" + identity;
            {
                OpenKey id(*s.registry, idKey);
                if (!id.open) RegistryDamaged(s);
            }
            root = StoreRootValue(s, idKey + "\\Software\\Microsoft\\Outlook Express\\5.0");
        } else {
            root = StoreRootValue(s, "Software\\Microsoft\\Windows Mail");
        }
        if (!root.empty() && root.back() == '\\') root.pop_back();
        if (!root.empty() && root.front() == '%') {
            std::size_t second = root.find('%', 1);
            if (second == std::string::npos || second >= 255) throw Fault(faults::kBadCall);
            root = EnvironmentValue(s, root.substr(1, second - 1)) + root.substr(second + 1);
        }
        if (root.empty()) return root;
        root = s.registry->NativePath(root);
        while (root.size() > 1 && (root.back() == '/' || root.back() == '\\')) root.pop_back();
        return root;
    } catch (const Fault& f) {
        EndOnFault(s, "WMFolder", f);
    }
}

std::string ChooseStorageParent(State& s, const std::string& defaultFolder) {
    std::string title = "Choisir le dossier dans lequel sera cr\xE9\xE9 le dossier de stockage";
    if (!defaultFolder.empty()) title += "\r'" + Utf8ToCp1252(defaultFolder) + "' par d\xE9" "faut";
    return BrowseForFolder(s, title, defaultFolder);
}

std::string BrowseForFolder(State& s, const std::string& title, const std::string& defaultFolder) {
    std::string chosen = s.dialogs->PickFolder(title, defaultFolder);
    // A path ends at its first NUL, as the picker's buffer does.
    if (std::size_t nul = chosen.find('\0'); nul != std::string::npos) chosen.resize(nul);
    return chosen;
}

std::string BrowseStatusText(const std::string& path) {
    std::string p = Utf8ToCp1252(path);
    if (p.size() > 50 && p.size() > 55) p = p.substr(p.size() - 55);
    std::size_t first = p.find('/');
    return ".." + (first == std::string::npos ? p : p.substr(first));
}

bool ChooseMessageFile(State& s, std::string& path, bool dbxMode) {
    std::string folder, name;
    if (!path.empty()) {
        std::size_t last = path.find_last_of('/');
        if (last != std::string::npos && last > 0) {
            folder = path.substr(0, last);
            name = path.substr(last + 1);
        } else {
            folder = path;
        }
    } else {
        folder = s.settings.LastFolder;
    }
    std::string filter, title, start, chosen;
    if (dbxMode) {
        filter = "Outlook Express (*.dbx)|*.dbx";
        title = "Choisir le fichier dbx \xE0 lire";
        if (!name.empty())
            start = path;
        else if (!s.env.WindowsMailMode)
            start = folder.empty() ? std::string("*.dbx") : folder + kSeparator + "*.dbx";
        else
            start = folder;
    } else {
        filter = "Courrier et News (*.eml;*.nws)|*.eml;*.nws";
        title = "Choisir un fichier eml ou nws quelconque";
        start = folder;
    }
    if (!s.dialogs->OpenFile(filter, title, start, chosen)) {
        path.clear();
        return false;
    }
    path = chosen;
    bool ok = FileExists(s, path, true);
    if (dbxMode) {
        std::size_t last = path.find_last_of('/');
        if (last != std::string::npos && last > 0) s.settings.LastFolder = path.substr(0, last);
    }
    return ok;
}

}  // namespace pelicard
