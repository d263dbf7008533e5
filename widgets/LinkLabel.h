#pragma once
#include <QColor>
#include <QLabel>

namespace tessarin::widgets {

// A label that works as a link: blue text, the hand pointer, red while the
// pointer is over it, and a click signal. A click leaves the colour alone, so
// the text stays red until the pointer leaves.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    LinkLabel(const QString& text, const QString& hint, QWidget* parent);

    static QColor normalColour() { return QColor(0, 0, 255); }
    static QColor hoverColour() { return QColor(255, 0, 0); }

    QColor textColour() const;

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void setTextColour(const QColor& colour);
    bool pressed_ = false;
};

} // namespace tessarin::widgets
