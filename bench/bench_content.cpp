// Character repair and HTML conversion on message-sized bodies: a 1 MB HTML
// body with 20 000 tags and a 1 MB quoted-printable UTF-8 body.
#include <benchmark/benchmark.h>

#include <string>

#include "common/state.hpp"
#include "content/decode.hpp"
#include "content/html.hpp"

namespace {

constexpr std::size_t kSize = 1 << 20;

// French prose in UTF-8, the way a mail client writes it.
const char* const kSentences[] = {
    "Bonjour \xC3\xA0 tous, voici les nouvelles de la semaine. ",
    "L\xE2\x80\x99\xC3\xA9t\xC3\xA9 a \xC3\xA9t\xC3\xA9 tr\xC3\xA8s chaud \xC2\xAB cette ann\xC3\xA9""e \xC2\xBB. ",
    "Nous avons re\xC3\xA7u votre lettre, merci beaucoup ! ",
    "Le co\xC3\xBBt du voyage est de 120 \xE2\x82\xAC par personne. ",
    "\xC3\x80 bient\xC3\xB4t, et bonne f\xC3\xAAte \xC3\xA0 No\xC3\xABl. ",
    "Les \xC5\x93ufs sont pr\xC3\xAAts ; la r\xC3\xA9union aura lieu \xC3\xA0 midi. ",
};

// Quoted-printable encoding with soft line breaks every 76 characters.
std::string QuotedPrintable(std::size_t size) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out, line;
    std::size_t k = 0;
    while (out.size() < size) {
        for (const char* p = kSentences[k++ % 6]; *p; ++p) {
            const auto c = static_cast<unsigned char>(*p);
            std::string piece;
            if (c >= 128 || c == '=') {
                piece = {'=', hex[c >> 4], hex[c & 15]};
            } else {
                piece = std::string(1, static_cast<char>(c));
            }
            if (line.size() + piece.size() > 75) {
                out += line + "=\r\n";
                line.clear();
            }
            line += piece;
        }
        if (k % 4 == 0) {
            out += line + "\r\n";
            line.clear();
        }
    }
    return out + line;
}

std::string Html(std::size_t size, int tags) {
    const char* const kTags[] = {"<p>", "<b>", "</b>", "<br>", "<div class=\"x\">", "</div>",
                                 "<span>", "</span>", "</p>", "<td>", "</td>", "<i>"};
    const char* const kText[] = {"Bonjour &agrave; tous, voici le texte ",
                                 "num&eacute;ro =E9 avec des mots &nbsp; ",
                                 "et&#160;la suite du   message\r\n ",
                                 "L=E2=80=99=C3=A9t=C3=A9 &gt; &quot;chaud&quot; "};
    std::string out = "<html><head><title>x</title><style>p { margin: 0 }</style></head><body>\r\n";
    const std::size_t per = size / static_cast<std::size_t>(tags);
    for (int i = 0; i < tags - 2; ++i) {
        out += kTags[i % 12];
        const std::size_t target = out.size() + per - 6;
        while (out.size() < target) out += kText[(i + out.size()) % 4];
    }
    return out + "</body></html>";
}

const std::string& HtmlBody() {
    static const std::string b = Html(kSize, 20000);
    return b;
}
const std::string& QpBody() {
    static const std::string b = QuotedPrintable(kSize);
    return b;
}

void BM_Decode(benchmark::State& st, const std::string& (*body)(), bool utf8) {
    pelicard::State s;
    s.texts.IsUtf8 = utf8;
    const std::string& in = body();
    for (auto _ : st) benchmark::DoNotOptimize(pelicard::Decode(s, in));
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations() * in.size()));
}

void BM_Html(benchmark::State& st, const std::string& (*body)(), bool utf8) {
    pelicard::State s;
    s.texts.IsUtf8 = utf8;
    const std::string& in = body();
    for (auto _ : st) {
        std::string text = in;  // the conversion works on the caller's body
        benchmark::DoNotOptimize(pelicard::HTMLProcessing(s, text));
    }
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations() * in.size()));
}

BENCHMARK_CAPTURE(BM_Decode, html_1MB_20000_tags, HtmlBody, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Html, html_1MB_20000_tags, HtmlBody, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Decode, qp_utf8_1MB, QpBody, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Decode, qp_utf8_1MB_single_byte_branch, QpBody, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Html, qp_utf8_1MB, QpBody, true)->Unit(benchmark::kMillisecond);

}  // namespace
