#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessarin::sync {

// The side of a row, a table or a root: 1 is directory one, 2 directory two.
using SyncSide = int;
inline int otherSide(SyncSide side)
{
    return side == 1 ? 2 : 1;
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
