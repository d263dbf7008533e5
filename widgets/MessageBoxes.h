#pragma once
#include <QString>
#include <vector>

#include "core/Prompt.h"

class QWidget;

namespace tessarin::widgets {

// The application's standard error box text: the error's text with a full
// stop added unless its last character sorts at or below "." (a space, a
// full stop, a comma, a hyphen and the like).
QString standardErrorText(const QString& text);

// Shows the standard error box: caption "Tessarin", error icon.
void showStandardError(QWidget* owner, const QString& text);

// Message boxes owned by one window, as the core asks for them.
class QtPrompt : public core::Prompt {
public:
    explicit QtPrompt(QWidget* owner) : owner_(owner) {}
    using core::Prompt::tell;
    // The details, when given, are the box's detailed text: a button opens
    // them in a field that scrolls and can be copied from.
    void tell(std::string_view text, std::string_view caption, core::MessageIcon icon,
              std::string_view details) override;
    core::Answer ask(std::string_view text, std::string_view caption, core::MessageIcon icon,
                     core::MessageButtons buttons, core::Answer defaultAnswer) override;

private:
    QWidget* owner_;
};

} // namespace tessarin::widgets
