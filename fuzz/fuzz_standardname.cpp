// A subject made into a file name, then saved twice and three times into a
// private storage folder, so that the collision numbering runs. The first
// input byte picks the store kind and the command.
#include <filesystem>
#include <unistd.h>

#include "export/msg_end.hpp"
#include "fuzz_support.hpp"

namespace fs = std::filesystem;

namespace {

const fs::path& Storage() {
    static const fs::path p = fs::temp_directory_path() / ("pelicard-fuzz-names-" + std::to_string(::getpid()));
    return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t flags = data[0];
    const std::string subject = pelicard::fuzz::AsText(data + 1, size - 1);
    (void)pelicard::StandardName(subject);
    fs::create_directories(Storage());
    pelicard::fuzz::RunQuietly([&](pelicard::State& s) {
        s.settings.StorageFolder = Storage().string();
        s.list.Mode = pelicard::StoreMode::OutlookExpress;
        s.dbx.ChosenPath = (flags & 2) ? "/nulle/part/Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx" : "/nulle/part/x.dbx";
        s.list.Oe.resize(2);
        s.list.Oe[1].Subject = subject;
        s.list.Oe[1].DateKey = "20070305 140709";
        s.list.Count = 1;
        s.texts.SubjectLine = "Objet : " + subject + "\r\n";
        s.texts.RawText = "Subject: " + subject + "\r\n\r\ncorps\r\n";
        if (flags & 1)
            s.ops.SaveAllRaw = true;
        else
            s.ops.SaveAllText = true;
        for (int i = 0; i < 3 && !s.Quitting; ++i) {
            pelicard::OutputMode mode = pelicard::kAlone;
            pelicard::MsgEnd(s, 1, mode);
        }
    });
    std::error_code ec;
    fs::remove_all(Storage(), ec);
    return 0;
}
