#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

namespace tessarin::app {

// The main window's outer size at design size, and the frame the layout is
// written against: outer size = client size + design frame, whatever frame
// the window manager actually draws.
inline constexpr QSize kDesignOuterSize{697, 544};
inline constexpr QSize kDesignFrame{697 - 689, 544 - 510};

// Where every control of the main window stands for one outer size, in
// client coordinates. Labels size themselves, so only their place is given.
struct MainWindowLayout {
    QRect CoolBar1, st;
    QPoint Label1, Label2, Label3, Label4;
    QRect edDir1, edDir2, Button1, Button2;
    QRect dirList1, dirList2;
    QRect BitBtn2, BitBtn3, BitBtn4;
    QRect C_L1, C_L2;
    QRect BitBtn1, BitBtn5, BitBtn6, BitBtn7, BitBtn8, BitBtn9, BitBtn10, BitBtn11;
    // Width of the "文件名" column of the file lists and of the operation
    // lists; unset below the design width, where the columns keep theirs.
    std::optional<int> fileNameColumn;
    std::optional<int> operationNameColumn;
};

// The resize rule: the panes share the width beyond (or short of) the
// design width half each, truncated toward zero; the operation lists take
// the height.
MainWindowLayout layoutForOuterSize(QSize outer);

// The smallest outer size at which the rule still gives every control a
// usable size, no two controls overlap, and every control stands inside the
// window.
QSize minimumOuterSize();

} // namespace tessarin::app
