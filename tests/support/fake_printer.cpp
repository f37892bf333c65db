#include "support/fake_printer.hpp"

namespace pelicard::testing {

FakePrinter::Job& FakePrinter::Current() {
    if (!jobOpen) {
        jobs.push_back(Job{{Page{}}});
        jobOpen = true;
    }
    return jobs.back();
}

void FakePrinter::SetFont(const std::string& name, double points) {
    fontName = name;
    fontPoints = points;
}

void FakePrinter::PrintLine(const std::string& text) { Current().pages.back().lines.push_back(text); }

void FakePrinter::NewPage() {
    Job& job = Current();
    job.pages.push_back(Page{job.pages.back().number + 1, {}});
}

void FakePrinter::EndDoc() { jobOpen = false; }

void FakePrinter::Finish() {
    jobOpen = false;
    ++finished;
}

double FakePrinter::TextWidth(const std::string& text) {
    ++widthCalls;
    return charWidth * static_cast<double>(text.size());
}

int FakePrinter::PageNumber() { return jobOpen ? jobs.back().pages.back().number : 1; }

std::vector<std::string> FakePrinter::Lines(std::size_t j) const {
    std::vector<std::string> all;
    for (const Page& p : jobs.at(j).pages) all.insert(all.end(), p.lines.begin(), p.lines.end());
    return all;
}

}  // namespace pelicard::testing
