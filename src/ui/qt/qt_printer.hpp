// The printer port over Qt: the system printer, or a PDF file. Lines are
// drawn one under the other in the chosen font; widths are measured in the
// printer's device units, in the same font.
#pragma once
#include <QFont>
#include <QPainter>
#include <QString>
#include <memory>
#include <string>

#include "common/state.hpp"
#include "export/pdf_target.hpp"
#include "export/printer_port.hpp"

class QPrinter;

namespace pelicard {

class QtPrinter : public PrinterPort {
public:
    // The system's default printer, or the file chosen in the printer
    // dialog: like the PDF file below, that file receives every job of one
    // command.
    QtPrinter();
    // Prints into the PDF file at `pdfPath` (native path). Every job of one
    // command goes into that one file, each job from a new page; the file is
    // complete after Finish.
    explicit QtPrinter(const std::string& pdfPath);
    ~QtPrinter() override;

    void SetFont(const std::string& name, double points) override;
    void PrintLine(const std::string& text) override;
    void NewPage() override;
    void EndDoc() override;
    void Finish() override;
    double TextWidth(const std::string& text) override;
    double PageWidth() override;
    double PageHeight() override;
    double CurrentY() override;
    int PageNumber() override;

    // The Qt printer, for the printer dialog.
    QPrinter& printer() { return *printer_; }
    // The state whose open store a PDF file must never replace.
    void WatchStore(const State* s) { store_ = s; }

private:
    // Opens the job; a printer that cannot be opened throws PrinterUnavailable.
    void Begin();
    void BreakPage();
    // A PDF file as output: checked and begun under a temporary name.
    void BeginPdfTarget();
    // Printing into a file rather than on a printer.
    bool ToFile() const;

    std::unique_ptr<QPrinter> printer_;
    QPainter painter_;
    QFont font_;
    bool toPdf_ = false;
    std::string pdfPath_;                 // the file chosen by the batch tool
    const State* store_ = nullptr;
    std::unique_ptr<PdfTarget> target_;   // the PDF file being written, until Finish
    bool jobEnded_ = false;  // PDF: the next job goes on a new page of the file
    double y_ = 0;
    int page_ = 1;
};

}  // namespace pelicard
