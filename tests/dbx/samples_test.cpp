// The real-layout sample stores, checked against their manifests: which
// records are listed, with which subject, sender, date and conversation key,
// in conversation order.
#include <ctime>
#include <fstream>
#include <map>

#include "common/text.hpp"
#include "dbx_fixture.hpp"

namespace pelicard::testing {
namespace {

using Record = std::map<std::string, std::string>;  // manifest fields; null ones absent

// The manifests hold one "key": value per line; the messages are the
// objects that carry a "walk_index".
std::vector<Record> ReadManifest(const std::string& path) {
    std::ifstream in(path);
    std::vector<Record> out;
    for (std::string line; std::getline(in, line);) {
        const std::size_t open = line.find('"'), q = line.find("\": ");
        if (q == std::string::npos || open >= q) continue;
        const std::string key = line.substr(open + 1, q - open - 1);
        std::string value = line.substr(q + 3);
        if (value.ends_with(',')) value.pop_back();
        if (key == "walk_index") out.emplace_back();
        if (out.empty() || value == "null") continue;
        if (value.starts_with('"')) value = Utf8ToCp1252(value.substr(1, value.size() - 2));
        out.back()[key] = value;
    }
    return out;
}

std::string ParisTime(long long filetime) {
    const std::time_t t = static_cast<std::time_t>(filetime / 10000000 - 11644473600LL);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[64];
    return std::string(buf, std::strftime(buf, sizeof buf, "%d/%m/%Y %H:%M:%S", &tm));
}

class SampleTest : public DbxTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(SampleTest, ListMatchesTheManifest) {
    const std::string base = std::string(PELICARD_SAMPLES) + "/dbx/" + GetParam();
    const std::vector<Record> manifest = ReadManifest(base + ".json");
    ASSERT_FALSE(manifest.empty());
    s.dbx.ChosenPath = base + ".dbx";
    const std::int32_t root = ReadFileHeader(s);
    ASSERT_GT(root, 0);
    StartTreeWalk(s, root);
    ASSERT_EQ(s.dbx.CollectedCount, static_cast<std::int32_t>(manifest.size()));
    for (std::size_t k = 0; k < manifest.size(); ++k)
        EXPECT_EQ(std::to_string(s.dbx.Records[k + 1].RecordOffset), manifest[k].at("record_offset"));
    CompleteListOE(s);
    EXPECT_TRUE(window.boxes.empty());

    // The complete records, in walk order; a parent is the first of them
    // holding the identifier (any case) last in the references.
    std::vector<const Record*> complete;
    std::map<std::string, const Record*> byId, byText;
    for (const Record& r : manifest) {
        if (r.at("complete") != "true") continue;
        complete.push_back(&r);
        byText[r.at("text_offset")] = &r;
        if (r.count("own_id")) byId.emplace(FoldCase(r.at("own_id")), &r);
    }
    ASSERT_EQ(s.list.Count, static_cast<std::int32_t>(complete.size()));
    auto topmost = [&](const Record* r) {
        for (std::size_t guard = 0; guard < complete.size() && r->count("references"); ++guard) {
            std::string refs = r->at("references");
            std::erase(refs, ' ');
            const std::size_t open = refs.rfind('<');
            auto it = byId.find(FoldCase(refs.substr(open == std::string::npos ? 0 : open)));
            if (it == byId.end()) break;
            r = it->second;
        }
        return r;
    };
    for (std::int32_t i = 1; i <= s.list.Count; ++i) {
        const MessageEntry& e = s.list.Oe[static_cast<std::size_t>(i)];
        SCOPED_TRACE(e.Subject);
        const Record* r = byText.at(std::to_string(e.TextOffset));
        std::string subject = r->at("subject");
        ReplaceNoCaseInPlace(subject, "Re: ", "");
        EXPECT_EQ(e.Subject, subject);
        EXPECT_EQ(e.Sender, r->at("sender"));
        EXPECT_EQ(e.DateText, ParisTime(std::stoll(r->at("filetime"))));
        EXPECT_EQ(e.ThreadKey, "<" + topmost(r)->at("conv_subject") + ">");
        if (i > 1) {
            const std::string& prev = s.list.Oe[static_cast<std::size_t>(i - 1)].ThreadKey;
            EXPECT_TRUE(EqualsNoCase(prev, e.ThreadKey) || CollateCompare(prev, e.ThreadKey) < 0);
        }
    }
    const std::string name = Utf8ToCp1252(std::string(GetParam()) + ".dbx");
    EXPECT_EQ(DbxSummaryLabel(s, name), std::to_string(complete.size()) + "/" + std::to_string(manifest.size()) +
                                            " messages complets/contenus dans le fichier " + name);
}

INSTANTIATE_TEST_SUITE_P(Stores, SampleTest,
                         ::testing::Values("Bo\xC3\xAEte de r\xC3\xA9" "ception", "\xC3\x89l\xC3\xA9ments envoy\xC3\xA9s"));

}  // namespace
}  // namespace pelicard::testing
