#pragma once
#include <functional>

#include "widgets/MessageBoxes.h"

namespace tessarin::app {

// A window's message boxes: runs a hook before each box opens (a box
// ends or interrupts a run, so the window puts its progress away first), then
// shows the window's own box, or hands the request to another prompt (tests
// put a scripted one in place).
class WindowPrompt : public core::Prompt {
public:
    WindowPrompt(QWidget* owner, std::function<void()> beforeBox) : own_(owner), beforeBox_(std::move(beforeBox)) {}
    void use(core::Prompt* other) { other_ = other; }

    using core::Prompt::tell;
    void tell(std::string_view text, std::string_view caption, core::MessageIcon icon,
              std::string_view details) override
    {
        beforeBox_();
        target().tell(text, caption, icon, details);
    }
    core::Answer ask(std::string_view text, std::string_view caption, core::MessageIcon icon,
                     core::MessageButtons buttons, core::Answer defaultAnswer) override
    {
        beforeBox_();
        return target().ask(text, caption, icon, buttons, defaultAnswer);
    }

private:
    core::Prompt& target() { return other_ ? *other_ : own_; }
    widgets::QtPrompt own_;
    std::function<void()> beforeBox_;
    core::Prompt* other_ = nullptr;
};

} // namespace tessarin::app
