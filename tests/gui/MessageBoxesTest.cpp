#include <gtest/gtest.h>

#include "widgets/MessageBoxes.h"

using tessarin::widgets::standardErrorText;

TEST(StandardErrorBox, AddsAFullStopUnlessTheTextEndsAtOrBelowOne)
{
    EXPECT_EQ(tessarin::widgets::standardErrorText(QStringLiteral("Unable to write to /x/settings.ini")),
              QStringLiteral("Unable to write to /x/settings.ini."));
    EXPECT_EQ(tessarin::widgets::standardErrorText(QStringLiteral("done.")), QStringLiteral("done."));
    EXPECT_EQ(tessarin::widgets::standardErrorText(QStringLiteral("a,")), QStringLiteral("a,"));
    EXPECT_EQ(tessarin::widgets::standardErrorText(QStringLiteral("a-")), QStringLiteral("a-"));
    EXPECT_EQ(tessarin::widgets::standardErrorText(QStringLiteral("a ")), QStringLiteral("a "));
    EXPECT_EQ(tessarin::widgets::standardErrorText(QStringLiteral("a/")), QStringLiteral("a/."));
    EXPECT_EQ(tessarin::widgets::standardErrorText(QStringLiteral("无法创建目录")), QStringLiteral("无法创建目录."));
}
