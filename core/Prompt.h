#pragma once
#include <string_view>

namespace tessarin::core {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

// Message boxes, as the core asks for them. The window shows real boxes owned
// by the asking window; tests answer from a script and record what was shown.
class Prompt {
public:
    virtual ~Prompt() = default;
    virtual void tell(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
    virtual Answer ask(std::string_view text, std::string_view caption, MessageIcon icon, MessageButtons buttons,
                       Answer defaultAnswer) = 0;
};

} // namespace tessarin::core
