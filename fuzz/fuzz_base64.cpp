// Base64 decoding and the attachment cut, for both kinds of store.
#include "content/attachments.hpp"
#include "content/base64.hpp"
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string text = pelicard::fuzz::AsText(data + 1, size - 1);
    (void)pelicard::Base64Decode(text);
    pelicard::fuzz::RunQuietly([&](pelicard::State& s) {
        s.list.Mode = (data[0] & 1) ? pelicard::StoreMode::WindowsMail : pelicard::StoreMode::OutlookExpress;
        s.texts.RawText = text;
        std::string t = text;
        pelicard::Attached(s, t);
    });
    return 0;
}
