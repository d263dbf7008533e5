#include <algorithm>
#include <climits>
#include <gtest/gtest.h>
#include <vector>

#include "app/ResizeRule.h"

using tessarin::app::layoutForOuterSize;
using tessarin::app::MainWindowLayout;
using tessarin::app::minimumOuterSize;

namespace {

std::vector<QRect> controlRects(const tessarin::app::MainWindowLayout& l)
{
    return {l.edDir1, l.edDir2,  l.Button1, l.Button2, l.dirList1, l.dirList2, l.BitBtn2, l.BitBtn3,  l.BitBtn4, l.C_L1,
            l.C_L2,   l.BitBtn1, l.BitBtn5, l.BitBtn6, l.BitBtn7,  l.BitBtn8,  l.BitBtn9, l.BitBtn10, l.BitBtn11};
}

// Smallest distance between two controls (negative when two overlap).
int closestGap(const tessarin::app::MainWindowLayout& l)
{
    const std::vector<QRect> rects = controlRects(l);
    int gap = INT_MAX;
    for (std::size_t i = 0; i < rects.size(); ++i)
        for (std::size_t j = i + 1; j < rects.size(); ++j) {
            const QRect& a = rects[i];
            const QRect& b = rects[j];
            const int dx = std::max(b.left() - a.right() - 1, a.left() - b.right() - 1);
            const int dy = std::max(b.top() - a.bottom() - 1, a.top() - b.bottom() - 1);
            gap = std::min(gap, std::max(dx, dy));
        }
    return gap;
}

// Distance from the rightmost control to the client area's right edge.
int gapToTheRightEdge(const tessarin::app::MainWindowLayout& l, QSize outer)
{
    const int clientWidth = outer.width() - tessarin::app::kDesignFrame.width();
    int gap = INT_MAX;
    for (const QRect& r : controlRects(l))
        gap = std::min(gap, clientWidth - r.right() - 1);
    return gap;
}

} // namespace

TEST(ResizeRule, AtTheDesignSizeReproducesTheFormButNarrowsTheComboBoxes)
{
    const tessarin::app::MainWindowLayout l = tessarin::app::layoutForOuterSize(QSize(697, 544));
    EXPECT_EQ(l.edDir1, QRect(56, 72, 225, 20));
    EXPECT_EQ(l.edDir2, QRect(416, 72, 225, 20));
    EXPECT_EQ(l.Button1, QRect(288, 72, 37, 21));
    EXPECT_EQ(l.Button2, QRect(644, 72, 37, 21));
    EXPECT_EQ(l.Label2, QPoint(364, 76));
    EXPECT_EQ(l.dirList1, QRect(8, 100, 317, 201));
    EXPECT_EQ(l.dirList2, QRect(364, 100, 317, 201));
    EXPECT_EQ(l.BitBtn2, QRect(332, 148, 25, 25));
    EXPECT_EQ(l.BitBtn4, QRect(332, 236, 25, 25));
    EXPECT_EQ(l.Label4, QPoint(364, 308));
    EXPECT_EQ(l.C_L1, QRect(8, 328, 317, 125));
    EXPECT_EQ(l.C_L2, QRect(364, 328, 317, 125));
    EXPECT_EQ(l.BitBtn7, QRect(252, 460, 73, 25));
    EXPECT_EQ(l.BitBtn11, QRect(608, 460, 73, 25));
    EXPECT_EQ(l.CoolBar1, QRect(0, 0, 689, 65));
    EXPECT_EQ(l.st, QRect(0, 492, 689, 18));
    EXPECT_EQ(l.fileNameColumn, 100);
    EXPECT_EQ(l.operationNameColumn, 195);
}

TEST(ResizeRule, HalfTheExtraWidthGoesToEachPaneTruncatedTowardZero)
{
    const tessarin::app::MainWindowLayout at697 = tessarin::app::layoutForOuterSize(QSize(697, 544));
    const tessarin::app::MainWindowLayout at698 = tessarin::app::layoutForOuterSize(QSize(698, 544));
    // 698 gives d = 0: only the right-hand browse button follows the edge.
    EXPECT_EQ(at698.dirList1, at697.dirList1);
    EXPECT_EQ(at698.dirList2, at697.dirList2);
    EXPECT_EQ(at698.BitBtn11, at697.BitBtn11);
    EXPECT_EQ(at698.Button2.left(), 645);
    EXPECT_EQ(at698.fileNameColumn, 100);

    const tessarin::app::MainWindowLayout at699 = tessarin::app::layoutForOuterSize(QSize(699, 544));
    EXPECT_EQ(at699.dirList1, QRect(8, 100, 318, 201));
    EXPECT_EQ(at699.dirList2, QRect(365, 100, 318, 201));
    EXPECT_EQ(at699.edDir2, QRect(417, 72, 226, 20));
    EXPECT_EQ(at699.BitBtn3.left(), 333);
    EXPECT_EQ(at699.BitBtn8.left(), 365);
    EXPECT_EQ(at699.BitBtn7.left(), 252); // the left pane's buttons keep their place
    EXPECT_EQ(at699.fileNameColumn, 101);
    EXPECT_EQ(at699.operationNameColumn, 196);
}

TEST(ResizeRule, BelowTheDesignWidthPanesShrinkAndColumnsAreLeftAlone)
{
    const tessarin::app::MainWindowLayout l = tessarin::app::layoutForOuterSize(QSize(694, 544));
    EXPECT_EQ(l.dirList1.width(), 316);
    EXPECT_EQ(l.C_L2, QRect(363, 328, 316, 125));
    EXPECT_EQ(l.Button2.left(), 641);
    EXPECT_FALSE(l.fileNameColumn.has_value());
    EXPECT_FALSE(l.operationNameColumn.has_value());
}

TEST(ResizeRule, OperationListsAndBottomButtonsFollowTheHeight)
{
    const tessarin::app::MainWindowLayout l = tessarin::app::layoutForOuterSize(QSize(800, 700));
    EXPECT_EQ(l.C_L1.height(), 281);
    EXPECT_EQ(l.C_L2.height(), 281);
    EXPECT_EQ(l.BitBtn1.top(), 616);
    EXPECT_EQ(l.BitBtn10.top(), 616);
    EXPECT_EQ(l.dirList1.height(), 201);
    EXPECT_EQ(l.st, QRect(0, 648, 792, 18));
}

TEST(ResizeRule, TheMinimumSizeIsTheSmallestWithoutCrowdedControls)
{
    const QSize minimum = tessarin::app::minimumOuterSize();
    const int designGap = closestGap(tessarin::app::layoutForOuterSize(QSize(697, 544)));
    EXPECT_EQ(designGap, 3);

    const tessarin::app::MainWindowLayout atMinimum = tessarin::app::layoutForOuterSize(minimum);
    EXPECT_GE(closestGap(atMinimum), designGap);
    for (const QRect& r : controlRects(atMinimum))
        EXPECT_GE(std::min(r.width(), r.height()), 20);

    EXPECT_GE(gapToTheRightEdge(atMinimum, minimum), designGap);

    // One pixel narrower the right pane's "执行" comes closer to the window's
    // edge than any two controls of the design stand.
    EXPECT_LT(gapToTheRightEdge(tessarin::app::layoutForOuterSize(minimum - QSize(1, 0)), minimum - QSize(1, 0)),
              designGap);
}

TEST(ResizeRule, EveryControlStandsInsideTheWindowFromTheMinimumToTheDesignSize)
{
    for (int width = tessarin::app::minimumOuterSize().width(); width <= 697; ++width) {
        const QSize outer(width, tessarin::app::minimumOuterSize().height());
        EXPECT_GE(gapToTheRightEdge(tessarin::app::layoutForOuterSize(outer), outer), 3) << width;
        EXPECT_GT(closestGap(tessarin::app::layoutForOuterSize(outer)), 0) << width; // no two controls touch
    }
}
