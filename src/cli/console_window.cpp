#include "cli/console_window.hpp"

#include <iostream>

#include "common/text.hpp"

namespace pelicard {

MsgResult ConsoleWindow::MessageBox(const std::string& text, const std::string& title, MsgIcon,
                                    MsgButtons buttons) {
    ++boxes;
    std::cerr << Cp1252ToUtf8(title) << " : " << Cp1252ToUtf8(text) << '\n';
    return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::No;
}

}  // namespace pelicard
