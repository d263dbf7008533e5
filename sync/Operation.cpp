#include "sync/Operation.h"

namespace tessarin::sync {

std::string_view operationWord(Operation operation)
{
    switch (operation) {
    case Operation::Update:
        return "更新";
    case Operation::New:
        return "新建";
    case Operation::Delete:
        return "删除";
    case Operation::Attributes:
        return "属性";
    }
    return "";
}

std::string_view directionArrow(SyncSide side)
{
    return side == SyncSide::One ? "→" : "←";
}

} // namespace tessarin::sync
