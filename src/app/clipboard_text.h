#pragma once
// The books and the clipboard: a block of cells as the tab-separated text spreadsheet programs
// paste, and text copied from a spreadsheet (tab- or comma-separated) read as a block of
// readings, every field checked before any cell is written.

#include "app/result.h"
#include "app/text_grid.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace wattorio {

// A clipboard text larger than this is no block of a book (a year book is under 100 kB).
constexpr std::size_t kMaxPastedBytes = 4u << 20;

// Rows r0..r1, columns c0..c1: fields separated by tabs, each row ended by CR LF.
std::string blockText(const TextGrid& grid, int r0, int c0, int r1, int c1);

// The readings of a selection with corners (r0, c0) and (r1, c1) in either order, as blockText:
// only rows 1..lastRow and columns firstCol..lastCol are readings, so labels and the heading row
// stay out. Empty when the selection holds no reading.
std::string readingsBlockText(const TextGrid& grid, int r0, int c0, int r1, int c1, int lastRow, int firstCol,
                              int lastCol);

// Rows of cell texts, as pasted.
using PastedBlock = std::vector<std::vector<std::string>>;

// Reads clipboard text: lines end in CR LF, LF or CR (a last line end is no row); fields are
// separated by tabs when the text has any, otherwise by commas. A field may be quoted, carry
// blanks around it, full-width digits, and (between tabs) digit-grouping commas ("1,234"); empty
// fields stay empty. Every other field must be a reading (digits with at most one point); the
// error names the first that is not by its row and column in the pasted text.
Result<PastedBlock> parsePastedBlock(std::string_view text);

// Writes the block with its first field at (row, col), rows downward and fields rightward, cut
// at lastRow and lastCol. The number of cells written.
int placeBlock(TextGrid& grid, const PastedBlock& block, int row, int col, int lastRow, int lastCol);

} // namespace wattorio
