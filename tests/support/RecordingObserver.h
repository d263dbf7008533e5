#pragma once
// A SessionObserver that records the count texts a compare announced and
// checks that every swap comes between its two calls.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "sync/SessionObserver.h"

namespace testsupport {

class RecordingObserver : public tessarin::sync::SessionObserver {
public:
    void listsAboutToBeRebuilt() override { begin("rebuild"); }
    void listsEmptied() override { end("rebuild"); }
    void sideAboutToBeListed(tessarin::sync::SyncSide side) override
    {
        begin("side" + std::to_string(tessarin::sync::sideIndex(side) + 1));
    }
    void sideListed(tessarin::sync::SyncSide side, std::string_view countText) override
    {
        end("side" + std::to_string(tessarin::sync::sideIndex(side) + 1));
        counts.emplace_back(std::to_string(tessarin::sync::sideIndex(side) + 1) + ":" + std::string(countText));
    }
    void listsAboutToBeReady() override { begin("lists"); }
    void listsReady() override { end("lists"); }

    // "side:共%d个文件", one per side listed, in order.
    std::vector<std::string> counts;
    // Every announcement, "rebuild", "side1", "side2" or "lists", in order.
    std::vector<std::string> events;

private:
    void begin(const std::string& what)
    {
        EXPECT_TRUE(open_.empty()) << what << " begun inside " << open_;
        open_ = what;
    }
    void end(const std::string& what)
    {
        EXPECT_EQ(open_, what);
        open_.clear();
        events.push_back(what);
    }
    std::string open_;
};

} // namespace testsupport
