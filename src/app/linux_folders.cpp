#include "app/linux_folders.hpp"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace pelicard {
namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string WithoutFinalSlash(std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

std::string ConfigHome() {
    std::string c = Env("XDG_CONFIG_HOME");
    if (!c.empty() && c.front() == '/') return WithoutFinalSlash(c);
    return WithoutFinalSlash(HomeFolder()) + "/.config";
}

// "$HOME/x" or "${HOME}/x" or "/abs": the path it names, else empty.
std::string ExpandHome(const std::string& v, const std::string& home) {
    for (const char* h : {"$HOME", "${HOME}"}) {
        std::string p(h);
        if (v.compare(0, p.size(), p) == 0 && (v.size() == p.size() || v[p.size()] == '/'))
            return WithoutFinalSlash(WithoutFinalSlash(home) + v.substr(p.size()));
    }
    if (!v.empty() && v.front() == '/') return WithoutFinalSlash(v);
    return {};
}

}  // namespace

std::string HomeFolder() {
    std::string h = Env("HOME");
    if (!h.empty()) return h;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}

std::string AppFolderPath() {
    std::string p = Env("PELICARD_HOME");
    if (p.empty()) p = ConfigHome() + "/pelicard";
    p = WithoutFinalSlash(p);
    if (p != "/") p += "/";
    return p;
}

std::string ParseUserDirsDocuments(const std::string& text, const std::string& home) {
    std::istringstream in(text);
    std::string line, found;
    while (std::getline(in, line)) {
        std::size_t i = line.find_first_not_of(" \t");
        if (i == std::string::npos || line[i] == '#') continue;
        const std::string key = "XDG_DOCUMENTS_DIR=";
        if (line.compare(i, key.size(), key) != 0) continue;
        std::string v = line.substr(i + key.size());
        while (!v.empty() && (v.back() == '\r' || v.back() == ' ' || v.back() == '\t')) v.pop_back();
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        found = ExpandHome(v, home);  // the last assignment wins, as in the shell
    }
    return found;
}

std::string DocumentsFolderPath() {
    const std::string home = HomeFolder();
    std::string d = ExpandHome(Env("XDG_DOCUMENTS_DIR"), home);
    if (!d.empty()) return d;
    std::ifstream f(ConfigHome() + "/user-dirs.dirs", std::ios::binary);
    if (f) {
        std::string text;
        text.resize(64 * 1024);  // the file is a few lines; more is not read
        f.read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<std::size_t>(f.gcount()));
        d = ParseUserDirsDocuments(text, home);
        if (!d.empty()) return d;
    }
    if (home.empty()) return {};
    return WithoutFinalSlash(home) + "/Documents";
}

std::string WinePrefixPath() {
    std::string p = Env("WINEPREFIX");
    if (p.empty()) {
        std::string home = HomeFolder();
        if (home.empty()) return {};
        p = WithoutFinalSlash(home) + "/.wine";
    }
    return WithoutFinalSlash(p);
}

std::string RunningExecutablePath() {
    std::string buf(4096, '\0');
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buf.size()) return {};
    buf.resize(static_cast<std::size_t>(n));
    return buf;
}

}  // namespace pelicard
