#include "sync/RootCheck.h"

#include "platform/Path.h"

namespace tessarin::sync {

namespace {

// Enough for any real depth; a bound in case a file system answers oddly.
constexpr int kMaxClimb = 4096;

const char* sideName(SyncSide side)
{
    return side == SyncSide::One ? "目录一" : "目录二";
}

} // namespace

bool liesInside(platform::FileSystem& fs, const std::string& path, platform::FileId outer)
{
    std::string current = path;
    std::optional<platform::FileId> id = fs.directoryId(current);
    // Not there yet: it would be made inside its nearest existing ancestor.
    for (int i = 0; !id && i < kMaxClimb; ++i) {
        std::string parent = platform::Path(current).parent().bytes();
        if (parent == current)
            return false;
        current = std::move(parent);
        id = fs.directoryId(current);
    }
    for (int i = 0; id && i < kMaxClimb; ++i) {
        if (*id == outer)
            return true;
        current += "/..";
        const std::optional<platform::FileId> parent = fs.directoryId(current);
        if (parent && *parent == *id)
            return false; // the top of the tree
        id = parent;
    }
    return false;
}

std::optional<std::string> rootsRefusal(platform::FileSystem& fs, const platform::Root& root1,
                                        const platform::Root& root2, std::optional<SyncSide> requiredSource,
                                        const bool (&walkedInto)[2])
{
    const std::string start[2] = {root1.directory().bytes(), root2.directory().bytes()};
    const std::optional<platform::FileId> id[2] = {fs.directoryId(start[0]), fs.directoryId(start[1])};
    if (requiredSource && !id[sideIndex(*requiredSource)]) {
        const platform::Root& root = *requiredSource == SyncSide::One ? root1 : root2;
        return std::string(sideName(*requiredSource)) + "“" + root.fieldText() + "”不存在或不是目录，同步没有执行。";
    }
    if (id[0] && id[1] && *id[0] == *id[1])
        return std::string("目录一和目录二是同一个目录，同步没有执行。");
    for (const SyncSide outer : kBothSides) {
        const SyncSide inner = otherSide(outer);
        const std::size_t o = sideIndex(outer);
        if (walkedInto[o] || (id[o] && liesInside(fs, start[sideIndex(inner)], *id[o])))
            return std::string(sideName(inner)) + "位于" + sideName(outer) + "之内，同步没有执行。";
    }
    return std::nullopt;
}

} // namespace tessarin::sync
