#include "widgets/LinkLabel.h"

#include <QMouseEvent>

#include "widgets/WindowFont.h"

namespace tessarin::widgets {

LinkLabel::LinkLabel(const QString& text, const QString& hint, QWidget* parent) : QLabel(text, parent)
{
    QFont linkFont = windowFont(); // "宋体", 12 pixels
    linkFont.setUnderline(false);
    setFont(linkFont);
    setToolTip(hint);
    setCursor(Qt::PointingHandCursor);
    setTextColour(normalColour());
    adjustSize();
}

QColor LinkLabel::textColour() const
{
    return palette().color(QPalette::WindowText);
}

void LinkLabel::setTextColour(const QColor& colour)
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, colour);
    setPalette(colours);
}

void LinkLabel::enterEvent(QEnterEvent* event)
{
    setTextColour(hoverColour());
    QLabel::enterEvent(event);
}

void LinkLabel::leaveEvent(QEvent* event)
{
    setTextColour(normalColour());
    QLabel::leaveEvent(event);
}

void LinkLabel::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    // A click is a press and a release of the left button on the label.
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

} // namespace tessarin::widgets
