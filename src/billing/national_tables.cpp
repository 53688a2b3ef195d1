#include "billing/national_tables.h"

#include "app/safe_save.h"
#include "app/text_escape.h"
#include "billing/json_read.h"

#include <functional>

namespace wattorio::billing {

using namespace jsonread;

namespace {

// The entries of a table file, each checked for its source and the date it was seen; `read`
// takes one entry's key and value.
void readEntries(
    const json& root, const char* keyName,
    const std::function<void(const json& key, const json& value, const std::string& where)>& read) {
    objectAt(root, "");
    onlyKeys(root, "", {"name", "unit", "entries"});
    if (!root.contains("entries"))
        fail("", "「entries」がありません");
    const json& entries = listAt(root["entries"], "/entries", 600);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string where = child("/entries", i);
        const json& entry = objectAt(entries[i], where);
        onlyKeys(entry, where, {keyName, "value", "source", "seen", "sureness"});
        for (const char* key : {keyName, "value", "source", "seen"})
            if (!entry.contains(key))
                fail(where, std::string("「") + key + "」がありません");
        textAt(entry["source"], child(where, "source"));
        if (!parseDate(textAt(entry["seen"], child(where, "seen"))))
            fail(child(where, "seen"), "日付は \"2026-03-19\" のように書いてください");
        if (entry.contains("sureness")) {
            const std::string sureness = textAt(entry["sureness"], child(where, "sureness"));
            if (sureness != "high" && sureness != "medium-high" && sureness != "medium")
                fail(child(where, "sureness"), "\"high\"、\"medium-high\" か \"medium\" です");
        }
        read(entry[keyName], entry["value"], where);
    }
}

template <class T>
Result<T> readTable(std::string_view bytes, const std::string& fileName, const char* keyName,
                    const std::function<void(T&, const json&, const json&, const std::string&)>& read) {
    const std::string shown = "「" + escapedForMessage(fileName) + "」";
    auto root = parseDocument(bytes, kMaxNationalTableBytes, shown);
    if (!root)
        return root.error();
    T table;
    try {
        readEntries(*root, keyName, [&](const json& key, const json& value, const std::string& where) {
            read(table, key, value, where);
        });
    } catch (const JsonFault& fault) {
        return faultError(shown, fault);
    } catch (const json::exception&) {
        return Error{shown + ": 読み取れない項目があります"};
    }
    return table;
}

std::string fileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The working folder's copy when it reads, else the shipped one.
template <class T>
Result<T> loadTable(const std::string& appDir, const std::string& dataDir, const char* name,
                    Result<T> (*parse)(std::string_view, const std::string&), std::string& pathRead,
                    std::vector<std::string>& notes) {
    const auto readPath = [&](const std::string& path) -> Result<T> {
        ReadOptions options;
        options.maxBytes = kMaxNationalTableBytes;
        auto bytes = readFileBytes(path, options);
        if (!bytes)
            return bytes.error();
        return parse(*bytes, fileNameOf(path));
    };
    if (!appDir.empty() && fileExists(appDir + name)) {
        auto table = readPath(appDir + name);
        if (table) {
            pathRead = appDir + name;
            return table;
        }
        notes.push_back("作業フォルダーの " + std::string(name) +
                        " を読めないため、プログラムの表を使いました（" + table.error().message + "）");
    }
    if (dataDir.empty())
        return Error{std::string(name) + " が見つかりません（プログラムのデータフォルダーがありません）"};
    const std::string shipped = dataDir + "/" + name;
    auto table = readPath(shipped);
    if (table)
        pathRead = shipped;
    return table;
}

} // namespace

Result<std::map<int, double>> parseLevyTable(std::string_view bytes, const std::string& fileName) {
    using Table = std::map<int, double>;
    return readTable<Table>(
        bytes, fileName, "fiscal_year",
        [](Table& table, const json& key, const json& value, const std::string& where) {
            const int year = integerAt(key, child(where, "fiscal_year"), kFirstYear, kLastYear);
            if (table.count(year))
                fail(child(where, "fiscal_year"), std::to_string(year) + "年度が二度あります");
            table[year] = numberAt(value, child(where, "value"), 0, 100, kPriceDecimals);
        });
}

Result<MonthTable> parseDiscountTable(std::string_view bytes, const std::string& fileName) {
    return readTable<MonthTable>(
        bytes, fileName, "month",
        [](MonthTable& table, const json& key, const json& value, const std::string& where) {
            const auto month = parseYearMonth(textAt(key, child(where, "month")));
            if (!month)
                fail(child(where, "month"), "月は \"2026-01\" のように書いてください");
            if (table.count(*month))
                fail(child(where, "month"), yearMonthText(*month) + " が二度あります");
            // A discount lowers the bill: 0 or negative 円/kWh.
            table[*month] = numberAt(value, child(where, "value"), -100, 0, kPriceDecimals);
        });
}

Result<NationalTables> loadNationalTables(const std::string& appDir, const std::string& dataDir) {
    NationalTables tables;
    auto levy = loadTable<std::map<int, double>>(appDir, dataDir, kLevyTableName, &parseLevyTable,
                                                 tables.levyPath, tables.notes);
    if (!levy)
        return levy.error();
    auto discount = loadTable<MonthTable>(appDir, dataDir, kDiscountTableName, &parseDiscountTable,
                                          tables.discountPath, tables.notes);
    if (!discount)
        return discount.error();
    tables.levyByFiscalYear = std::move(*levy);
    tables.highVoltageDiscount = std::move(*discount);
    return tables;
}

} // namespace wattorio::billing
