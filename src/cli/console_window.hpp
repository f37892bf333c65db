// The window of the batch tool: message boxes go to standard error in
// UTF-8, questions are answered No, nothing waits for the user.
#pragma once
#include <string>

#include "common/ports.hpp"

namespace pelicard {

// UTF-8 form of a Windows-1252 text for the terminal: control characters
// (but line breaks and tabs) written as \xHH, so a subject cannot drive it.
std::string ForTerminal(const std::string& cp1252);

class ConsoleWindow : public WindowPort {
public:
    MsgResult MessageBox(const std::string& text, const std::string& title, MsgIcon icon,
                         MsgButtons buttons) override;
    int boxes = 0;
    // Boxes titled with a procedure: faults met while reading or writing.
    int faultBoxes = 0;
};

}  // namespace pelicard
