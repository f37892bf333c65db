// A printer for the tests: every character is `charWidth` units wide; the
// lines printed go into `lines`, with "<page>" for each new page and
// "<end>" for each end of document; `jobs` holds the lines of each ended job.
#pragma once
#include <string>
#include <vector>

#include "export/printer_port.hpp"

namespace pelicard::testing {

class FakePrinter : public PrinterPort {
public:
    double charWidth = 1;
    double pageWidth = 100;
    int page = 1;
    std::vector<std::string> lines;
    std::vector<std::vector<std::string>> jobs;

    void PrintLine(const std::string& text) override { lines.push_back(text); }
    void NewPage() override {
        ++page;
        lines.push_back("<page>");
    }
    void EndDoc() override {
        page = 1;
        lines.push_back("<end>");
        jobs.emplace_back(lines.begin() + static_cast<std::ptrdiff_t>(jobStart_), lines.end());
        jobStart_ = lines.size();
    }
    double TextWidth(const std::string& text) override { return charWidth * static_cast<double>(text.size()); }
    double PageWidth() override { return pageWidth; }
    int PageNumber() override { return page; }

private:
    std::size_t jobStart_ = 0;
};

}  // namespace pelicard::testing
