#include "app/MessageBoxes.h"

#include <QMessageBox>

#include "app/TextConversion.h"

namespace tessarin::gui {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton toQtButton(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        return QMessageBox::Ok;
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    case Answer::Cancel:
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
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Tessarin"), standardErrorText(text),
                    QMessageBox::Ok, owner);
    box.exec();
}

void QtPrompt::tell(std::string_view text, std::string_view caption, MessageIcon icon)
{
    QMessageBox box(toQtIcon(icon), displayText(caption), displayText(text), QMessageBox::Ok, owner_);
    box.exec();
}

Answer QtPrompt::ask(std::string_view text, std::string_view caption, MessageIcon icon, MessageButtons buttons,
                     Answer defaultAnswer)
{
    QMessageBox::StandardButtons qtButtons = QMessageBox::Ok;
    if (buttons == MessageButtons::YesNo)
        qtButtons = QMessageBox::Yes | QMessageBox::No;
    else if (buttons == MessageButtons::YesNoCancel)
        qtButtons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    QMessageBox box(toQtIcon(icon), displayText(caption), displayText(text), qtButtons, owner_);
    box.setDefaultButton(toQtButton(defaultAnswer));
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return Answer::Ok;
    }
}

} // namespace tessarin::gui
