#pragma once
// A Prompt that answers from a script and records every box it was asked to show.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/Prompt.h"

namespace testsupport {

class ScriptedPrompt : public tessarin::core::Prompt {
public:
    struct Shown {
        std::string text;
        std::string caption;
        tessarin::core::MessageIcon icon;
        bool question;
        std::string details;
    };

    using tessarin::core::Prompt::tell;
    void tell(std::string_view text, std::string_view caption, tessarin::core::MessageIcon icon,
              std::string_view details) override
    {
        shown.push_back({std::string(text), std::string(caption), icon, false, std::string(details)});
        if (onShow)
            onShow(shown.back());
    }
    tessarin::core::Answer ask(std::string_view text, std::string_view caption, tessarin::core::MessageIcon icon,
                               tessarin::core::MessageButtons, tessarin::core::Answer defaultAnswer) override
    {
        shown.push_back({std::string(text), std::string(caption), icon, true, {}});
        if (onShow)
            onShow(shown.back());
        if (answers.empty())
            return defaultAnswer;
        const tessarin::core::Answer a = answers.front();
        answers.pop_front();
        return a;
    }

    std::deque<tessarin::core::Answer> answers;
    std::vector<Shown> shown;
    // Runs while each box is up, to look at the window behind it.
    std::function<void(const Shown&)> onShow;
};

} // namespace testsupport
