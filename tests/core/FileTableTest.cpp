#include <gtest/gtest.h>
#include <string>

#include "sync/FileTable.h"

using tessarin::sync::FileTable;

// The name index is dropped when a file is added after it was built, and
// with the table's clear(): a table listed again answers from its new rows.
TEST(FileTable, FirstPositionFollowsTheRowsAcrossIndexAndRelisting)
{
    FileTable table;
    table.addFile({}, "a", 0x20, 1, 0);
    table.addFile({}, "b", 0x20, 1, 0);
    table.addFile({}, "a", 0x20, 1, 0);
    table.buildNameIndex();
    EXPECT_EQ(table.firstPosition("a"), 0u);
    EXPECT_EQ(table.firstPosition("a", 2), 0u); // a hint at a twin is not the first
    EXPECT_EQ(table.firstPosition("b", 0), 1u);
    table.addFile({}, "c", 0x20, 1, 0);
    EXPECT_EQ(table.firstPosition("c"), 3u);

    table.clear();
    table.addFile({}, "b", 0x20, 1, 0);
    EXPECT_FALSE(table.firstPosition("a").has_value());
    EXPECT_EQ(table.firstPosition("b"), 0u);
    table.buildNameIndex();
    table.clear();
    table.addFile({}, "x", 0x20, 1, 0);
    table.addFile({}, "b", 0x20, 1, 0);
    EXPECT_EQ(table.firstPosition("b"), 1u);

    // Enough names that they collide in the index and wrap round its end:
    // each one, folded or not, is found at its first place; twins and names
    // never added are not taken for one another.
    table.clear();
    for (int k = 0; k < 5000; ++k)
        table.addFile({}, "d" + std::to_string(k % 3000) + "/F", 0x20, 1, 0);
    table.buildNameIndex();
    table.buildFoldedIndex();
    for (int k = 0; k < 3000; ++k) {
        ASSERT_EQ(table.firstPosition("d" + std::to_string(k) + "/F"), std::size_t(k));
        ASSERT_EQ(table.firstFoldedPosition("d" + std::to_string(k) + "/f"), std::size_t(k));
    }
    EXPECT_FALSE(table.firstPosition("d3000/F").has_value());
    EXPECT_FALSE(table.firstPosition("d1/f").has_value());
}

// A compare hands a table in with a swap and builds it in a value that is
// moved: the indexes hold views into the names, and must still find them
// afterwards, also when the names are few and short.
TEST(FileTable, IndexesSurviveAMoveAndASwap)
{
    FileTable built;
    built.addFile({}, "a", 0x20, 1, 0);
    built.addFile({}, "B", 0x20, 2, 0);
    built.buildNameIndex();
    built.buildFoldedIndex();

    FileTable moved(std::move(built));
    FileTable shown;
    shown.addFile({}, "old", 0x20, 3, 0);
    shown.buildNameIndex();
    shown.swap(moved);

    EXPECT_EQ(shown.firstPosition("B"), 1u);
    EXPECT_EQ(shown.firstFoldedPosition("b"), 1u);
    EXPECT_FALSE(shown.firstPosition("old").has_value());
    EXPECT_EQ(shown.name(0), "a");
    EXPECT_EQ(moved.firstPosition("old"), 0u);
    EXPECT_EQ(moved.fileCount(), 1u);
}
