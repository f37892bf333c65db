// Character repair of any text, with and without the UTF-8 flag.
#include "content/decode.hpp"
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    pelicard::fuzz::RunQuietly([&](pelicard::State& s) {
        s.texts.IsUtf8 = (data[0] & 1) != 0;
        (void)pelicard::Decode(s, pelicard::fuzz::AsText(data + 1, size - 1));
    });
    return 0;
}
