// The whole .dbx road on any bytes: header, tree walk, list build, then the
// reading and processing of every listed message.
#include "common/byte_file.hpp"
#include "content/read_msg.hpp"
#include "dbx/header.hpp"
#include "dbx/list_oe.hpp"
#include "dbx/tree.hpp"
#include "fuzz_support.hpp"

namespace {

void Road(pelicard::State& s) {
    const std::int32_t root = pelicard::ReadFileHeader(s);
    if (root == 0) return;
    pelicard::StartTreeWalk(s, root);
    pelicard::CompleteListOE(s);
    const auto held = static_cast<std::int32_t>(s.list.Oe.size());
    for (std::int32_t i = 1; i <= s.list.Count && i < held && !s.Quitting; ++i) {
        pelicard::OutputMode mode = pelicard::kAlone;
        pelicard::ReadMsg(s, i, mode);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pelicard::fuzz::TempFile file(data, size, ".dbx");
    pelicard::fuzz::RunQuietly([&](pelicard::State& s) {
        s.list.Mode = pelicard::StoreMode::OutlookExpress;
        s.dbx.ChosenPath = file.path;
        // The store stays open until the next one is chosen; here the run
        // ends with it, whichever way it ends.
        struct Closer {
            pelicard::ByteFile& f;
            ~Closer() { pelicard::CloseByteFile(f); }
        } closer{s.dbx.File};
        try {
            Road(s);
        } catch (const pelicard::Fault&) {
            // The window's handlers show a fault that escapes a command and
            // end the program: a clean report, not a finding.
        }
    });
    return 0;
}
