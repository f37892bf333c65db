// The printer: lines of text in one font, pages, widths in device units.
#pragma once
#include <string>

namespace pelicard {

class PrinterPort {
public:
    virtual ~PrinterPort() = default;
    virtual void SetFont(const std::string& /*name*/, double /*points*/) {}
    virtual void PrintLine(const std::string& /*text*/) {}
    virtual void NewPage() {}
    virtual void EndDoc() {}
    virtual double TextWidth(const std::string& /*text*/) { return 0; }
    virtual double PageWidth() { return 0; }
    virtual double PageHeight() { return 0; }
    virtual double CurrentY() { return 0; }
    virtual int PageNumber() { return 1; }
};

}  // namespace pelicard
