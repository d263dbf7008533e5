#include "app/ResizeRule.h"

#include <algorithm>

namespace tessarin::app {

namespace {

// Below these the operation lists show hardly a row, and the bottom-left
// buttons (which keep their lefts while the right pane moves left by half the
// shortfall) come closer to the right pane's than any two neighbours of the
// design layout (edDir2 and Button2 stand 3 pixels apart).
constexpr int kMinimumListHeight = 64; // header and two rows
constexpr int kSmallestGap = 3;

constexpr int kCoolBarHeight = 65;
constexpr int kStatusBarHeight = 18;

} // namespace

MainWindowLayout layoutForOuterSize(QSize outer)
{
    const int W = outer.width();
    const int H = outer.height();
    const int d = (W - kDesignOuterSize.width()) / 2; // C++ division truncates toward zero
    const QSize client = outer - kDesignFrame;

    MainWindowLayout l;
    l.CoolBar1 = QRect(0, 0, client.width(), kCoolBarHeight);
    l.st = QRect(0, client.height() - kStatusBarHeight, client.width(), kStatusBarHeight);

    l.Label1 = QPoint(8, 76);
    l.edDir1 = QRect(56, 72, 225 + d, 20);
    l.Button1 = QRect(288 + d, 72, 37, 21);
    l.Label2 = QPoint(364 + d, 76);
    l.edDir2 = QRect(416 + d, 72, 225 + d, 20);
    l.Button2 = QRect(W - 53, 72, 37, 21);

    l.dirList1 = QRect(8, 100, 317 + d, 201);
    l.dirList2 = QRect(364 + d, 100, 317 + d, 201);
    l.BitBtn2 = QRect(332 + d, 148, 25, 25);
    l.BitBtn3 = QRect(332 + d, 192, 25, 25);
    l.BitBtn4 = QRect(332 + d, 236, 25, 25);
    l.Label3 = QPoint(8, 308);
    l.Label4 = QPoint(364 + d, 308);

    l.C_L1 = QRect(8, 328, 317 + d, H - 419);
    l.C_L2 = QRect(364 + d, 328, 317 + d, H - 419);

    const int buttonsTop = H - 84;
    l.BitBtn1 = QRect(8, buttonsTop, 73, 25);
    l.BitBtn5 = QRect(88, buttonsTop, 73, 25);
    l.BitBtn6 = QRect(168, buttonsTop, 73, 25);
    l.BitBtn7 = QRect(252, buttonsTop, 73, 25);
    l.BitBtn8 = QRect(364 + d, buttonsTop, 73, 25);
    l.BitBtn9 = QRect(444 + d, buttonsTop, 73, 25);
    l.BitBtn10 = QRect(524 + d, buttonsTop, 73, 25);
    l.BitBtn11 = QRect(608 + d, buttonsTop, 73, 25);

    if (W >= kDesignOuterSize.width()) {
        l.fileNameColumn = 100 + d;
        l.operationNameColumn = 195 + d;
    }
    return l;
}

QSize minimumOuterSize()
{
    // The right pane's first button must stay clear of "执行" under the left
    // list: 364 + d >= 252 + 73 + gap.
    const int dMin = (252 + 73 + kSmallestGap) - 364;
    // Any W from 697 + 2 dMin - 1 gives d = dMin, but an odd shortfall brings
    // Button2 (at W - 53) one pixel closer to edDir2: the even one is the bound.
    const int clearOfLeftButtons = kDesignOuterSize.width() + 2 * dMin;
    // The right pane's "执行" moves left by half the shortfall only, while the
    // window's edge moves by all of it: its right edge 681 + d stands
    // 8 - ceil(shortfall / 2) pixels inside the client area, which must stay
    // at least the smallest gap, or the button is cut by the edge.
    const int insideTheEdge = kDesignOuterSize.width() - 2 * (8 - kSmallestGap);
    const int height = 419 + kMinimumListHeight;
    return QSize(std::max(clearOfLeftButtons, insideTheEdge), height);
}

} // namespace tessarin::app
