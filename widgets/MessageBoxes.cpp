#include "widgets/MessageBoxes.h"

#include <QMessageBox>

#include "widgets/TextConversion.h"

namespace tessarin::widgets {

namespace {

QMessageBox::Icon toQtIcon(core::MessageIcon icon)
{
    switch (icon) {
    case core::MessageIcon::Information:
        return QMessageBox::Information;
    case core::MessageIcon::Warning:
        return QMessageBox::Warning;
    case core::MessageIcon::Error:
        return QMessageBox::Critical;
    case core::MessageIcon::Question:
        return QMessageBox::Question;
    case core::MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton toQtButton(core::Answer answer)
{
    switch (answer) {
    case core::Answer::Ok:
        return QMessageBox::Ok;
    case core::Answer::Yes:
        return QMessageBox::Yes;
    case core::Answer::No:
        return QMessageBox::No;
    case core::Answer::Cancel:
        return QMessageBox::Cancel;
    }
    return QMessageBox::NoButton;
}

} // namespace

QString standardErrorText(const QString& text)
{
    if (text.isEmpty() || text.back().unicode() > u'.')
        return text + QLatin1Char('.');
    return text;
}

void showStandardError(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Tessarin"), standardErrorText(text), QMessageBox::Ok, owner);
    box.exec();
}

void QtPrompt::tell(std::string_view text, std::string_view caption, core::MessageIcon icon, std::string_view details)
{
    QMessageBox box(toQtIcon(icon), displayText(caption), displayText(text), QMessageBox::Ok, owner_);
    if (!details.empty())
        box.setDetailedText(displayText(details));
    box.exec();
}

core::Answer QtPrompt::ask(std::string_view text, std::string_view caption, core::MessageIcon icon,
                           core::MessageButtons buttons, core::Answer defaultAnswer)
{
    QMessageBox::StandardButtons qtButtons = QMessageBox::Ok;
    if (buttons == core::MessageButtons::YesNo)
        qtButtons = QMessageBox::Yes | QMessageBox::No;
    else if (buttons == core::MessageButtons::YesNoCancel)
        qtButtons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    QMessageBox box(toQtIcon(icon), displayText(caption), displayText(text), qtButtons, owner_);
    box.setDefaultButton(toQtButton(defaultAnswer));
    switch (box.exec()) {
    case QMessageBox::Yes:
        return core::Answer::Yes;
    case QMessageBox::No:
        return core::Answer::No;
    case QMessageBox::Cancel:
        return core::Answer::Cancel;
    default:
        return core::Answer::Ok;
    }
}

} // namespace tessarin::widgets
