// The bill's cells as the window shows them and the invoice figures it reads from a spreadsheet.

#include "billing/bill_workbook.h"

#include <gtest/gtest.h>

namespace {

using namespace wattorio::billing;

TEST(BillCellText, ShowsTheNumberAsItsFormatDoes) {
    const struct {
        double value;
        const char* format;
        const char* shown;
    } cases[] = {
        {1234567, "#,##0", "1,234,567"},
        {-146665, "#,##0", "-146,665"},
        {999, "#,##0", "999"},
        {121562.4, "#,##0.00", "121,562.40"},
        {-1000.5, "#,##0.00", "-1,000.50"},
        {39000, "#,##0.##", "39,000"},
        {41230.25, "#,##0.##", "41,230.25"},
        {98, "0.##", "98"},
        {-4.76, "0.00", "-4.76"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(billCellText({c.value, {}}, c.format), c.shown) << c.value << " " << c.format;
    EXPECT_EQ(billCellText({std::nullopt, "データなし"}, "#,##0"), "データなし");
}

TEST(InvoiceNumber, ReadsWhatASpreadsheetCopies) {
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {{"41,230", 41230},     {" 98 ", 98},       {"98%", 98},           {"1023456\r", 1023456},
                 {"12.5", 12.5},        {"", std::nullopt}, {"abc", std::nullopt}, {"1.2.3", std::nullopt},
                 {"１２", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(invoiceNumber(c.text), c.value) << c.text;
}

} // namespace
