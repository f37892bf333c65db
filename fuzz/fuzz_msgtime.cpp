// Date fields of message files, in any form.
#include "fuzz_support.hpp"
#include "wm/dates.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pelicard::fuzz::RunQuietly([&](pelicard::State& s) {
        (void)pelicard::MsgTime(s, pelicard::fuzz::AsText(data, size));
    });
    return 0;
}
