#pragma once
// The window "自由メニューの編集" without its widgets: the rows of User_Menus.csv as a grid of
// the file's columns, the check of each field as it is entered, adding, copying and deleting
// rows, and the save. A line the program cannot read stays in the grid and, unless the user
// changes it, goes back into the file byte for byte. The file is written in its own encoding
// (Shift_JIS, or UTF-8 with or without a byte-order mark); a file in any other encoding (UTF-16
// and the like) is shown but not saved, since no line of it could be written back as it was.

#include "app/message.h"
#include "tariffs/user_menus.h"

#include <optional>
#include <string>
#include <vector>

namespace wattorio::tariffs {

class UserMenuEditor {
public:
    // Reads the file of the working folder. Returns the one message to show: the lines that
    // cannot be read, or why the file is not edited at all (then writable() is false).
    std::optional<Message> load(const std::string& appDir, int defaultUtility);

    bool writable() const { return writable_; }
    bool changed() const { return changed_; }
    int rowCount() const { return static_cast<int>(rows_.size()); }
    // Line number of a row in the file as it will be written (the heading is line 1).
    static int lineOf(int row) { return row + 2; }
    const std::string& field(int row, int column) const;
    // "" when the row gives a menu; otherwise what is wrong with it ("料金2: ...").
    std::string rowProblem(int row) const;

    // The user's entry into a cell. A text the field does not accept is refused with an input
    // error naming the field, and the cell keeps its text.
    std::optional<Message> setField(int row, int column, const std::string& text);
    // A new row at the end, filled with the usual values (the site's utility, 10 % tax, no adders).
    int addRow();
    // A copy of a row right after it; returns the copy's row.
    int copyRow(int row);
    void removeRow(int row);

    // Writes the file through the crash-safe save. When another program (a spreadsheet) changed
    // the file since it was read, `prompter` asks first whether to read it again (dropping the
    // changes made here) or to write over it; nothing it wrote is lost without that answer. The
    // message says what happened: saved (naming the rows that will still not be used), read
    // again, or why nothing was written.
    Message save(Prompter& prompter);

    enum class Encoding { ShiftJis, Utf8, Utf8WithBom, Other };
    Encoding encoding() const { return encoding_; }

private:
    struct Row {
        UserMenuFields fields;
        std::optional<std::string> keptBytes; // the line as read, until the row is changed
    };
    std::optional<Formula> formulaOf(int row) const;
    // Whether the file is no longer what was read (or written) last.
    bool changedOnDisk() const;

    std::string appDir_;
    std::optional<std::string> heading_;
    Encoding encoding_ = Encoding::ShiftJis;
    std::optional<std::string> bytesOnDisk_; // the file as last read or written; none: no file
    bool writable_ = false;
    bool changed_ = false;
    int defaultUtility_ = 1;
    std::vector<Row> rows_;
};

} // namespace wattorio::tariffs
