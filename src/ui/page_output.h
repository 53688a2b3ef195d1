#pragma once
// "画面印刷" / "グラフ印刷" and "PDFに保存": one A4 page, painted by the window, on the system's
// printer or into a PDF file (the same picture either way). With no printer, printing offers the
// PDF file instead. Every outcome is told through the prompter.

#include <QString>

#include <functional>
#include <memory>
#include <string>

class QPrinter;
class QWidget;

namespace wattorio {
class Prompter;
}

namespace wattorio::ui {

// Lays out and paints the page on `printer`; false when the printer refused.
using PagePainter = std::function<bool(QPrinter& printer)>;
// The printer to print on (tests give their own); null = the system's default printer.
using PrinterFactory = std::function<std::unique_ptr<QPrinter>()>;
// The PDF file's path as the user chose it from `suggested` ("" = cancelled); null = the save dialog.
using PdfFileChooser = std::function<QString(const QString& suggested)>;

struct PageOutput {
    QWidget* window;
    Prompter& prompter;
    PrinterFactory printer;
    PdfFileChooser pdfFile;
    const char* printDone; // the completion message of printing, e.g. "画面印刷完了"
    QString suggestedPdf;  // the path the save dialog starts with
};

// Prints the page; with no usable printer, asks whether to save it as a PDF file instead.
void printPage(const PageOutput& output, const PagePainter& paint);
// Asks for a file name and saves the page there as an A4 PDF file (through the crash-safe save).
void savePagePdf(const PageOutput& output, const PagePainter& paint);
// The same for a document made whole by `make` (its PDF bytes, "" when it could not be made), such
// as the site report.
void saveDocumentPdf(const PageOutput& output, const std::function<std::string()>& make);

} // namespace wattorio::ui
