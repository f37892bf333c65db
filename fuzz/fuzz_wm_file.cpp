// One Windows Mail message file: the folder scan that decodes it into a
// list entry, the list build, then its reading as the window shows it.
#include <filesystem>
#include <unistd.h>

#include "content/read_msg.hpp"
#include "fuzz_support.hpp"
#include "wm/complete_list_wm.hpp"
#include "wm/read_msg_wm.hpp"

namespace fs = std::filesystem;

namespace {

// A private folder holding only the message file, made once per process.
const std::string& Folder() {
    static const std::string folder = [] {
        fs::path p = fs::temp_directory_path() / ("pelicard-fuzz-wm-" + std::to_string(::getpid()));
        fs::create_directories(p);
        return p.string();
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string path = Folder() + "/message.eml";
    {
        pelicard::fuzz::TempFile bytes(data, size, ".eml");
        fs::rename(bytes.path, path);
    }
    pelicard::fuzz::RunQuietly([&](pelicard::State& s) {
        if (!pelicard::ReadMsgWM(s, Folder())) return;
        pelicard::CompleteListWM(s);
        pelicard::OutputMode mode = pelicard::kAlone;
        if (s.list.Count >= 1 && s.list.Wm.size() > 1) {
            try {
                pelicard::ReadMsg(s, 1, mode);
            } catch (const pelicard::Fault&) {
                // Shown by the window's handler, which then ends the program.
            }
        }
    });
    fs::remove(path);
    return 0;
}
