#include <gtest/gtest.h>

#include "sync/FileTable.h"

using tessarin::sync::FileTable;

// The name index is dropped when a file is added after it was built, and
// with the table's clear(): a table listed again answers from its new rows.
TEST(FileTable, FirstPositionFollowsTheRowsAcrossIndexAndRelisting)
{
    FileTable table;
    table.addFile("a", 0x20, 1, 0);
    table.addFile("b", 0x20, 1, 0);
    table.addFile("a", 0x20, 1, 0);
    table.buildNameIndex();
    EXPECT_EQ(table.firstPosition("a"), 0u);
    table.addFile("c", 0x20, 1, 0);
    EXPECT_EQ(table.firstPosition("c"), 3u);

    table.clear();
    table.addFile("b", 0x20, 1, 0);
    EXPECT_FALSE(table.firstPosition("a").has_value());
    EXPECT_EQ(table.firstPosition("b"), 0u);
    table.buildNameIndex();
    table.clear();
    table.addFile("x", 0x20, 1, 0);
    table.addFile("b", 0x20, 1, 0);
    EXPECT_EQ(table.firstPosition("b"), 1u);
}

// A compare hands a table in with a swap and builds it in a value that is
// moved: the indexes hold views into the names, and must still find them
// afterwards, also when the names are few and short.
TEST(FileTable, IndexesSurviveAMoveAndASwap)
{
    FileTable built;
    built.addFile("a", 0x20, 1, 0);
    built.addFile("B", 0x20, 2, 0);
    built.buildNameIndex();
    built.buildFoldedIndex();

    FileTable moved(std::move(built));
    FileTable shown;
    shown.addFile("old", 0x20, 3, 0);
    shown.buildNameIndex();
    shown.swap(moved);

    EXPECT_EQ(shown.firstPosition("B"), 1u);
    EXPECT_EQ(shown.firstFoldedPosition("b"), 1u);
    EXPECT_FALSE(shown.firstPosition("old").has_value());
    EXPECT_EQ(shown.name(0), "a");
    EXPECT_EQ(moved.firstPosition("old"), 0u);
    EXPECT_EQ(moved.fileCount(), 1u);
}
