#include "app/clipboard_text.h"
#include "app/grid_undo.h"

#include <gtest/gtest.h>

using namespace wattorio;

TEST(PastedBlockTest, SpreadsheetTextIsReadOrRefusedWhole) {
    const struct {
        const char* text;
        PastedBlock block; // empty: refused
        const char* where;
    } cases[] = {
        {"1\t2\r\n3\t4\r\n", {{"1", "2"}, {"3", "4"}}, ""},
        {"1,2\n3,4", {{"1", "2"}, {"3", "4"}}, ""},
        {"\"1,234\"\t５.５\r\n\t 7 \r", {{"1234", "5.5"}, {"", "7"}}, ""},
        {"1,234\n", {{"1", "234"}}, ""}, // commas separate when there is no tab
        {"12\r\n\r\n3", {{"12"}, {""}, {"3"}}, ""},
        {"1\t2\r\n3\tabc\r\n", {}, "2 行目 2 列目「abc」"},
        {"1\t-2", {}, "1 行目 2 列目「-2」"},
        {"1.2.3", {}, "1 行目 1 列目"},
        {"12,34\t5", {}, "1 行目 1 列目"},
    };
    for (const auto& c : cases) {
        Result<PastedBlock> read = parsePastedBlock(c.text);
        if (c.block.empty()) {
            ASSERT_FALSE(read) << c.text;
            EXPECT_NE(read.error().message.find(c.where), std::string::npos) << read.error().message;
        } else {
            ASSERT_TRUE(read) << c.text << read.error().message;
            EXPECT_EQ(*read, c.block) << c.text;
        }
    }
}

TEST(PastedBlockTest, PlacedCutAtTheEdgeCopiedAndUndoneAsOneStep) {
    TextGrid grid(4, 4, 1, 1);
    GridUndo undo(1, 3, 1, 3, 2);
    undo.reset(grid);
    EXPECT_EQ(placeBlock(grid, {{"1", "2", "3"}, {"4", "5", "6"}}, 3, 2, 3, 3), 2);
    EXPECT_EQ(blockText(grid, 3, 1, 3, 3), "\t1\t2\r\n");
    EXPECT_TRUE(undo.record(grid, 1));
    EXPECT_FALSE(undo.record(grid)); // nothing changed since
    for (const char* t : {"a", "b"}) {
        grid.setText(1, 1, t);
        undo.record(grid);
    }
    EXPECT_EQ(undo.steps(), 2u); // the oldest step went
    EXPECT_EQ(undo.undo(grid), 0);
    EXPECT_EQ(grid.text(1, 1), "a");
    EXPECT_EQ(undo.undo(grid), 0);
    EXPECT_EQ(grid.text(1, 1), "");
    EXPECT_EQ(grid.text(3, 2), "1");
    EXPECT_FALSE(undo.undo(grid));
}
