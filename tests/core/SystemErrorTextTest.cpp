#include <cerrno>
#include <clocale>
#include <gtest/gtest.h>
#include <locale.h>
#include <string>
#include <thread>
#include <vector>

#include "platform/PosixFileSystem.h"

using tessarin::platform::systemErrorText;

namespace {

bool chineseLocaleGenerated()
{
    const locale_t chinese = ::newlocale(LC_ALL_MASK, "zh_CN.UTF-8", locale_t(nullptr));
    if (chinese == locale_t(nullptr))
        return false;
    ::freelocale(chinese);
    return true;
}

} // namespace

TEST(SystemErrorText, FailureReasonsAreChineseWhateverTheProcessLocale)
{
    if (!chineseLocaleGenerated())
        GTEST_SKIP() << "the zh_CN.UTF-8 locale is not generated (scripts/install-deps.sh generates it)";
    // The test program runs in the "C" locale, as a program started without LANG does.
    ASSERT_STREQ(std::setlocale(LC_MESSAGES, nullptr), "C");
    EXPECT_EQ(systemErrorText(ENOENT), "没有那个文件或目录");
    EXPECT_EQ(systemErrorText(EACCES), "权限不够");
    EXPECT_EQ(systemErrorText(ENOTDIR), "不是目录");
    // A number with no text of its own still gets one, never an empty reason.
    EXPECT_EQ(systemErrorText(99999), "未知的错误 99999");
    // The process's own locale is left as it was.
    EXPECT_STREQ(std::setlocale(LC_MESSAGES, nullptr), "C");
}

TEST(SystemErrorText, CopyThreadsGetTheSameTextsAtOnce)
{
    const std::vector<int> numbers = {ENOENT, EACCES, ENOSPC, EROFS, EEXIST, ENOTEMPTY, EIO, 99999};
    std::vector<std::string> expected;
    for (int number : numbers)
        expected.push_back(systemErrorText(number));

    std::vector<std::vector<std::string>> seen(4);
    std::vector<std::thread> threads;
    for (auto& texts : seen) {
        threads.emplace_back([&numbers, &texts] {
            for (int round = 0; round < 200; ++round) {
                for (int number : numbers)
                    texts.push_back(systemErrorText(number));
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const auto& texts : seen) {
        ASSERT_EQ(texts.size(), 200 * numbers.size());
        for (std::size_t i = 0; i < texts.size(); ++i)
            ASSERT_EQ(texts[i], expected[i % numbers.size()]);
    }
    for (const std::string& text : expected)
        EXPECT_FALSE(text.empty());
}
