#include "app/BandBar.h"

#include <QPainter>
#include <QToolBar>

namespace tessarin::app {

namespace {
constexpr int kGripWidth = 11; // gripper and its margin at the left of each band
constexpr int kBandTop = 2;    // border above the first band
constexpr int kBandGap = 2;    // etched line between the bands
} // namespace

BandBar::BandBar(QToolBar* upper, int upperHeight, QToolBar* lower, int lowerHeight, QWidget* parent)
    : QFrame(parent), upper_(upper), lower_(lower), upperHeight_(upperHeight), lowerHeight_(lowerHeight)
{
    upper_->setParent(this);
    lower_->setParent(this);
}

void BandBar::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    const int width = std::max(0, this->width() - kGripWidth - 6);
    upper_->setGeometry(kGripWidth, kBandTop, width, upperHeight_);
    lower_->setGeometry(kGripWidth, kBandTop + upperHeight_ + kBandGap, width, lowerHeight_);
}

void BandBar::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    const QColor dark = palette().color(QPalette::Mid);
    const QColor light = palette().color(QPalette::Light);
    auto etchedLine = [&](int y) {
        p.setPen(dark);
        p.drawLine(0, y, width() - 1, y);
        p.setPen(light);
        p.drawLine(0, y + 1, width() - 1, y + 1);
    };
    auto gripper = [&](int top, int height) {
        for (int y = top + 3; y < top + height - 3; y += 3) {
            p.fillRect(3, y, 2, 2, dark);
            p.fillRect(4, y + 1, 1, 1, light);
        }
    };
    etchedLine(0);
    gripper(kBandTop, upperHeight_);
    etchedLine(kBandTop + upperHeight_);
    gripper(kBandTop + upperHeight_ + kBandGap, lowerHeight_);
    etchedLine(height() - 2);
}

} // namespace tessarin::app
