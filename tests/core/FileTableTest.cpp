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
