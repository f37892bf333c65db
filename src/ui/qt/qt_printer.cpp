#include "ui/qt/qt_printer.hpp"

#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPrinter>

#include "common/fault.hpp"
#include "common/text.hpp"

namespace pelicard {
namespace {

QString FromCp1252(const std::string& text) { return QString::fromStdString(Cp1252ToUtf8(text)); }

}  // namespace

QtPrinter::QtPrinter() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    SetFont("Arial", 10);
}

QtPrinter::QtPrinter(const std::string& pdfPath)
    : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)), toPdf_(true), pdfPath_(pdfPath) {
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(QString::fromStdString(pdfPath));
    printer_->setPageSize(QPageSize(QPageSize::A4));
    SetFont("Arial", 10);
}

QtPrinter::~QtPrinter() {
    if (painter_.isActive()) painter_.end();
    // An unfinished PDF file is dropped with its temporary name.
}

void QtPrinter::BeginPdfTarget() {
    if (target_ || printer_->outputFormat() != QPrinter::PdfFormat) return;
    const std::string path = toPdf_ ? pdfPath_ : printer_->outputFileName().toStdString();
    if (path.empty()) return;
    static const State kNoStore;
    // The window's dialog asked before choosing an existing file; the batch
    // tool never replaces one.
    try {
        target_ = OpenPdfTarget(store_ ? *store_ : kNoStore, path, !toPdf_);
    } catch (const Fault& e) {
        // A file that cannot take the print ends the print command only.
        throw PrinterUnavailable(Utf8ToCp1252("Impossible d'ouvrir l'imprimante \xc2\xab " + path + " \xc2\xbb\r\n") +
                                 e.what());
    }
    printer_->setOutputFileName(QString::fromStdString(PdfWritePath(*target_)));
}

void QtPrinter::SetFont(const std::string& name, double points) {
    font_ = QFont(FromCp1252(name));
    font_.setPointSizeF(points);
    // Small top and bottom margins: a page holds its header and 63 lines.
    printer_->setPageMargins(QMarginsF(15, 8, 15, 8), QPageLayout::Millimeter);
    if (painter_.isActive()) painter_.setFont(font_);
}

void QtPrinter::Begin() {
    if (painter_.isActive()) {
        if (jobEnded_) {
            // PDF file: the next job of the command starts a new page.
            printer_->newPage();
            jobEnded_ = false;
            y_ = 0;
            page_ = 1;
        }
        return;
    }
    BeginPdfTarget();
    if (!painter_.begin(printer_.get())) {
        // The chosen file's own name, not the temporary one written first.
        const QString target = target_ ? QString::fromStdString(target_->path)
                               : ToFile() ? printer_->outputFileName() : printer_->printerName();
        std::string what = "Impossible d'ouvrir l'imprimante";
        target_.reset();
        if (target.isEmpty()) what.append(" : aucune imprimante n'est choisie");
        else what.append(" \xc2\xab ").append(target.toStdString()).append(" \xc2\xbb");
        throw PrinterUnavailable(Utf8ToCp1252(what));
    }
    painter_.setFont(font_);
    jobEnded_ = false;
    y_ = 0;
    page_ = 1;
}

void QtPrinter::BreakPage() {
    if (!printer_->newPage()) throw Fault(Utf8ToCp1252("Impossible de passer à la page suivante"));
    y_ = 0;
    ++page_;
}

void QtPrinter::PrintLine(const std::string& text) {
    Begin();
    QFontMetricsF fm(font_, printer_.get());
    const double height = painter_.viewport().height();
    if (y_ > 0 && y_ + fm.height() > height) BreakPage();
    if (!text.empty()) painter_.drawText(QPointF(0, y_ + fm.ascent()), FromCp1252(text));
    y_ += fm.lineSpacing();
}

void QtPrinter::NewPage() {
    Begin();
    BreakPage();
}

bool QtPrinter::ToFile() const { return toPdf_ || !printer_->outputFileName().isEmpty(); }

void QtPrinter::EndDoc() {
    if (!painter_.isActive()) return;
    // A file (given here, or chosen in the printer dialog) would be written
    // anew by each job: the jobs of the command go on in it until Finish.
    if (ToFile()) {
        jobEnded_ = true;
        return;
    }
    painter_.end();
    y_ = 0;
    page_ = 1;
}

void QtPrinter::Finish() {
    if (painter_.isActive()) painter_.end();
    jobEnded_ = false;
    y_ = 0;
    page_ = 1;
    if (!target_) return;
    // The next print starts again from the chosen name.
    std::unique_ptr<PdfTarget> done = std::move(target_);
    printer_->setOutputFileName(QString::fromStdString(done->path));
    CommitPdfTarget(*done);
}

double QtPrinter::TextWidth(const std::string& text) {
    return QFontMetricsF(font_, printer_.get()).horizontalAdvance(FromCp1252(text));
}

double QtPrinter::PageWidth() { return printer_->pageRect(QPrinter::DevicePixel).width(); }

double QtPrinter::PageHeight() { return printer_->pageRect(QPrinter::DevicePixel).height(); }

double QtPrinter::CurrentY() { return y_; }

int QtPrinter::PageNumber() { return jobEnded_ ? 1 : page_; }

}  // namespace pelicard
