#include <gtest/gtest.h>

#include "app/MessageBoxes.h"

using tessarin::gui::standardErrorText;

TEST(StandardErrorBox, AddsAFullStopUnlessTheTextEndsAtOrBelowOne)
{
    EXPECT_EQ(standardErrorText(QStringLiteral("Unable to write to /x/settings.ini")),
              QStringLiteral("Unable to write to /x/settings.ini."));
    EXPECT_EQ(standardErrorText(QStringLiteral("done.")), QStringLiteral("done."));
    EXPECT_EQ(standardErrorText(QStringLiteral("a,")), QStringLiteral("a,"));
    EXPECT_EQ(standardErrorText(QStringLiteral("a-")), QStringLiteral("a-"));
    EXPECT_EQ(standardErrorText(QStringLiteral("a ")), QStringLiteral("a "));
    EXPECT_EQ(standardErrorText(QStringLiteral("a/")), QStringLiteral("a/."));
    EXPECT_EQ(standardErrorText(QStringLiteral("无法创建目录")), QStringLiteral("无法创建目录."));
}
