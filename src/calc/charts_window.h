#pragma once
// The pictures of the results window, drawn with Qt Charts from the figures of the last
// calculation (result_charts.h): monthly kWh by band for working days and days off, the average
// hourly profile over the utility's hour bands, and each month's largest hourly reading against
// the contract power. Each can be saved as a PNG file; "グラフ印刷" prints all three on one page.
// A ten-day site has no hourly readings: the two hourly pictures then say so instead.

#include "app/app_state.h"
#include "app/message.h"
#include "calc/result_charts.h"
#include "ui/page_output.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <array>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QChart;
class QChartView;
class QLabel;
class QPrinter;
class QStackedWidget;
class QTabWidget;

namespace wattorio::calc {

class ResultCharts : public QWidget {
    Q_OBJECT
public:
    enum Picture { Monthly = 0, Hourly = 1, Peak = 2 };
    static constexpr int kPictureCount = 3;

    // `prompter` tells the user where a picture was saved or why it could not be.
    explicit ResultCharts(Prompter& prompter, QWidget* parent = nullptr);

    // Draws the figures now in the shared state: call when a calculation has run. `hourlyBook`
    // is false for a ten-day site, whose hourly tables are not this site's.
    void refresh(const AppState& state, bool hourlyBook);

    const ResultChartData& data() const { return data_; }
    QChart* chart(Picture picture) const { return charts_[static_cast<std::size_t>(picture)]; }
    // Whether the picture is drawn (false: the ten-day message stands in its place).
    bool drawn(Picture picture) const;
    // The picture shown in the tabs.
    Picture current() const;
    void setCurrent(Picture picture);

    // The picture drawn at `size` (white background), or the ten-day message in its place.
    QImage image(Picture picture, QSize size = QSize(1200, 700)) const;
    // Writes image(picture) as a PNG file (crash-safe); false when it could not be written.
    bool savePng(Picture picture, const QString& path, QString* error = nullptr) const;
    // The three pictures one below the other on one page of `printer`.
    bool print(QPrinter& printer) const;
    // "PDFに保存": the three pictures drawn as vectors on one A4 page under a heading block (site,
    // utility, period, date made), footed like the site report; "" when it could not be made.
    std::string vectorPdf(std::time_t made) const;

    // "PNG保存" and "PDFに保存" ask for a file name through this (the default shows a save
    // dialog); an empty answer cancels. "グラフ印刷" prints on what the printer factory gives (default: the
    // system's default printer, nullptr without one).
    using FileNameProvider = std::function<QString(const QString& suggested)>;
    void setFileNameProvider(FileNameProvider provider) { fileName_ = std::move(provider); }
    using PrinterFactory = std::function<std::unique_ptr<QPrinter>()>;
    void setPrinterFactory(PrinterFactory factory) { printerFactory_ = std::move(factory); }
    // The folder the save dialog starts in.
    void setSaveFolder(const QString& folder) { saveFolder_ = folder; }

    void savePngClicked();
    void printClicked();
    void savePdfClicked();

private:
    ui::PageOutput pageOutput();
    void drawMonthly();
    void drawHourly();
    void drawPeak();
    static void clear(QChart* chart);

    Prompter& prompter_;
    ResultChartData data_;
    std::string siteName_;
    std::vector<std::pair<std::string, std::string>> heading_; // label, value
    QTabWidget* tabs_ = nullptr;
    std::array<QChart*, kPictureCount> charts_{};
    std::array<QChartView*, kPictureCount> views_{};
    std::array<QStackedWidget*, kPictureCount> stacks_{};
    std::array<QLabel*, kPictureCount> messages_{};
    FileNameProvider fileName_;
    PrinterFactory printerFactory_;
    QString saveFolder_;
};

} // namespace wattorio::calc
