// The window of the batch tool: message boxes go to standard error in
// UTF-8, questions are answered No, nothing waits for the user.
#pragma once
#include "common/ports.hpp"

namespace pelicard {

class ConsoleWindow : public WindowPort {
public:
    MsgResult MessageBox(const std::string& text, const std::string& title, MsgIcon icon,
                         MsgButtons buttons) override;
    int boxes = 0;
};

}  // namespace pelicard
