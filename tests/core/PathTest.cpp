#include <gtest/gtest.h>

#include "platform/Path.h"
#include "platform/TreePath.h"

using tessarin::platform::Path;
using tessarin::platform::RelativePath;
using tessarin::platform::Root;
using tessarin::platform::rootDirectory;
using tessarin::platform::rootTextOf;

namespace {

Path p(const char* text)
{
    return Path(text);
}

} // namespace

TEST(Path, ParentIsLexicalAndIgnoresTrailingSlashes)
{
    EXPECT_EQ(p("/a/b").parent().bytes(), "/a");
    EXPECT_EQ(p("/a/b/").parent().bytes(), "/a");
    EXPECT_EQ(p("/a/b//").parent().bytes(), "/a");
    EXPECT_EQ(p("a//b").parent().bytes(), "a");
    EXPECT_EQ(p("/a").parent().bytes(), "/");
    EXPECT_EQ(p("//a").parent().bytes(), "/");
    EXPECT_EQ(p("/").parent().bytes(), "/");
    EXPECT_EQ(p("a").parent().bytes(), ".");
    EXPECT_EQ(p("a/").parent().bytes(), ".");
}

TEST(Path, FileNameIsTheLastName)
{
    EXPECT_EQ(p("/a/b.txt").fileName(), "b.txt");
    EXPECT_EQ(p("/a/b/").fileName(), "b");
    EXPECT_EQ(p("a//b").fileName(), "b");
    EXPECT_EQ(p("b").fileName(), "b");
    EXPECT_EQ(p("/").fileName(), "");
    EXPECT_EQ(p("").fileName(), "");
    EXPECT_EQ(p("/dev/sda1").fileName(), "sda1");
}

TEST(Path, JoinPutsOneSlashBetween)
{
    EXPECT_EQ((p("/a") / "b").bytes(), "/a/b");
    EXPECT_EQ((p("/a/") / "b").bytes(), "/a/b");
    EXPECT_EQ((p("/") / "b").bytes(), "/b");
    EXPECT_EQ((p("") / "b").bytes(), "b");
    EXPECT_EQ((p("/a") / "b" / "c").bytes(), "/a/b/c");
    EXPECT_EQ(p("/a").asDirectory(), "/a/");
    EXPECT_EQ(p("/").asDirectory(), "/");
    EXPECT_EQ(p("/a/").asDirectory(), "/a/");
}

TEST(Path, IsBeneathComparesWholeNames)
{
    EXPECT_TRUE(p("/a/b/c").isBeneath(p("/a/b")));
    EXPECT_TRUE(p("/a/b/c").isBeneath(p("/a/b/")));
    EXPECT_TRUE(p("/a/b//c").isBeneath(p("/a/b")));
    EXPECT_TRUE(p("/a").isBeneath(p("/")));
    EXPECT_FALSE(p("/a/bc").isBeneath(p("/a/b")));
    EXPECT_FALSE(p("/a/b").isBeneath(p("/a/b")));
    EXPECT_FALSE(p("/a/b/").isBeneath(p("/a/b")));
    EXPECT_FALSE(p("/").isBeneath(p("/")));
    EXPECT_FALSE(p("/a").isBeneath(p("/a/b")));
    EXPECT_FALSE(p("a/b").isBeneath(p("/"))); // relative paths are not beneath the root
    EXPECT_FALSE(p("a/b").isBeneath(p("")));
    EXPECT_TRUE(p("a/b").isBeneath(p("a")));
}

TEST(Path, RelativeToCutsTheDirectoryAndItsSlash)
{
    EXPECT_EQ(p("/a/b/c.txt").relativeTo(p("/a")), "b/c.txt");
    EXPECT_EQ(p("/a//b").relativeTo(p("/a/")), "b");
    EXPECT_EQ(p("/etc").relativeTo(p("/")), "etc");
    EXPECT_EQ(p("/a/b").relativeTo(p("/a/b/")), "");
    EXPECT_EQ(p("/").relativeTo(p("/")), "");
    EXPECT_EQ(p("/a/bc").relativeTo(p("/a/b")), std::nullopt);
    EXPECT_EQ(p("/x").relativeTo(p("/a")), std::nullopt);
    EXPECT_EQ(p("").relativeTo(p("/")), std::nullopt);
}

TEST(Path, BytesThatAreNotUtf8PassUnchanged)
{
    const std::string odd = "/r/caf\xe9/\xff\xfe.txt";
    const Path path(odd);
    EXPECT_EQ(path.bytes(), odd);
    EXPECT_EQ(path.fileName(), "\xff\xfe.txt");
    EXPECT_EQ(path.parent().bytes(), "/r/caf\xe9");
    EXPECT_EQ((path.parent() / "\x80").bytes(), "/r/caf\xe9/\x80");
    EXPECT_TRUE(path.isBeneath(Path("/r/caf\xe9")));
    EXPECT_FALSE(path.isBeneath(Path("/r/caf")));
    EXPECT_EQ(path.relativeTo(Path("/r")), "caf\xe9/\xff\xfe.txt");
}

TEST(Path, AFieldTextLosesOneTrailingSlashAsItsRootText)
{
    EXPECT_EQ(rootTextOf("/data/"), "/data");
    EXPECT_EQ(rootTextOf("/data//"), "/data/");
    EXPECT_EQ(rootTextOf("/data"), "/data");
    EXPECT_EQ(rootTextOf("/"), "");
    EXPECT_EQ(rootTextOf("caf\xe9/"), "caf\xe9");
    EXPECT_EQ(rootTextOf(""), std::nullopt); // an empty field names no directory
    EXPECT_EQ(rootDirectory("").bytes(), "/");
    EXPECT_EQ(rootDirectory("/data").bytes(), "/data/");
}

// A place has one spelling however it was written, and a root text keeps its
// own "/" while the paths made from it have one "/" between names.
TEST(Path, PlacesBelowARootHaveOneSpelling)
{
    const RelativePath place = RelativePath::fromText("//a//b/c.txt/");
    EXPECT_EQ(place.text(), "a/b/c.txt");
    EXPECT_EQ(place, RelativePath() / "a" / "b/" / "c.txt");
    EXPECT_EQ(place.parent().text(), "a/b");
    EXPECT_EQ(place.fileName(), "c.txt");
    EXPECT_TRUE(place.parent().parent().parent().isRoot());
    EXPECT_TRUE(place.isInside(RelativePath::fromText("a")));
    EXPECT_TRUE(place.isInside(RelativePath()));
    EXPECT_FALSE(RelativePath::fromText("a/bc").isInside(RelativePath::fromText("a/b")));
    EXPECT_FALSE(place.isInside(place));

    EXPECT_EQ((Root("/one/") / place).bytes(), "/one/a/b/c.txt");
    EXPECT_EQ(Root("/one/").text(), "/one/");
    EXPECT_EQ((Root("") / RelativePath()).bytes(), "/");
    EXPECT_EQ((Root("") / place).bytes(), "/a/b/c.txt");
    EXPECT_EQ(Root("").fieldText(), "/");
    EXPECT_EQ(Root("/one").placeOf(Path("/one/a//b"))->text(), "a/b");
    EXPECT_FALSE(Root("/one").placeOf(Path("/onex/a")).has_value());
}
