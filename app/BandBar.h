#pragma once
#include <QFrame>

class QToolBar;

namespace tessarin::app {

// The band bar at the top of the main window: two bands, one above the
// other, each with a gripper at its left and one tool bar filling the rest.
class BandBar : public QFrame {
    Q_OBJECT
public:
    BandBar(QToolBar* upper, int upperHeight, QToolBar* lower, int lowerHeight, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolBar* upper_;
    QToolBar* lower_;
    int upperHeight_;
    int lowerHeight_;
};

} // namespace tessarin::app
