// Paths longer than PATH_MAX: 100 levels of 50-byte names. The trees are
// built, read and removed through directory descriptors, since no path text
// reaches that deep.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/RunCli.h"
#include "support/TempDir.h"

using namespace testsupport;

namespace {

constexpr int kLevels = 100;
const std::string kName(50, 'd');

// Removes name in dirfd and everything under it, without following links.
void removeAt(int dirfd, const char* name)
{
    if (::unlinkat(dirfd, name, 0) == 0)
        return;
    const int fd = ::openat(dirfd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd < 0)
        return;
    if (DIR* d = ::fdopendir(::dup(fd))) {
        std::vector<std::string> names;
        while (const dirent* e = ::readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.push_back(e->d_name);
        ::closedir(d);
        for (const auto& n : names)
            removeAt(fd, n.c_str());
    }
    ::close(fd);
    ::unlinkat(dirfd, name, AT_REMOVEDIR);
}

// The directory kLevels deep under root, created on the way when create is set; -1 when missing.
int openDeep(const std::string& root, bool create)
{
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; level < kLevels && fd >= 0; ++level) {
        if (create)
            ::mkdirat(fd, kName.c_str(), 0755);
        const int next = ::openat(fd, kName.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        ::close(fd);
        fd = next;
    }
    return fd;
}

void writeDeep(const std::string& root, const std::string& content)
{
    const int dir = openDeep(root, true);
    ASSERT_GE(dir, 0);
    const int fd = ::openat(dir, "leaf.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
    const struct timespec times[2] = {{1600000000, 0}, {1600000000, 0}};
    ::futimens(fd, times);
    ::close(fd);
    ::close(dir);
}

// The deep leaf's content, or "<missing>".
std::string readDeep(const std::string& root)
{
    const int dir = openDeep(root, false);
    const int fd = dir < 0 ? -1 : ::openat(dir, "leaf.txt", O_RDONLY);
    std::string content = "<missing>";
    if (fd >= 0) {
        char buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        content.assign(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
        ::close(fd);
    }
    if (dir >= 0)
        ::close(dir);
    return content;
}

class DeepPath : public ::testing::Test {
protected:
    void SetUp() override
    {
        makeDir(one());
        makeDir(two());
    }
    // The test directory's own removal walks by path text: the deep trees go first.
    void TearDown() override
    {
        for (const auto& side : {one(), two()}) {
            const int fd = ::open(side.c_str(), O_RDONLY | O_DIRECTORY);
            removeAt(fd, kName.c_str());
            ::close(fd);
        }
    }
    std::string one() const { return tmp_ / "one"; }
    std::string two() const { return tmp_ / "two"; }
    std::string dirs() const { return quoted(one()) + " " + quoted(two()); }

    TempDir tmp_;
};

} // namespace

TEST_F(DeepPath, TheDeepestFileIsListedAndCopied)
{
    ASSERT_NO_FATAL_FAILURE(writeDeep(one(), "at the bottom"));
    ASSERT_GT(kLevels * (kName.size() + 1), static_cast<std::size_t>(PATH_MAX));
    std::string out;
    ASSERT_EQ(runCli("compare " + dirs(), out), 0);
    EXPECT_NE(out.find("/leaf.txt\n"), std::string::npos) << "the deepest file is not listed";
    EXPECT_EQ(runCli("sync one-to-two " + dirs(), out), 0) << out.substr(0, 500);
    EXPECT_EQ(readDeep(two()), "at the bottom");
    EXPECT_EQ(runCli("compare " + dirs(), out), 0);
    EXPECT_EQ(out, "");
}

TEST_F(DeepPath, ADeepExtraTreeIsRemoved)
{
    ASSERT_NO_FATAL_FAILURE(writeDeep(two(), "extra"));
    writeFile(one() + "/keep.txt", "keep", 1600000000);
    writeFile(two() + "/keep.txt", "keep", 1600000000);
    std::string out;
    EXPECT_EQ(runCli("sync one-to-two " + dirs() + " --delete-old-files", out), 0) << out.substr(0, 500);
    EXPECT_EQ(readDeep(two()), "<missing>");
    EXPECT_FALSE(exists(two() + "/" + kName)) << "the extra directory is left";
    EXPECT_TRUE(exists(two() + "/keep.txt"));
}
