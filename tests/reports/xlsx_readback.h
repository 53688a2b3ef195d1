#pragma once
// Reads a written .xlsx back with an independent reader (Python's openpyxl), so the tests see the
// cells as another program sees them: every sheet's name and its non-empty cells, texts as texts
// and numbers as numbers with their number formats.

#include "reports/report_layout.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace wattorio::test {

struct ReadCell {
    int row = 0;
    int col = 0;
    std::variant<std::string, double> value;
    std::string format; // a number's format ("General" when none was set)

    bool isNumber() const { return std::holds_alternative<double>(value); }
    std::string text() const { return isNumber() ? std::string() : std::get<std::string>(value); }
};

struct ReadSheet {
    std::string name;
    std::vector<ReadCell> cells;

    const ReadCell* find(int row, int col) const {
        for (const ReadCell& c : cells)
            if (c.row == row && c.col == col)
                return &c;
        return nullptr;
    }
};

struct ReadWorkbook {
    bool ok = false;
    std::string error;
    std::vector<ReadSheet> sheets;
};

inline const char* kReadbackScript = R"PY(
import sys
import openpyxl
sys.stdout.reconfigure(encoding="utf-8")
def esc(t):
    return t.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r")
for path in sys.argv[1:]:
    print("F")
    wb = openpyxl.load_workbook(path)
    for ws in wb.worksheets:
        print("S\t" + esc(ws.title))
        for row in ws.iter_rows():
            for c in row:
                v = c.value
                if v is None:
                    continue
                if isinstance(v, str):
                    print("T\t%d\t%d\t%s" % (c.row, c.column, esc(v)))
                elif isinstance(v, (int, float)) and not isinstance(v, bool):
                    print("N\t%d\t%d\t%r\t%s" % (c.row, c.column, float(v), esc(c.number_format)))
                else:
                    print("X\t%d\t%d\t%s" % (c.row, c.column, esc(str(v))))
)PY";

// The Python that has openpyxl ("" when none has): the system's first, then the one on PATH.
inline std::string readbackPython() {
    static const std::string found = [] {
        for (const char* candidate : {"/usr/bin/python3", "python3"}) {
            const std::string probe = std::string(candidate) + " -c \"import openpyxl\" >/dev/null 2>&1";
            if (std::system(probe.c_str()) == 0)
                return std::string(candidate);
        }
        return std::string();
    }();
    return found;
}

inline std::string unescapeField(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char n = text[++i];
        out += n == 't' ? '\t' : n == 'n' ? '\n' : n == 'r' ? '\r' : n;
    }
    return out;
}

inline std::vector<std::string> splitTabs(const std::string& line, std::size_t parts) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (out.size() + 1 < parts) {
        const std::size_t tab = line.find('\t', start);
        if (tab == std::string::npos)
            break;
        out.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    out.push_back(line.substr(start));
    return out;
}

// Several workbooks with one start of the reader (which takes a while to start); `scratchDir` is
// a folder the reader's script may be written into.
inline std::vector<ReadWorkbook> readWorkbooks(const std::vector<std::string>& paths,
                                               const std::string& scratchDir) {
    std::vector<ReadWorkbook> books(paths.size());
    const auto fail = [&](const std::string& why) {
        for (ReadWorkbook& b : books)
            b.error = why;
        return books;
    };
    const std::string python = readbackPython();
    if (python.empty())
        return fail("python3 with openpyxl is not installed");
    const std::string script = scratchDir + "readback.py";
    {
        std::ofstream out(script, std::ios::binary);
        out << kReadbackScript;
    }
    std::string command = python + " '" + script + "'";
    for (const std::string& path : paths)
        command += " '" + path + "'";
    command += " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return fail("cannot run " + python);
    std::string output;
    std::array<char, 65536> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), n);
    if (::pclose(pipe) != 0)
        return fail(output);
    std::size_t file = 0;
    ReadWorkbook* book = nullptr;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        const std::string line = output.substr(start, end - start);
        start = end + 1;
        if (line.empty())
            continue;
        if (line[0] == 'F') {
            book = file < books.size() ? &books[file++] : nullptr;
            if (book)
                book->ok = true;
            continue;
        }
        if (!book)
            continue;
        if (line[0] == 'S') {
            book->sheets.push_back({unescapeField(line.substr(2)), {}});
            continue;
        }
        if (book->sheets.empty())
            continue;
        const std::vector<std::string> f = splitTabs(line, 4);
        if (f.size() != 4)
            continue;
        ReadCell cell{std::stoi(f[1]), std::stoi(f[2]), std::string(), {}};
        if (f[0] == "N") {
            const std::vector<std::string> n = splitTabs(f[3], 2);
            cell.value = std::strtod(n[0].c_str(), nullptr);
            cell.format = n.size() > 1 ? unescapeField(n[1]) : "";
        } else
            cell.value = unescapeField(f[3]);
        book->sheets.back().cells.push_back(std::move(cell));
    }
    return books;
}

inline ReadWorkbook readWorkbook(const std::string& path, const std::string& scratchDir) {
    return readWorkbooks({path}, scratchDir).front();
}

// "" when the workbook holds exactly one sheet, named after the report, whose cells are those of
// the layout (same places, texts equal, numbers equal to the 16 significant digits the file keeps,
// with the layout's number format), besides the stamp lines in rows 1..4 of the layout's stamp
// column (checked by stampLines); otherwise what differs.
inline std::string differences(const ReadWorkbook& book, const reports::ReportLayout& layout) {
    if (!book.ok)
        return "not read: " + book.error;
    if (book.sheets.size() != 1)
        return "sheets: " + std::to_string(book.sheets.size());
    const ReadSheet& sheet = book.sheets.front();
    std::string out;
    if (sheet.name != reports::reportName(layout.report))
        out += "sheet name " + sheet.name + "\n";
    const auto where = [](int r, int c) { return "(" + std::to_string(r) + ", " + std::to_string(c) + ") "; };
    std::map<std::pair<int, int>, const ReadCell*> read;
    for (const ReadCell& c : sheet.cells)
        read[{c.row, c.col}] = &c;
    std::map<std::pair<int, int>, bool> wanted;
    for (const reports::ReportCell& want : layout.cells) {
        wanted[{want.row, want.col}] = true;
        const auto it = read.find({want.row, want.col});
        const ReadCell* got = it == read.end() ? nullptr : it->second;
        if (!got) {
            out += where(want.row, want.col) + "missing\n";
            continue;
        }
        if (want.isText()) {
            const std::string* text = std::get_if<std::string>(&got->value);
            if (!text || *text != want.text())
                out += where(want.row, want.col) + "text " + want.text() + " read as " +
                       (text ? *text : std::to_string(std::get<double>(got->value))) + "\n";
            continue;
        }
        const double* number = std::get_if<double>(&got->value);
        const double w = want.number();
        if (!number || std::abs(*number - w) > 1e-15 * std::abs(w))
            out += where(want.row, want.col) + "number " + std::to_string(w) + " read differently\n";
        else if (got->format != (want.format().empty() ? "General" : want.format()))
            out += where(want.row, want.col) + "format " + got->format + "\n";
    }
    const int stamp = reports::stampColumn(layout);
    for (const ReadCell& c : sheet.cells)
        if (!wanted.count({c.row, c.col}) && !(c.col == stamp && c.row <= 4))
            out += where(c.row, c.col) + "not in the layout\n";
    return out;
}

// The texts of rows 1..4 of a sheet's column `col`, "" where empty.
inline std::vector<std::string> stampLines(const ReadSheet& sheet, int col) {
    std::vector<std::string> lines;
    for (int row = 1; row <= 4; ++row) {
        const ReadCell* c = sheet.find(row, col);
        lines.push_back(c ? c->text() : std::string());
    }
    return lines;
}

} // namespace wattorio::test
