// Invoices beside the monthly bill: the file's checks, recording a month, the comparison.

#include "app/sjis.h"
#include "billing/invoice_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

using namespace wattorio;
using namespace wattorio::billing;

namespace {

std::string heading() {
    std::string h;
    toCp932(kInvoiceFileHeading, h);
    return h + "\r\n";
}

} // namespace

TEST(InvoiceFile, RecordsAMonthAndReplacesIt) {
    test::TempDir dir;
    const std::string path = dir.file("000001_Invoice.csv");
    ASSERT_TRUE(recordInvoice(path, {2025, 5, 41230, 212, 98, 1023456}));
    ASSERT_TRUE(recordInvoice(path, {2025, 4, 40000.5, 200, 97, 1000000}));
    ASSERT_TRUE(recordInvoice(path, {2025, 5, 41231, 212, 98, 1023457}));
    EXPECT_EQ(dir.read("000001_Invoice.csv"),
              heading() + "2025-04,40000.5,200,97,1000000\r\n2025-05,41231,212,98,1023457\r\n");
    const InvoiceFileRead read = readInvoiceFile(path);
    ASSERT_EQ(read.state, MeterFileState::Loaded);
    ASSERT_NE(findInvoice(read.invoices, 2025, 5), nullptr);
    EXPECT_EQ(findInvoice(read.invoices, 2025, 5)->amount, 1023457);
    EXPECT_FALSE(recordInvoice(path, {2025, 6, 1, 1, 0, 1})); // power factor 0
}

TEST(InvoiceFile, DamagedFilesAreRefusedAndKept) {
    const char* bodies[] = {"2025-05,1,1,98,1\r\n2025-04,1,1,98,1\r\n",
                            "2025-05,1,1,98,1\r\n2025-05,1,1,98,1\r\n",
                            "2025-13,1,1,98,1\r\n",
                            "2025-05,1,1,101,1\r\n",
                            "2025-05,1,1,98,1.5\r\n",
                            "2025-05,-1,1,98,1\r\n",
                            "2025-05,1,1,98\r\n",
                            "2025-05,1,1,98,1,1\r\n"};
    for (const char* body : bodies)
        EXPECT_FALSE(parseInvoiceFile(heading() + body)) << body;
    test::TempDir dir;
    dir.write("000001_Invoice.csv", heading() + bodies[0]);
    EXPECT_FALSE(recordInvoice(dir.file("000001_Invoice.csv"), {2025, 6, 1, 1, 90, 1}));
    EXPECT_EQ(dir.read("000001_Invoice.csv"), heading() + bodies[0]);
}

TEST(InvoiceFile, BillAgainstInvoice) {
    const struct {
        long long bill, amount, yen;
        double percent;
        bool off;
    } cases[] = {{1010, 1000, 10, 1.0, false}, {1011, 1000, 11, 1.1, true}, {980, 1000, -20, -2.0, true}};
    for (const auto& c : cases) {
        const InvoiceCheck check = checkAgainstInvoice(c.bill, {2025, 4, 1, 1, 90, c.amount});
        EXPECT_EQ(check.differenceYen, c.yen);
        EXPECT_NEAR(*check.differencePercent, c.percent, 1e-9);
        EXPECT_EQ(check.off, c.off) << c.bill;
    }
    EXPECT_TRUE(checkAgainstInvoice(5, {2025, 4, 1, 1, 90, 0}).off);
}
