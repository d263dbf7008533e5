#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessarin::sync {

// The side of a row, a table or a root: directory one or directory two.
enum class SyncSide : std::uint8_t { One = 1, Two = 2 };
inline constexpr SyncSide kBothSides[] = {SyncSide::One, SyncSide::Two};
inline constexpr SyncSide otherSide(SyncSide side)
{
    return side == SyncSide::One ? SyncSide::Two : SyncSide::One;
}
// Where a side's table, list or root stands in a pair of them: 0 or 1.
inline constexpr std::size_t sideIndex(SyncSide side)
{
    return side == SyncSide::One ? 0 : 1;
}

enum class Operation : std::uint8_t {
    Update,     // "更新": copy the source over the older target
    New,        // "新建": copy the source where the target has no such file
    Delete,     // "删除": delete the target's file
    Attributes, // "属性": give the target the source's attribute word
};

std::string_view operationWord(Operation operation);

// "→" for the rows of C_L1 (side 1), "←" for those of C_L2 (side 2).
std::string_view directionArrow(SyncSide side);

// One row of an operation list. The arrow is the list's own: a row's side is
// the list it stands in.
struct SyncOperation {
    Operation operation;
    std::string FileName;
    bool Checked = false;
};

using OperationList = std::vector<SyncOperation>;

} // namespace tessarin::sync
