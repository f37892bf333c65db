// The complete decoding of any text: as a header value (encoded words) and
// as a stored message (first text part, transfer encoding, charset, HTML).
// The companion must always be the UTF-8 form of the core's text.
#include <cstdlib>

#include "common/text.hpp"
#include "content/charsets.hpp"
#include "content/full_decode.hpp"
#include "content/mime.hpp"
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = pelicard::fuzz::AsText(data, size);
    const std::string header = pelicard::DecodeHeaderValue(text);
    if (!pelicard::IsValidUtf8(header)) std::abort();
    pelicard::fuzz::RunQuietly([&](pelicard::State& s) {
        std::string core, companion;
        if (pelicard::FullBody(s, text, core, companion, pelicard::TidyLines) && !companion.empty() &&
            pelicard::Utf8ToCp1252(companion) != core)
            std::abort();
    });
    return 0;
}
