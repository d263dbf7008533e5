#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <unistd.h>

#include "platform/DirectoryStream.h"
#include "platform/Fd.h"
#include "support/TempDir.h"

using namespace tessarin::platform;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

bool isOpen(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

// The lowest descriptor number free now: the one the next open gets.
int nextFreeDescriptor()
{
    const int fd = ::open("/", O_PATH | O_CLOEXEC);
    ::close(fd);
    return fd;
}

std::set<std::string> namesOf(DirectoryStream& stream)
{
    std::set<std::string> names;
    while (const dirent* e = stream.next())
        names.insert(e->d_name);
    return names;
}

} // namespace

TEST(Fd, OneOwnerClosesTheDescriptorOnceAndKeepsTheFailuresReason)
{
    int pipeEnds[2];
    ASSERT_EQ(::pipe2(pipeEnds, O_CLOEXEC), 0);
    Fd first(pipeEnds[0]);
    Fd second(pipeEnds[1]);

    // A move hands the descriptor on; the one moved from closes nothing.
    Fd moved(std::move(first));
    EXPECT_FALSE(first.valid());
    EXPECT_EQ(moved.get(), pipeEnds[0]);
    // Assigning over an owner closes what it held.
    moved = std::move(second);
    EXPECT_FALSE(isOpen(pipeEnds[0]));
    EXPECT_TRUE(isOpen(pipeEnds[1]));
    // Resetting to the descriptor already held keeps it open.
    moved.reset(pipeEnds[1]);
    EXPECT_TRUE(isOpen(pipeEnds[1]));

    // Closing on a failure's way out leaves errno as the failure set it.
    errno = ENOSPC;
    moved.reset();
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_FALSE(isOpen(pipeEnds[1]));

    // A released descriptor is the caller's to close.
    ASSERT_EQ(::pipe2(pipeEnds, O_CLOEXEC), 0);
    {
        Fd held(pipeEnds[0]);
        EXPECT_EQ(held.release(), pipeEnds[0]);
    }
    EXPECT_TRUE(isOpen(pipeEnds[0]));
    Fd closing(pipeEnds[0]);
    EXPECT_EQ(closing.close(), 0);
    EXPECT_FALSE(closing.valid());
    EXPECT_FALSE(isOpen(pipeEnds[0]));
    ::close(pipeEnds[1]);
}

TEST(DirectoryStream, ADescriptorHandedOverIsClosedByTheStreamOrAtOnceWhenRefused)
{
    TempDir tmp;
    writeFile(tmp / "a", "");
    writeFile(tmp / "b", "");
    const std::set<std::string> both{"a", "b"};

    // A copy reads the directory from its first entry, however far the
    // descriptor it copies was read, and leaves that descriptor open.
    const int before = nextFreeDescriptor();
    {
        const Fd dir(::open(tmp.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        {
            DirectoryStream first = DirectoryStream::copyOf(dir.get());
            ASSERT_TRUE(first.isOpen());
            EXPECT_EQ(namesOf(first), both);
        }
        DirectoryStream again = DirectoryStream::copyOf(dir.get());
        EXPECT_EQ(namesOf(again), both);
        EXPECT_EQ(again.error(), 0);
        EXPECT_TRUE(isOpen(dir.get()));
        // Moving a stream moves what it owns.
        DirectoryStream moved(std::move(again));
        EXPECT_FALSE(again.isOpen());
        EXPECT_TRUE(moved.isOpen());
    }
    EXPECT_EQ(nextFreeDescriptor(), before) << "every copy was closed with its stream";

    // A descriptor that is not a directory's is refused, and closed.
    {
        DirectoryStream refused(Fd(::open((tmp / "a").c_str(), O_RDONLY | O_CLOEXEC)));
        EXPECT_FALSE(refused.isOpen());
        EXPECT_EQ(nextFreeDescriptor(), before);
    }
    DirectoryStream missing(tmp / "none");
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(nextFreeDescriptor(), before);
}
