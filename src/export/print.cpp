#include "export/print.hpp"

#include <cmath>

#include "common/report.hpp"
#include "common/text.hpp"
#include "export/printer_port.hpp"

namespace pelicard {
namespace {

const std::string kMargin(11, ' ');
constexpr std::uint8_t kLinesBeforeNewPage = 62;
constexpr std::uint8_t kRoomForNextMessage = 57;

void PrintPiece(State& s, std::string_view piece) {
    std::string line = kMargin;
    line.append(piece);
    s.printer->PrintLine(line);
    PageStep(s);
}

}  // namespace

void PrintPageHeader(State& s) {
    PrinterPort& p = *s.printer;
    p.PrintLine(std::string());
    p.PrintLine(std::string(170, ' ') + ToDecimal(p.PageNumber()));
    p.PrintLine(std::string());
}

void PageStep(State& s) {
    if (s.exp.LineCounter >= kLinesBeforeNewPage) {
        s.printer->NewPage();
        PrintPageHeader(s);
        s.exp.LineCounter = 0;
    } else {
        ++s.exp.LineCounter;
    }
}

void PrintLine(State& s, std::string_view line) {
    try {
        PrinterPort& p = *s.printer;
        const double limit = s.exp.WidthLimit;
        if (line.empty()) {
            p.PrintLine(std::string());
            PageStep(s);
            return;
        }
        if (p.TextWidth(std::string(line)) <= limit) {
            PrintPiece(s, line);
            return;
        }
        std::size_t start = 0;  // 0-based
        const std::size_t n = line.size();
        while (start < n) {
            // Grow the segment [start, e] from two characters until it is
            // wider than the limit or reaches the end of the line.
            std::size_t e = start + 1;
            bool overflow = false;
            for (; e < n; ++e) {
                if (p.TextWidth(std::string(line.substr(start, e - start + 1))) > limit) {
                    overflow = true;
                    break;
                }
            }
            if (!overflow) {
                PrintPiece(s, line.substr(start));
                return;
            }
            std::size_t space = line.rfind(' ', e);
            if (space != npos && space >= start) {
                PrintPiece(s, line.substr(start, space - start));
                start = space + 1;
            } else {
                PrintPiece(s, line.substr(start, e - start));
                start = e;
            }
        }
    } catch (const Fault& f) {
        EndOnFault(s, "PrintLine", f);
    }
}

namespace {

void PrintTexts(State& s, OutputMode mode) {
    ExportState& ex = s.exp;
    PrinterPort& p = *s.printer;
    const WorkingTexts& t = s.texts;
    ex.WidthLimit = static_cast<std::int32_t>(std::nearbyint(0.9 * p.PageWidth()));

    bool opening = mode == kAlone || mode == kFirst;
    if (!opening && !ex.JobOpen) opening = true;  // the job's first message printed nothing
    std::string text;
    if (opening) {
        if (ex.JobOpen) p.EndDoc();  // a job left unfinished ends here
        ex.JobOpen = true;
        ex.LineCounter = 0;
        PrintPageHeader(s);
        text.reserve(t.SubjectLine.size() + t.DateSenderBlock.size() + t.BodyText.size());
        text.append(t.SubjectLine).append(t.DateSenderBlock).append(t.BodyText);
    } else {
        if (ex.LineCounter > kRoomForNextMessage) {
            p.NewPage();
            PrintPageHeader(s);
            ex.LineCounter = 0;
        }
        text.append("\r\n").append(47, '-').append("\r\n");
        text.append(t.DateSenderBlock).append(t.BodyText);
    }
    std::string_view rest(text);
    for (;;) {
        std::size_t cut = rest.find("\r\n");
        if (cut == npos) {
            PrintLine(s, rest);
            break;
        }
        PrintLine(s, rest.substr(0, cut));
        rest.remove_prefix(cut + 2);
    }
    if (mode == kAlone || mode == kLast) {
        p.EndDoc();
        ex.JobOpen = false;
    }
}

}  // namespace

void PrintMessage(State& s, OutputMode mode) {
    try {
        PrintTexts(s, mode);
    } catch (const PrinterUnavailable& e) {
        // The command stops here (as "Annuler" stops it); the program goes on.
        s.exp.JobOpen = false;
        s.CancelRequested = true;
        ShowMessage(s,
                    e.what() + Utf8ToCp1252(".\r\n\r\nL'impression est abandonnée. Choisissez une imprimante ou "
                                            "un fichier PDF dans « Imprimante » (menu Fichiers), puis "
                                            "imprimez à nouveau."),
                    MsgIcon::Exclamation);
    }
}

}  // namespace pelicard
