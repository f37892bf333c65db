// pelicard-extract exporte --complet: complete copies of the sample stores,
// named as the raw copies are, against undbx's extraction (a black box) and
// the Windows Mail message files.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <ctime>
#include <set>

#include "cli_run.hpp"

namespace fs = std::filesystem;
using namespace pelicard::testing;

namespace {

const std::string kSamples = PELICARD_SAMPLES;

std::vector<std::string> Export(const std::string& args, const std::string& storage) {
    const CliResult r = RunCli("exporte " + args + " --stockage " + Quote(storage));
    EXPECT_EQ(r.rc, 0) << args << r.err;
    return Lines(r.out);
}

// Each file carries the date the list shows for its message (local time,
// read back here by the C library), or none when the list shows none.
void ExpectListDates(const std::string& source, const std::vector<std::string>& paths) {
    const std::vector<std::string> rows = Lines(RunCli("liste " + source).out);
    ASSERT_GE(rows.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        std::tm tm{};
        tm.tm_isdst = -1;
        std::size_t at = 0;  // the fourth column
        for (int tab = 0; tab < 3 && at != std::string::npos; ++tab) at = rows[i].find('\t', at + (tab > 0));
        if (at == std::string::npos) continue;
        if (std::sscanf(rows[i].c_str() + at + 1, "%d/%d/%d %d:%d:%d", &tm.tm_mday, &tm.tm_mon, &tm.tm_year,
                        &tm.tm_hour, &tm.tm_min, &tm.tm_sec) < 3)
            continue;
        tm.tm_mon -= 1;
        tm.tm_year -= 1900;
        struct stat st {};
        ASSERT_EQ(::stat(paths[i].c_str(), &st), 0);
        EXPECT_EQ(st.st_mtime, std::mktime(&tm)) << paths[i] << " " << rows[i];
    }
}

std::string Relative(const std::string& path, const std::string& root) {
    return fs::path(path).lexically_relative(root).string();
}

TEST(ExporteComplet, EqualsUndbxOnEveryMessageOfTheSampleStoresNamedAsRawCopies) {
    if (std::system("undbx --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "undbx is not installed";
    for (const char* store : {"/dbx/Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx", "/dbx/\xC3\x89l\xC3\xA9ments envoy\xC3\xA9s.dbx"}) {
        SCOPED_TRACE(store);
        const TempFolder tmp;
        const std::string source = Quote(kSamples + store);
        const std::vector<std::string> complete = Export(source + " --complet", tmp.Path() + "/c");
        const std::vector<std::string> raw = Export(source + " --brut", tmp.Path() + "/b");
        ASSERT_EQ(complete.size(), raw.size());
        for (std::size_t i = 0; i < raw.size(); ++i)
            EXPECT_EQ(Relative(complete[i], tmp.Path() + "/c"), Relative(raw[i], tmp.Path() + "/b"));
        ExpectListDates(source, complete);
        ExpectListDates(source, Export(source + " --texte", tmp.Path() + "/t"));

        ASSERT_EQ(std::system(("undbx -v 0 " + source + " " + Quote(tmp.Path() + "/u") + " >/dev/null 2>&1").c_str()), 0);
        std::multiset<std::string> theirs;
        for (auto& e : fs::recursive_directory_iterator(tmp.Path() + "/u"))
            if (e.is_regular_file()) theirs.insert(Slurp(e.path()));
        std::size_t longer = 0;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            const std::string copy = Slurp(complete[i]);
            const auto it = theirs.find(copy);
            ASSERT_NE(it, theirs.end()) << complete[i];
            theirs.erase(it);  // each extracted message matches one copy
            if (copy.size() > Slurp(raw[i]).size()) ++longer;
        }
        EXPECT_GT(longer, 0u);  // some messages go past their first attachment
    }

    // Windows Mail: the message files themselves.
    const TempFolder tmp;
    std::multiset<std::string> sources, copies;
    for (auto& e : fs::directory_iterator(kSamples + "/wm/Archives"))
        if (e.is_regular_file() && e.file_size() > 0 && e.path().extension() != ".txt") sources.insert(Slurp(e.path()));
    const std::vector<std::string> paths = Export(Quote(kSamples + "/wm/Archives") + " --complet", tmp.Path());
    for (const std::string& p : paths) copies.insert(Slurp(p));
    EXPECT_EQ(copies, sources);
    ExpectListDates(Quote(kSamples + "/wm/Archives"), paths);
}

}  // namespace
