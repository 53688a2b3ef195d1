// The meter file and invoice file readers on arbitrary bytes: never a crash; a file they accept
// is written back byte for byte the same on the second save and reads as the same values.

#include "billing/invoice_file.h"
#include "billing/meter_file.h"
#include "fuzz_support.h"

using namespace wattorio;
using namespace wattorio::billing;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (Result<std::vector<MeterInterval>> first = parseMeterFile(bytes)) {
        const std::string written = meterFileBytes(*first);
        Result<std::vector<MeterInterval>> second = parseMeterFile(written);
        fuzz::require(second.ok() && second->size() == first->size(), "a written meter file reads");
        for (std::size_t k = 0; k < first->size(); ++k) {
            const MeterInterval &a = (*first)[k], &b = (*second)[k];
            fuzz::require(a.date == b.date && a.start == b.start && a.minutes == b.minutes && a.kwh == b.kwh,
                          "read -> write -> read gives the same intervals");
        }
        fuzz::require(meterFileBytes(*second) == written, "the second write is byte-identical");
        // A merge of what was read into itself changes nothing.
        MeterMergeSummary summary;
        fuzz::require(mergeIntervals(*first, *first, ConflictChoice::Replace, summary).size() +
                              summary.droppedOld ==
                          first->size(),
                      "a merge with itself keeps every interval");
    }
    if (Result<std::vector<Invoice>> first = parseInvoiceFile(bytes)) {
        const std::string written = invoiceFileBytes(*first);
        Result<std::vector<Invoice>> second = parseInvoiceFile(written);
        fuzz::require(second.ok() && *second == *first, "a written invoice file reads the same");
        fuzz::require(invoiceFileBytes(*second) == written, "the second invoice write is byte-identical");
    }
    return 0;
}
