#include <QComboBox>
#include <gtest/gtest.h>

#include "platform/Path.h"
#include "widgets/DirectoryHistory.h"

using namespace tessarin::widgets;
using Strings = std::vector<std::string>;

TEST(DirectoryHistory, EntriesComeBackByteForByteAndTheFieldStaysEmpty)
{
    QComboBox field;
    field.setEditable(true);
    const Strings stored{"/home/用户/a", "/data/caf\xe9\xff", "/b"};
    tessarin::widgets::appendHistory(field, stored);
    EXPECT_EQ(field.count(), 3);
    EXPECT_EQ(field.itemText(0), QStringLiteral("/home/用户/a"));
    EXPECT_TRUE(field.currentText().isEmpty());
    EXPECT_EQ(tessarin::widgets::historyOf(field), stored);

    field.insertItem(0, QStringLiteral("/new/目录")); // as the browse dialog adds a path
    EXPECT_EQ(tessarin::widgets::historyOf(field)[0], "/new/目录");
    EXPECT_EQ(tessarin::widgets::historyOf(field)[2], "/data/caf\xe9\xff");
}

TEST(DirectoryHistory, TheRootOfTheFileSystemStaysInItsField)
{
    // "/" compares as the root text "", which the field must not show: an
    // empty field compares nothing.
    QComboBox field;
    field.setEditable(true);
    field.setEditText(QStringLiteral("/"));
    showRootText(field, "");
    EXPECT_EQ(field.currentText(), QStringLiteral("/"));
    field.setEditText(QStringLiteral("/tmp"));
    showPath(field, tessarin::platform::rootFieldText(""));
    EXPECT_EQ(field.currentText(), QStringLiteral("/"));
}
