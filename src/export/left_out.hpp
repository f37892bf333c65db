// The messages of a save or print command that were not saved, or saved cut
// short (s.exp.LeftOut): noted where it happens, told once at the end — the
// window in one box, the batch tool one line each and a count.
#pragma once
#include <cstdint>
#include <string>

#include "common/state.hpp"

namespace pelicard {

// Notes message `index` (a row of the list) as not saved, or saved cut short
// when `cut`; `reason` is Windows-1252. Does nothing when no save or print
// command runs (showing a message is no export).
void NoteLeftOut(State& s, std::int32_t index, const std::string& reason, bool cut = false);
// Forgets what the last command left out (each command starts with it).
void ClearLeftOut(State& s);
// One line per message, "<ID> « <subject> » : <reason>" (Windows-1252).
std::string LeftOutLine(const ExportState::LeftOutMessage& m);
// "<n> message(s) non enregistré(s), <m> message(s) enregistré(s) tronqué(s)"
// (the parts that apply; empty when nothing was left out).
std::string LeftOutHeading(const State& s);
// The whole account in one text: a heading with the counts, then the lines
// (the first 40; the number of the others after them). Empty when nothing
// was left out.
std::string LeftOutSummary(const State& s);
// Shows LeftOutSummary in one box when something was left out, then clears it.
void ShowLeftOut(State& s);

}  // namespace pelicard
