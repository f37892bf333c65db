// A printer for the tests: every character is `charWidth` units wide, the
// page `pageWidth` units; remembers the lines of each page of each job.
#pragma once
#include <string>
#include <vector>

#include "export/printer_port.hpp"

namespace pelicard::testing {

class FakePrinter : public PrinterPort {
public:
    struct Page {
        int number = 1;
        std::vector<std::string> lines;
    };
    struct Job {
        std::vector<Page> pages;
    };

    double charWidth = 1;
    double pageWidth = 100;
    std::vector<Job> jobs;       // ended and open jobs, in order
    bool jobOpen = false;
    int finished = 0;            // calls of Finish
    std::string fontName;
    double fontPoints = 0;
    int widthCalls = 0;

    void SetFont(const std::string& name, double points) override;
    void PrintLine(const std::string& text) override;
    void NewPage() override;
    void EndDoc() override;
    void Finish() override;
    double TextWidth(const std::string& text) override;
    double PageWidth() override { return pageWidth; }
    int PageNumber() override;

    // All lines of job j, pages joined.
    std::vector<std::string> Lines(std::size_t j) const;

private:
    Job& Current();
};

}  // namespace pelicard::testing
