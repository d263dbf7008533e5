#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "sync/Texts.h"

using namespace tessarin;
using namespace tessarin::sync;

TEST(FormatFileSize, UnitsAndHalfUpRounding)
{
    EXPECT_EQ(FormatFileSize(0), "0.00 B");
    EXPECT_EQ(FormatFileSize(1023), "1023.00 B");
    EXPECT_EQ(FormatFileSize(1024), "1.00 KB");
    EXPECT_EQ(FormatFileSize(1536), "1.50 KB");
    // Exact halves go up, where printf alone would round half to even.
    EXPECT_EQ(FormatFileSize(1152), "1.13 KB");
    EXPECT_EQ(FormatFileSize(1664), "1.63 KB");
    EXPECT_EQ(FormatFileSize(1048575), "1024.00 KB");
    EXPECT_EQ(FormatFileSize(1048576), "1.00 MB");
    EXPECT_EQ(FormatFileSize(5ull << 30), "5120.00 MB");
    EXPECT_EQ(FormatFileSize(~0ull), "17592186044416.00 MB");
}

TEST(TimeText, CutsSubSecondsAndKeepsNineteenCharacters)
{
    // 2006-03-04 05:06:07.999 UTC, shown with a zone one hour east.
    const std::int64_t utc = 1141448767;
    const auto t = platform::toLocalDateTime(platform::FileTime{utc, 999999999}, 3600);
    EXPECT_EQ(t.year, 2006);
    EXPECT_EQ(t.month, 3);
    EXPECT_EQ(t.day, 4);
    EXPECT_EQ(t.hour, 6);
    EXPECT_EQ(t.second, 7);
    EXPECT_EQ(t.millisecond, 999);
    EXPECT_EQ(modifiedTimeText(localSeconds(platform::FileTime{utc, 999999999}, 0)), "2006-03-04 05:06:07");
    // Before 1970 and far outside the four-digit years: still the fixed form.
    EXPECT_EQ(modifiedTimeText(-1), "1969-12-31 23:59:59");
    EXPECT_EQ(modifiedTimeText(localSeconds(platform::FileTime{INT64_MAX / 4, 0}, 0)), "9999-12-31 23:59:59");
    EXPECT_EQ(modifiedTimeText(localSeconds(platform::FileTime{INT64_MIN / 4, 0}, 0)), "0000-01-01 00:00:00");
    EXPECT_EQ(modifiedTimeText(951782400), "2000-02-29 00:00:00");
}

TEST(TimeText, OrdersAsTheSecondsDoAndSaturatesAtTheLimits)
{
    const std::int64_t samples[] = {-62167219200, -86401, -1, 0, 59, 86399, 86400, 951782400, 1141448767, 253402300799};
    for (auto a : samples)
        for (auto b : samples)
            EXPECT_EQ(modifiedTimeText(a) > modifiedTimeText(b), a > b) << a << " " << b;
    // A zone offset added to a time at the type's limits saturates (the
    // sanitizer build would report an overflow).
    EXPECT_EQ(modifiedTimeText(localSeconds(platform::FileTime{INT64_MAX, 0}, 3600)), "9999-12-31 23:59:59");
    EXPECT_EQ(modifiedTimeText(localSeconds(platform::FileTime{INT64_MIN, 0}, -3600)), "0000-01-01 00:00:00");
    EXPECT_EQ(platform::toLocalDateTime(platform::FileTime{INT64_MAX, 0}, 3600).second,
              platform::toLocalDateTime(platform::FileTime{INT64_MAX, 0}, 0).second);
}

TEST(fileCountText, Chinese)
{
    EXPECT_EQ(fileCountText(0), "共0个文件");
    EXPECT_EQ(fileCountText(123456), "共123456个文件");
}

TEST(MaskMatch, WildcardsWithoutCase)
{
    EXPECT_TRUE(platform::matchesMask("anything", "*.*"));
    EXPECT_TRUE(platform::matchesMask("noext", "*.*"));
    EXPECT_TRUE(platform::matchesMask("Photo.JPG", "*.jpg"));
    EXPECT_FALSE(platform::matchesMask("photo.jpeg", "*.jpg"));
    EXPECT_TRUE(platform::matchesMask("a.tar.gz", "*.gz"));
    EXPECT_TRUE(platform::matchesMask("ab", "a?"));
    EXPECT_FALSE(platform::matchesMask("abc", "a?"));
    EXPECT_TRUE(platform::matchesMask("abcbd", "a*bd"));
    EXPECT_FALSE(platform::matchesMask("", "?"));
    EXPECT_TRUE(platform::matchesMask("\xe4\xb8\xad.TXT", "*.txt"));
}
