#pragma once
#include <cstddef>
#include <string_view>

namespace tessarin::core {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

// How many entries a box lists at most (failures, directories); the rest are
// counted in its text and all of them are in its details.
inline constexpr std::size_t kListedFailures = 20;

// Message boxes, as the core asks for them. The window shows real boxes owned
// by the asking window; tests answer from a script and record what was shown.
class Prompt {
public:
    virtual ~Prompt() = default;
    // details, when not empty, is the whole list behind the text (every
    // failure, of which the text shows the first kListedFailures): the box
    // offers it to be read and copied.
    virtual void tell(std::string_view text, std::string_view caption, MessageIcon icon, std::string_view details) = 0;
    void tell(std::string_view text, std::string_view caption, MessageIcon icon) { tell(text, caption, icon, {}); }
    virtual Answer ask(std::string_view text, std::string_view caption, MessageIcon icon, MessageButtons buttons,
                       Answer defaultAnswer) = 0;
};

} // namespace tessarin::core
