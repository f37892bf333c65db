// HTML to plain text on any body.
#include "content/html.hpp"
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pelicard::fuzz::RunQuietly([&](pelicard::State& s) {
        std::string body = pelicard::fuzz::AsText(data, size);
        (void)pelicard::HTMLProcessing(s, body);
    });
    return 0;
}
