#pragma once
#include <string_view>

#include "sync/Operation.h"

namespace tessarin::sync {

// Who shows a SyncSession's tables and lists (the main window's four lists).
// A compare builds each side's FileTable and both operation lists apart from
// the session and hands each in whole, with a swap; it empties them the same
// way when it begins and when it is stopped. Each swap is announced before
// and after, as a Qt model announces a reset: between the two calls the
// session's tables and lists must not be read. Between the "after" call and
// the next "before" call nothing changes under the reader.
//
// Every call comes from the thread that called CompareDirectories, never
// from a listing thread, and nothing else happens between a "before" and its
// "after": no event is processed and no progress is shown.
class SessionObserver {
public:
    virtual ~SessionObserver() = default;

    // Both tables and both lists are about to be emptied: a compare begins,
    // or one was stopped and nothing it saw may be shown or synchronised.
    virtual void listsAboutToBeRebuilt() {}
    // They are empty now.
    virtual void listsEmptied() {}

    // A side's table is about to be handed in.
    virtual void sideAboutToBeListed(SyncSide /*side*/) {}
    // It is in place and final until the next compare; countText is its
    // file count as the window shows it ("共%d个文件").
    virtual void sideListed(SyncSide /*side*/, std::string_view /*countText*/) {}

    // Both operation lists are about to be handed in.
    virtual void listsAboutToBeReady() {}
    // They are in place, every row unchecked.
    virtual void listsReady() {}
};

} // namespace tessarin::sync
