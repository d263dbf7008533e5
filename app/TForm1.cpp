// The main window: its controls, menus, bars and layout.
#include "app/TForm1.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>

#include "app/BandBar.h"
#include "app/FileListModel.h"
#include "app/OperationListModel.h"
#include "app/QtProgress.h"
#include "app/ResizeRule.h"
#include "app/WindowLists.h"
#include "app/WindowPrompt.h"
#include "app/Workspace.h"
#include "widgets/CommandJob.h"
#include "widgets/DesktopShell.h"
#include "widgets/Icons.h"
#include "widgets/ListKeys.h"
#include "widgets/MessageBoxes.h"
#include "widgets/WindowFont.h"

tessarin::app::TForm1* Form1 = nullptr;

namespace tessarin::app {

namespace {

QPushButton* imageButton(QWidget* parent, const QIcon& icon, const QString& text, const QString& hint = {})
{
    auto* button = new QPushButton(icon, text, parent);
    button->setToolTip(hint);
    button->setIconSize(QSize(16, 16));
    return button;
}

QComboBox* pathField(QWidget* parent)
{
    auto* field = new QComboBox(parent);
    field->setEditable(true);
    field->setInsertPolicy(QComboBox::NoInsert); // the history is kept by the settings file
    field->setMaxVisibleItems(20);
    return field;
}

// A report-style list: whole-row selection, read-only, one line per row,
// columns of fixed start widths that the user may drag.
QTableView* reportList(QWidget* parent, QAbstractItemModel* model, std::initializer_list<int> widths, bool grid)
{
    auto* view = new QTableView(parent);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setShowGrid(grid);
    view->setWordWrap(false);
    view->setCornerButtonEnabled(false);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    QHeaderView* rows = view->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(view->fontMetrics().height() + 3);
    QHeaderView* columns = view->horizontalHeader();
    columns->setHighlightSections(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setStretchLastSection(false);
    columns->setMinimumSectionSize(8);
    int column = 0;
    for (int width : widths)
        columns->resizeSection(column++, width);
    return view;
}

QToolButton* menuRowButton(const QString& text, QMenu* menu)
{
    auto* button = new QToolButton;
    button->setText(text);
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus); // opened by its mnemonic or the mouse; Tab passes it by
    button->setFixedSize(55, 20);
    return button;
}

QToolButton* commandButton(const QIcon& icon, const QString& text, const QString& hint)
{
    auto* button = new QToolButton;
    button->setIcon(icon);
    button->setText(text);
    button->setToolTip(hint);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus); // as the buttons of a tool bar do: Tab passes them by
    button->setFixedSize(79, 35);
    return button;
}

QToolBar* flatBar(QWidget* parent)
{
    auto* bar = new QToolBar(parent);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setStyleSheet(QStringLiteral("QToolBar { border: none; spacing: 0px; padding: 0px; }"
                                      "QToolBar::separator { width: 8px; }"
                                      "QToolButton::menu-indicator { image: none; width: 0px; }"));
    return bar;
}

} // namespace

TForm1::TForm1(QWidget* parent) : TForm1(posixFileSystem_, parent)
{}

TForm1::TForm1(platform::FileSystem& fileSystem, QWidget* parent)
    : QWidget(parent), fileSystem_(fileSystem),
      workspace_(std::make_shared<Workspace>(fileSystem, std::make_shared<WindowLink>(*this, nullptr))),
      prompt_(std::make_unique<WindowPrompt>(this, [this] { beforeMessageBox(); })),
      desktopShell_(std::make_unique<widgets::DesktopShell>()), shell_(desktopShell_.get())
{
    setWindowTitle(QStringLiteral("Tessarin 1.2"));
    setWindowIcon(widgets::applicationIcon());
    setFont(widgets::windowFont());

    for (const sync::SyncSide side : sync::kBothSides) {
        fileModels_[sync::sideIndex(side)] = new FileListModel(session().table(side), this);
        operationModels_[sync::sideIndex(side)] = new OperationListModel(session().list(side), side, this);
        operationModels_[sync::sideIndex(side)]->setLockedWhile([this] { return commandRunning(); });
    }

    createMenus();
    createBandBar();
    createControls();
    lists_ = std::make_unique<WindowLists>(fileModels_, operationModels_, Label3, Label4);
    workspace_->link->lists = lists_.get();

    const QSize client = kDesignOuterSize - kDesignFrame;
    setMinimumSize(minimumOuterSize() - kDesignFrame);
    resize(client);
    widgets::centreOnScreen(*this);
}

void TForm1::createMenus()
{
    S1 = new QMenu(QStringLiteral("系统(&S)"), this);
    C1 = S1->addAction(QStringLiteral("同步选项(&C)"), this, &TForm1::C1Click);
    N2 = S1->addSeparator();
    X1 = S1->addAction(QStringLiteral("退出程序(&X)"), this, &TForm1::X1Click);

    Y1 = new QMenu(QStringLiteral("同步(&Y)"), this);
    C2 = Y1->addAction(QStringLiteral("比较目录(&C)"), this, &TForm1::C2Click);
    QFont bold = C2->font();
    bold.setBold(true);
    C2->setFont(bold); // the menu's default entry
    Y1->setDefaultAction(C2);
    N1 = Y1->addSeparator();
    L1 = Y1->addAction(QStringLiteral("目录一到二(&L)"), this, &TForm1::L1Click);
    R1 = Y1->addAction(QStringLiteral("目录二到一(&R)"), this, &TForm1::R1Click);
    E1 = Y1->addAction(QStringLiteral("双向同步(&E)"), this, &TForm1::E1Click);

    T1 = new QMenu(QStringLiteral("工具(&T)"), this);
    F1 = T1->addAction(QStringLiteral("相同文件搜索器(&F)"), this, &TForm1::F1Click);

    H1 = new QMenu(QStringLiteral("帮助(&H)"), this);
    H2 = H1->addAction(QStringLiteral("帮助主题(&H)"), this, &TForm1::H2Click);
    H2->setShortcut(QKeySequence(Qt::Key_F1));
    addAction(H2); // F1 works in the window, not only with the menu open
    A1 = H1->addAction(QStringLiteral("关于(&A)..."), this, &TForm1::A1Click);
}

void TForm1::createBandBar()
{
    ToolBar2 = flatBar(nullptr);
    ToolButton9 = menuRowButton(QStringLiteral("系统(&S)"), S1);
    ToolButton5 = menuRowButton(QStringLiteral("同步(&Y)"), Y1);
    ToolButton10 = menuRowButton(QStringLiteral("工具(&T)"), T1);
    ToolButton11 = menuRowButton(QStringLiteral("帮助(&H)"), H1);
    for (QToolButton* button : {ToolButton9, ToolButton5, ToolButton10, ToolButton11})
        ToolBar2->addWidget(button);

    ToolBar1 = flatBar(nullptr);
    ToolButton1 = commandButton(widgets::compareIcon(), QStringLiteral("比较目录"), QStringLiteral("进行目录比较"));
    ToolButton2 =
        commandButton(widgets::oneToTwoIcon(), QStringLiteral("目录一到二"), QStringLiteral("将目录一同步到目录二"));
    ToolButton3 =
        commandButton(widgets::twoToOneIcon(), QStringLiteral("目录二到一"), QStringLiteral("将目录二同步到目录一"));
    ToolButton4 =
        commandButton(widgets::twoWayIcon(), QStringLiteral("双向同步"), QStringLiteral("将目录一和目录二互补同步"));
    ToolButton8 = commandButton(widgets::optionsIcon(), QStringLiteral("同步选项"), QStringLiteral("设置同步的选项"));
    ToolButton13 =
        commandButton(widgets::finderIcon(), QStringLiteral("相同文件搜索"), QStringLiteral("启动“相同文件搜索”工具"));
    ToolBar1->addWidget(ToolButton1);
    ToolButton6 = ToolBar1->addSeparator();
    ToolBar1->addWidget(ToolButton2);
    ToolBar1->addWidget(ToolButton3);
    ToolBar1->addWidget(ToolButton4);
    ToolButton7 = ToolBar1->addSeparator();
    ToolBar1->addWidget(ToolButton8);
    ToolButton12 = ToolBar1->addSeparator();
    ToolBar1->addWidget(ToolButton13);

    connect(ToolButton1, &QToolButton::clicked, this, &TForm1::ToolButton1Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TForm1::ToolButton2Click);
    connect(ToolButton3, &QToolButton::clicked, this, &TForm1::ToolButton3Click);
    connect(ToolButton4, &QToolButton::clicked, this, &TForm1::ToolButton4Click);
    connect(ToolButton8, &QToolButton::clicked, this, &TForm1::ToolButton8Click);
    connect(ToolButton13, &QToolButton::clicked, this, &TForm1::ToolButton13Click);

    CoolBar1 = new BandBar(ToolBar2, 21, ToolBar1, 38, this);
}

void TForm1::createControls()
{
    Label1 = new QLabel(QStringLiteral("目录一："), this);
    edDir1 = pathField(this);
    Button1 = new QPushButton(QStringLiteral("浏览"), this);
    Button1->setToolTip(QStringLiteral("点此浏览目录并选择"));
    Label2 = new QLabel(QStringLiteral("目录二："), this);
    edDir2 = pathField(this);
    Button2 = new QPushButton(QStringLiteral("浏览"), this);
    Button2->setToolTip(QStringLiteral("点此浏览目录并选择"));

    dirList1 = reportList(this, fileModels_[0], {100, 68, 128}, false);
    dirList2 = reportList(this, fileModels_[1], {100, 68, 128}, false);

    BitBtn2 = imageButton(this, widgets::oneToTwoIcon(), {}, QStringLiteral("目录一同步到目录二"));
    BitBtn3 = imageButton(this, widgets::twoToOneIcon(), {}, QStringLiteral("目录二同步到目录一"));
    BitBtn4 = imageButton(this, widgets::twoWayIcon(), {}, QStringLiteral("将目录一和目录二互补同步"));

    Label3 = new QLabel(QStringLiteral("共0个文件"), this);
    Label4 = new QLabel(QStringLiteral("共0个文件"), this);
    for (QLabel* label : {Label3, Label4}) {
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::blue);
        label->setPalette(palette);
    }

    C_L1 = reportList(this, operationModels_[0], {50, 50, 195}, true);
    C_L2 = reportList(this, operationModels_[1], {50, 50, 195}, true);
    widgets::useListKeys(*dirList1);
    widgets::useListKeys(*dirList2);
    widgets::useCheckListKeys(*C_L1);
    widgets::useCheckListKeys(*C_L2);

    const QString executeHint = QStringLiteral("单独执行选中的同步");
    for (QLabel* label : {Label1, Label2, Label3, Label4})
        label->adjustSize();

    BitBtn1 = imageButton(this, widgets::selectAllIcon(), QStringLiteral("全选"));
    BitBtn5 = imageButton(this, widgets::selectNoneIcon(), QStringLiteral("全不选"));
    BitBtn6 = imageButton(this, widgets::invertIcon(), QStringLiteral("反选"));
    BitBtn7 = imageButton(this, widgets::executeIcon(), QStringLiteral("执行"), executeHint);
    BitBtn8 = imageButton(this, widgets::selectAllIcon(), QStringLiteral("全选"));
    BitBtn9 = imageButton(this, widgets::selectNoneIcon(), QStringLiteral("全不选"));
    BitBtn10 = imageButton(this, widgets::invertIcon(), QStringLiteral("反选"));
    BitBtn11 = imageButton(this, widgets::executeIcon(), QStringLiteral("执行"), executeHint);

    st = new QStatusBar(this);
    stPanel_ = new QLabel(QStringLiteral("准备就绪。"));
    st->addWidget(stPanel_, 1);
    stProgress = new QProgressBar;
    stProgress->setFixedSize(150, 12);
    stProgress->setTextVisible(false);
    stProgress->hide();
    st->addPermanentWidget(stProgress);

    // Tab goes through the window as it reads: the fields, the file lists
    // with the arrows between them, then each operation list with its buttons.
    const QList<QWidget*> tabOrder = {edDir1,  Button1,  edDir2,  Button2,  dirList1, BitBtn2, BitBtn3,
                                      BitBtn4, dirList2, C_L1,    BitBtn1,  BitBtn5,  BitBtn6, BitBtn7,
                                      C_L2,    BitBtn8,  BitBtn9, BitBtn10, BitBtn11};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm1::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TForm1::BitBtn4Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TForm1::BitBtn5Click);
    connect(BitBtn6, &QPushButton::clicked, this, &TForm1::BitBtn6Click);
    connect(BitBtn7, &QPushButton::clicked, this, &TForm1::BitBtn7Click);
    connect(BitBtn8, &QPushButton::clicked, this, &TForm1::BitBtn8Click);
    connect(BitBtn9, &QPushButton::clicked, this, &TForm1::BitBtn9Click);
    connect(BitBtn10, &QPushButton::clicked, this, &TForm1::BitBtn10Click);
    connect(BitBtn11, &QPushButton::clicked, this, &TForm1::BitBtn11Click);
}

void TForm1::applyLayout(const MainWindowLayout& l)
{
    CoolBar1->setGeometry(l.CoolBar1);
    st->setGeometry(l.st);
    Label1->move(l.Label1);
    Label2->move(l.Label2);
    Label3->move(l.Label3);
    Label4->move(l.Label4);
    edDir1->setGeometry(l.edDir1);
    edDir2->setGeometry(l.edDir2);
    Button1->setGeometry(l.Button1);
    Button2->setGeometry(l.Button2);
    dirList1->setGeometry(l.dirList1);
    dirList2->setGeometry(l.dirList2);
    BitBtn2->setGeometry(l.BitBtn2);
    BitBtn3->setGeometry(l.BitBtn3);
    BitBtn4->setGeometry(l.BitBtn4);
    C_L1->setGeometry(l.C_L1);
    C_L2->setGeometry(l.C_L2);
    BitBtn1->setGeometry(l.BitBtn1);
    BitBtn5->setGeometry(l.BitBtn5);
    BitBtn6->setGeometry(l.BitBtn6);
    BitBtn7->setGeometry(l.BitBtn7);
    BitBtn8->setGeometry(l.BitBtn8);
    BitBtn9->setGeometry(l.BitBtn9);
    BitBtn10->setGeometry(l.BitBtn10);
    BitBtn11->setGeometry(l.BitBtn11);
    if (l.fileNameColumn) {
        dirList1->horizontalHeader()->resizeSection(0, *l.fileNameColumn);
        dirList2->horizontalHeader()->resizeSection(0, *l.fileNameColumn);
    }
    if (l.operationNameColumn) {
        C_L1->horizontalHeader()->resizeSection(2, *l.operationNameColumn);
        C_L2->horizontalHeader()->resizeSection(2, *l.operationNameColumn);
    }
}

void TForm1::FormResize()
{
    applyLayout(layoutForOuterSize(size() + kDesignFrame));
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

QString TForm1::statusText() const
{
    return stPanel_->text();
}

void TForm1::setStatusText(const QString& text)
{
    stPanel_->setText(text);
}

void TForm1::setFraction(std::uint64_t done, std::uint64_t total)
{
    if (commandRunning())
        stProgress->show();
    if (total == 0) {
        // Between phases of a run whose length is not known yet.
        stProgress->setRange(0, 0);
        return;
    }
    constexpr int kSteps = 1000;
    stProgress->setRange(0, kSteps);
    stProgress->setValue(static_cast<int>(std::min<std::uint64_t>(done, total) * kSteps / total));
}

TForm1::~TForm1()
{
    workspace_->link->cut = true;
}

sync::SyncSession& TForm1::session()
{
    return workspace_->session;
}

void TForm1::takeFreshWorkspace()
{
    workspace_->link->cut = true;
    workspace_->progress.requestStop(true);
    workspace_ = std::make_shared<Workspace>(fileSystem_, std::make_shared<WindowLink>(*this, lists_.get()));
    lists_->listsAboutToBeRebuilt();
    for (const sync::SyncSide side : sync::kBothSides) {
        fileModels_[sync::sideIndex(side)]->show(session().table(side));
        operationModels_[sync::sideIndex(side)]->show(session().list(side));
    }
    lists_->listsEmptied();
    for (QLabel* label : {Label3, Label4}) {
        label->setText(QStringLiteral("共0个文件"));
        label->adjustSize();
    }
}

FileListModel* TForm1::fileListModel(sync::SyncSide side) const
{
    return fileModels_[sync::sideIndex(side)];
}

OperationListModel* TForm1::operationListModel(sync::SyncSide side) const
{
    return operationModels_[sync::sideIndex(side)];
}

} // namespace tessarin::app
