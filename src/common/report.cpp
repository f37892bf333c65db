#include "common/report.hpp"

namespace pelicard {

void ShowMessage(State& s, const std::string& text, MsgIcon icon) {
    s.window->MessageBox(text, kProgramTitle, icon, MsgButtons::Ok);
}

void ShowFault(State& s, const std::string& procedure, const Fault& f, MsgIcon icon) {
    s.window->MessageBox(f.Description(), procedure.empty() ? kProgramTitle : procedure, icon,
                         MsgButtons::Ok);
}

void EndOnFault(State& s, const std::string& procedure, const Fault& f) {
    ShowFault(s, procedure, f);
    QuitProgram(s);
    throw ProgramEnding{};
}

void QuitProgram(State& s) {
    if (s.Quitting) return;
    s.Quitting = true;
    // A folder of a whole store ends alone; the store's procedure goes on.
    if (s.store.HoldEnd) return;
    s.window->Close();
}

}  // namespace pelicard
