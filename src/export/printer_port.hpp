// The printer: lines of text in one font, pages, widths in device units.
// A print job begins with its first line and ends with EndDoc; Finish ends
// the whole command (a PDF printer writes its file then).
#pragma once
#include <stdexcept>
#include <string>

namespace pelicard {

// Thrown by a printer that cannot be opened (none chosen, a PDF file that
// cannot be made, a printer gone): only the print command ends; what() says
// which printer, in Windows-1252.
struct PrinterUnavailable : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class PrinterPort {
public:
    virtual ~PrinterPort() = default;
    virtual void SetFont(const std::string& /*name*/, double /*points*/) {}
    // Prints one line of Windows-1252 text and moves to the next line.
    virtual void PrintLine(const std::string& /*text*/) {}
    virtual void NewPage() {}
    virtual void EndDoc() {}
    virtual void Finish() {}
    virtual double TextWidth(const std::string& /*text*/) { return 0; }
    virtual double PageWidth() { return 0; }
    virtual double PageHeight() { return 0; }
    virtual double CurrentY() { return 0; }
    // Page number within the current job, from 1.
    virtual int PageNumber() { return 1; }
};

}  // namespace pelicard
