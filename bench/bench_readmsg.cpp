// Reading a message end to end: MsgProcessing on a 1 MB HTML body with
// 20 000 tags and on a 1 MB quoted-printable UTF-8 body, and the block
// chain of a 4 MB message read from a folder file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/byte_file.hpp"
#include "common/state.hpp"
#include "content/mime.hpp"
#include "content/read_msg.hpp"

namespace {

using namespace pelicard;

constexpr std::size_t kSize = 1 << 20;

std::string HtmlMessage() {
    const char* const kTags[] = {"<p>", "<b>", "</b>", "<br>", "<div class=\"x\">", "</div>",
                                 "<span>", "</span>", "</p>", "<td>", "</td>", "<i>"};
    const char* const kText[] = {"Bonjour &agrave; tous, voici le texte ", "num&eacute;ro =E9 et des mots ",
                                 "et&#160;la suite du   message=\r\n ", "L=C3=A9t=C3=A9 &gt; &quot;chaud&quot; "};
    std::string body = "<html><head><title>x</title></head><body>\r\n";
    const std::size_t per = kSize / 20000;
    for (int i = 0; i < 20000 - 2; ++i) {
        body += kTags[i % 12];
        const std::size_t target = body.size() + per - 6;
        while (body.size() < target) body += kText[(i + body.size()) % 4];
    }
    body += "</body></html>";
    return "Subject: x\r\nContent-Type: text/html; charset=\"utf-8\"\r\n"
           "Content-Transfer-Encoding: quoted-printable\r\n\r\n" + body;
}

std::string QpMessage() {
    const char* const kLines[] = {"Bonjour =C3=A0 tous, voici les nouvelles de la semaine. L=E2=80=99=C3=A9t=",
                                  "=C3=A9 a =C3=A9t=C3=A9 tr=C3=A8s chaud =C2=AB cette ann=C3=A9e =C2=BB.",
                                  "Le co=C3=BBt du voyage est de 120 =E2=82=AC par personne, voir http://x.fr/?a=3Db",
                                  "", "=C3=80 bient=C3=B4t, et bonne f=C3=AAte =C3=A0 No=C3=ABl.   "};
    std::string body;
    for (std::size_t k = 0; body.size() < kSize; ++k) {
        body += kLines[k % 5];
        body += "\r\n";
    }
    return "Subject: x\r\nContent-Type: text/plain; charset=\"utf-8\"\r\n"
           "Content-Transfer-Encoding: quoted-printable\r\n\r\n" + body;
}

void RunMsgProcessing(benchmark::State& st, const std::string& raw) {
    State s;
    MessageEntry e;
    e.Subject = "x";
    s.list.Oe = {MessageEntry{}, e};
    s.list.Count = 1;
    for (auto _ : st) {
        s.texts.RawText = raw;
        OutputMode mode = kAlone;
        MsgProcessing(s, 1, mode);
        benchmark::DoNotOptimize(s.texts.BodyText.data());
    }
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations() * raw.size()));
}

void BM_MsgProcessingHtml(benchmark::State& st) {
    static const std::string raw = HtmlMessage();
    RunMsgProcessing(st, raw);
}
BENCHMARK(BM_MsgProcessingHtml)->Unit(benchmark::kMillisecond);

void BM_MsgProcessingQuotedPrintableUtf8(benchmark::State& st) {
    static const std::string raw = QpMessage();
    RunMsgProcessing(st, raw);
}
BENCHMARK(BM_MsgProcessingQuotedPrintableUtf8)->Unit(benchmark::kMillisecond);

// 8 192 blocks of 512 bytes, every one with a "Content-Type: text/" line so
// that the attachment check is not skipped cheaply.
void BM_ReadBlocksOE4MB(benchmark::State& st) {
    const std::size_t blocks = 8192;
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("pelicard_bench_chain_" + std::to_string(::getpid()) + ".dbx")).string();
    {
        std::string data(0x100, '\0');
        for (std::size_t i = 0; i < blocks; ++i) {
            const std::size_t at = data.size();
            const std::uint32_t next = i + 1 < blocks ? static_cast<std::uint32_t>(at + 0x210) : 0;
            std::string header(16, '\0');
            header[8] = 0;
            header[9] = 2;  // 512 in the last block
            for (int b = 0; b < 4; ++b) header[12 + b] = static_cast<char>(next >> (8 * b));
            std::string text = "\r\nContent-Type: text/plain\r\n";
            text.resize(512, 'a');
            data += header + text;
        }
        std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
    }
    State s;
    OpenByteFile(s.dbx.File, path);
    MessageEntry e;
    e.TextOffset = 0x100;
    s.list.Oe = {MessageEntry{}, e};
    s.list.Count = 1;
    for (auto _ : st) {
        ReadBlocksOE(s, 1);
        benchmark::DoNotOptimize(s.texts.RawText.data());
    }
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations() * blocks * 512));
    CloseByteFile(s.dbx.File);
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReadBlocksOE4MB)->Unit(benchmark::kMillisecond);

}  // namespace
