// The completion sound, built into the program: a short two-note chime as
// the bytes of a WAV file (PCM, 16 bits, mono, 22 050 Hz).
#pragma once
#include <string>

namespace pelicard {
const std::string& DoneSoundWav();
}  // namespace pelicard
