#include "app/done_sound.hpp"

#include <cmath>
#include <cstdint>

namespace pelicard {
namespace {

constexpr std::uint32_t kRate = 22050;

void Put16(std::string& s, std::uint16_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}
void Put32(std::string& s, std::uint32_t v) {
    Put16(s, static_cast<std::uint16_t>(v & 0xFFFF));
    Put16(s, static_cast<std::uint16_t>(v >> 16));
}

std::string Build() {
    // Two notes (A5 then E6), each struck and dying away.
    struct Note {
        double hz, seconds;
    };
    const Note notes[] = {{880.0, 0.14}, {1318.5, 0.26}};
    const double pi = std::acos(-1.0);
    std::string pcm;
    for (const Note& n : notes) {
        auto count = static_cast<std::uint32_t>(n.seconds * kRate);
        for (std::uint32_t i = 0; i < count; ++i) {
            double t = static_cast<double>(i) / kRate;
            double attack = std::fmin(1.0, t / 0.005);  // no click at the start
            double release = std::fmin(1.0, static_cast<double>(count - i) / (0.01 * kRate));
            double env = attack * release * std::exp(-t * 9.0);
            double v = 0.45 * env * (std::sin(2 * pi * n.hz * t) + 0.25 * std::sin(4 * pi * n.hz * t));
            Put16(pcm, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(v * 32767.0 / 1.25))));
        }
    }
    std::string wav = "RIFF";
    Put32(wav, static_cast<std::uint32_t>(36 + pcm.size()));
    wav += "WAVEfmt ";
    Put32(wav, 16);
    Put16(wav, 1);  // PCM
    Put16(wav, 1);  // mono
    Put32(wav, kRate);
    Put32(wav, kRate * 2);
    Put16(wav, 2);
    Put16(wav, 16);
    wav += "data";
    Put32(wav, static_cast<std::uint32_t>(pcm.size()));
    return wav + pcm;
}

}  // namespace

const std::string& DoneSoundWav() {
    static const std::string wav = Build();
    return wav;
}

}  // namespace pelicard
