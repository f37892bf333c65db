#include "cli/console_window.hpp"

#include <iostream>

#include "common/report.hpp"
#include "common/text.hpp"

namespace pelicard {

std::string ForTerminal(const std::string& cp1252) {
    std::string safe;
    safe.reserve(cp1252.size());
    for (char c : cp1252) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\r' && c != '\n' && c != '\t') || u == 0x7F || u == 0x81 || u == 0x8D ||
            u == 0x8F || u == 0x90 || u == 0x9D) {
            static const char kHex[] = "0123456789abcdef";
            safe += "\\x";
            safe += kHex[u >> 4];
            safe += kHex[u & 15];
        } else {
            safe += c;
        }
    }
    return Cp1252ToUtf8(safe);
}

MsgResult ConsoleWindow::MessageBox(const std::string& text, const std::string& title, MsgIcon,
                                    MsgButtons buttons) {
    ++boxes;
    if (title != kProgramTitle) ++faultBoxes;
    std::cerr << ForTerminal(title) << " : " << ForTerminal(text) << '\n';
    return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::No;
}

}  // namespace pelicard
