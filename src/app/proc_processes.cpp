#include "app/proc_processes.hpp"

#include <dirent.h>

#include <cstdio>
#include <memory>

namespace pelicard {
namespace {

// The first bytes of a small /proc file; empty when it cannot be read.
std::string ReadSmall(const std::string& path, std::size_t limit) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f) return {};
    std::string s(limit, '\0');
    s.resize(std::fread(s.data(), 1, limit, f.get()));
    return s;
}

bool IsPid(const char* name) {
    if (!*name) return false;
    for (; *name; ++name)
        if (*name < '0' || *name > '9') return false;
    return true;
}

}  // namespace

std::string ExecutableName(const std::string& firstArgument) {
    std::size_t last = firstArgument.find_last_of("/\\");
    return last == std::string::npos ? firstArgument : firstArgument.substr(last + 1);
}

std::vector<std::string> ProcProcesses::RunningExecutables() {
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(root_.c_str()), &::closedir);
    if (!dir) return names;  // no snapshot: nothing runs as far as we know
    while (dirent* e = ::readdir(dir.get())) {
        if (!IsPid(e->d_name)) continue;
        const std::string base = root_ + "/" + e->d_name;
        // A process may end while it is looked at: what cannot be read is skipped.
        std::string comm = ReadSmall(base + "/comm", 256);
        while (!comm.empty() && (comm.back() == '\n' || comm.back() == '\0')) comm.pop_back();
        if (!comm.empty()) names.push_back(comm);
        std::string cmdline = ReadSmall(base + "/cmdline", 4096);
        std::string first = cmdline.substr(0, cmdline.find('\0'));
        std::string exe = ExecutableName(first);
        if (!exe.empty() && exe != comm) names.push_back(exe);
    }
    return names;
}

}  // namespace pelicard
