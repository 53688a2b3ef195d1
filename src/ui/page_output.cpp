#include "ui/page_output.h"

#include "app/message.h"
#include "app/safe_save.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>

namespace wattorio::ui {

namespace {

constexpr const char* kPrintTitle = "印刷";
constexpr std::size_t kMaxPdfBytes = 256u << 20;

std::string utf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool paintWaiting(const PagePainter& paint, QPrinter& printer) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool painted = paint(printer);
    QApplication::restoreOverrideCursor();
    return painted;
}

// The page as PDF bytes, written through a private temporary file; "" on failure.
std::string pdfBytes(const PagePainter& paint) {
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return {};
    const QString file = scratch.filePath(QStringLiteral("page.pdf"));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setColorMode(QPrinter::Color);
        if (!paintWaiting(paint, printer))
            return {};
    }
    QFile written(file);
    if (!written.open(QIODevice::ReadOnly) || written.size() <= 0 ||
        written.size() > static_cast<qint64>(kMaxPdfBytes))
        return {};
    const QByteArray bytes = written.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

void printPage(const PageOutput& output, const PagePainter& paint) {
    std::unique_ptr<QPrinter> printer = output.printer ? output.printer() : defaultPrinter();
    if (!printer || !printer->isValid()) {
        const Message offer{"使えるプリンターがありません。\nPDFファイルに保存しますか？", kPrintTitle,
                            Icon::Question, Buttons::OkCancel};
        if (output.prompter.show(offer) == Answer::Ok)
            savePagePdf(output, paint);
        return;
    }
    if (paintWaiting(paint, *printer))
        output.prompter.show(notice(output.printDone, "確認メッセージ"));
    else
        output.prompter.show(
            Message{"このプリンターでは印刷できません。", "印刷エラー", Icon::Warning, Buttons::Ok});
}

void savePagePdf(const PageOutput& output, const PagePainter& paint) {
    saveDocumentPdf(output, [&paint] { return pdfBytes(paint); });
}

void saveDocumentPdf(const PageOutput& output, const std::function<std::string()>& make) {
    QString path = output.pdfFile
                       ? output.pdfFile(output.suggestedPdf)
                       : QFileDialog::getSaveFileName(output.window, qs("PDFに保存"), output.suggestedPdf,
                                                      qs("PDF ファイル (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::string bytes = make();
    QApplication::restoreOverrideCursor();
    if (bytes.empty() || bytes.size() > kMaxPdfBytes) {
        output.prompter.show(
            Message{"PDFファイルを作成できません。", "書き込みエラー", Icon::Critical, Buttons::Ok});
        return;
    }
    const Status saved = saveFileAtomically(utf8(path), bytes);
    if (!saved) {
        output.prompter.show(
            Message{"PDFファイルを保存できません。\n" + utf8(path) + "\n" + saved.error().message,
                    "書き込みエラー", Icon::Critical, Buttons::Ok});
        return;
    }
    output.prompter.show(notice("PDFファイルに保存しました。\n" + utf8(path), "確認メッセージ"));
}

} // namespace wattorio::ui
