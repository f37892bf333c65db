// Whatever the batch tool does with a store — list, show, export — the store
// files keep their bytes and their times.
#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "cli_run.hpp"

namespace fs = std::filesystem;
using namespace pelicard::testing;

namespace {

using Snapshot = std::map<std::string, std::tuple<std::string, fs::file_time_type, fs::perms>>;

Snapshot Take(const fs::path& root) {
    Snapshot all;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) all[e.path().string()] = {Slurp(e.path()), e.last_write_time(), e.status().permissions()};
    return all;
}

TEST(StoreUntouched, ListingShowingAndExportingLeaveEveryStoreFileAsItWas) {
    const TempFolder folder;
    const fs::path tmp = folder.Path();
    fs::copy(fs::path(PELICARD_SAMPLES), tmp / "stores", fs::copy_options::recursive);
    for (const auto& e : fs::recursive_directory_iterator(tmp / "stores"))
        if (e.is_regular_file()) fs::permissions(e.path(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const Snapshot before = Take(tmp / "stores");
    ASSERT_FALSE(before.empty());
    const std::string out = " --stockage " + Quote((tmp / "out").string());
    for (const fs::path& src : {tmp / "stores/dbx/Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx", tmp / "stores/wm/Archives"})
        for (const auto& [verb, rest] : std::vector<std::pair<std::string, std::string>>{
                 {"liste", ""}, {"liste", " --json"}, {"affiche", " 1"}, {"affiche", " 2 --brut"}, {"exporte", " --texte" + out},
                 {"exporte", " --brut" + out}, {"exporte", " --texte --par-conversation" + out}})
            RunCli(verb + " " + Quote(src.string()) + rest);
    EXPECT_TRUE(Take(tmp / "stores") == before);
}

}  // namespace
