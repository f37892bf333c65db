// The recovery road on any bytes: the guarded index read, the whole-file
// scan, then the shown text and the raw copy of every listed message.
#include "common/byte_file.hpp"
#include "content/read_msg.hpp"
#include "dbx/recover.hpp"
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pelicard::fuzz::TempFile file(data, size, ".dbx");
    pelicard::fuzz::RunQuietly([&](pelicard::State& s) {
        s.list.Mode = pelicard::StoreMode::OutlookExpress;
        s.dbx.ChosenPath = file.path;
        struct Closer {
            pelicard::ByteFile& f;
            ~Closer() { pelicard::CloseByteFile(f); }
        } closer{s.dbx.File};
        try {
            pelicard::ReadIndexGuarded(s);
            pelicard::RecoverMessages(s);
            const auto held = static_cast<std::int32_t>(s.list.Oe.size());
            std::string scratch;
            for (std::int32_t i = 1; i <= s.list.Count && i < held && !s.Quitting; ++i) {
                if (pelicard::ReadBlocksOE(s, i)) pelicard::RawCopyText(s, i, scratch);
                pelicard::OutputMode mode = pelicard::kAlone;
                pelicard::ReadMsg(s, i, mode);
            }
        } catch (const pelicard::Fault&) {
            // A fault that escapes a command is shown and ends the program:
            // a clean report, not a finding.
        }
    });
    return 0;
}
