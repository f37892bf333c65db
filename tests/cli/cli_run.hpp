// Runs the batch tool and reads back what it printed.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/eml_builder.hpp"

namespace pelicard::testing {

struct CliResult { int rc = -1; std::string out, err; };

inline std::string Slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<std::string> Lines(const std::string& s) {
    std::vector<std::string> all;
    std::istringstream in(s);
    for (std::string l; std::getline(in, l);) all.push_back(l);
    return all;
}

// How many times `needle` occurs in `hay`.
inline std::size_t Count(const std::string& hay, const std::string& needle) {
    std::size_t n = 0;
    for (std::size_t p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + 1)) ++n;
    return n;
}

inline std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Every path below `dir` with the bytes of the files (folders empty).
inline std::map<std::string, std::string> Snapshot(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (auto& e : std::filesystem::recursive_directory_iterator(dir))
        files[e.path().string()] = e.is_regular_file() ? Slurp(e.path()) : "";
    return files;
}

inline CliResult RunCli(const std::string& args) {
    const TempFolder tmp;
    const std::string out = tmp.Path() + "/out", err = tmp.Path() + "/err";
    // A command that hangs (on a FIFO, say) fails after two minutes instead of holding the run.
    const int st = std::system(("timeout 120 " + std::string(PELICARD_CLI) + " " + args + " >" + Quote(out) + " 2>" + Quote(err)).c_str());
    return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, Slurp(out), Slurp(err)};
}

}  // namespace pelicard::testing
