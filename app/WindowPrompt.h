#pragma once
#include <functional>

#include "app/MessageBoxes.h"

namespace tessarin::gui {

// A window's message boxes: runs a hook before each box opens (a box
// ends or interrupts a run, so the window puts its progress away first), then
// shows the window's own box, or hands the request to another prompt (tests
// put a scripted one in place).
class WindowPrompt : public Prompt {
public:
    WindowPrompt(QWidget* owner, std::function<void()> beforeBox)
        : own_(owner), beforeBox_(std::move(beforeBox))
    {
    }
    void use(Prompt* other) { other_ = other; }

    void tell(std::string_view text, std::string_view caption, MessageIcon icon) override
    {
        beforeBox_();
        target().tell(text, caption, icon);
    }
    Answer ask(std::string_view text, std::string_view caption, MessageIcon icon, MessageButtons buttons,
               Answer defaultAnswer) override
    {
        beforeBox_();
        return target().ask(text, caption, icon, buttons, defaultAnswer);
    }

private:
    Prompt& target() { return other_ ? *other_ : own_; }
    QtPrompt own_;
    std::function<void()> beforeBox_;
    Prompt* other_ = nullptr;
};

} // namespace tessarin::gui
