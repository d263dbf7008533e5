#include "finder/TForm5.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableView>

#include "dupfind/DeleteChecked.h"
#include "finder/FoundFilesModel.h"
#include "finder/SearchJob.h"
#include "messages/DeletionMessages.h"
#include "widgets/CommandJob.h"
#include "widgets/ListKeys.h"
#include "widgets/TextConversion.h"
#include "widgets/WindowFont.h"

tessarin::finder::TForm5* Form5 = nullptr;

namespace tessarin::finder {

namespace {

QLabel* makeLabel(const QString& text, int left, int top, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QPushButton* makeButton(const QString& text, QRect place, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setGeometry(place);
    button->setAutoDefault(false);
    return button;
}

QPushButton* makePictureButton(const QString& text, QStyle::StandardPixmap picture, QRect place, QWidget* parent)
{
    QPushButton* button = makeButton(text, place, parent);
    button->setIcon(parent->style()->standardIcon(picture));
    return button;
}

} // namespace

TForm5::TForm5(platform::Drives& drives, QWidget* parent) : TForm5(drives, ownFileSystem_, parent)
{}

TForm5::TForm5(platform::Drives& drives, platform::FileSystem& fileSystem, QWidget* parent)
    : QDialog(parent), drives_(drives), fileSystem_(fileSystem), ownPrompt_(this), prompt_(&ownPrompt_)
{
    setWindowTitle(QStringLiteral("相同文件搜索器"));
    // A dialog frame that cannot be resized; the dialog font.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(589, 445);
    setFont(widgets::windowFont());
    buildControls();
    FormCreate();
}

TForm5::~TForm5() = default;

void TForm5::buildControls()
{
    Label1 = makeLabel(QStringLiteral("您要查找的文件："), 16, 16, this);
    Edit1 = new QLineEdit(this);
    Edit1->setGeometry(116, 12, 393, 20);
    Button1 = makeButton(QStringLiteral("浏览"), {516, 12, 57, 21}, this);

    Label2 = makeLabel(QStringLiteral("请选择搜索范围："), 16, 48, this);
    dirList = new QComboBox(this);
    dirList->setEditable(false);
    dirList->setGeometry(116, 44, 149, 20);
    CheckBox1 = new QCheckBox(QStringLiteral("只搜索相同的扩展名文件"), this);
    CheckBox1->setGeometry(276, 44, 157, 21);
    Button2 = makeButton(QStringLiteral("开始搜索"), {484, 40, 89, 29}, this);

    Label3 = makeLabel(QStringLiteral("状态："), 16, 80, this);
    Label4 = new QLabel(QStringLiteral("准备就绪。"), this);
    Label4->setGeometry(56, 80, 573 - 56, Label3->height());
    Label5 = makeLabel(QStringLiteral("查找结果："), 16, 112, this);

    model_ = new FoundFilesModel(rows_, this);
    RList = new QTableView(this);
    RList->setGeometry(16, 136, 557, 257);
    RList->setModel(model_);
    RList->setShowGrid(true);
    RList->setSelectionBehavior(QAbstractItemView::SelectRows);
    RList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RList->setWordWrap(false);
    RList->verticalHeader()->hide();
    RList->verticalHeader()->setDefaultSectionSize(RList->fontMetrics().height() + 6);
    RList->horizontalHeader()->setHighlightSections(false);
    RList->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    RList->setColumnWidth(0, 200);
    RList->setColumnWidth(1, 330);
    widgets::useCheckListKeys(*RList);

    BitBtn1 = makePictureButton(QStringLiteral("全选"), QStyle::SP_DialogApplyButton, {240, 408, 73, 25}, this);
    BitBtn5 = makePictureButton(QStringLiteral("全不选"), QStyle::SP_DialogCancelButton, {320, 408, 73, 25}, this);
    BitBtn6 = makePictureButton(QStringLiteral("反选"), QStyle::SP_BrowserReload, {400, 408, 73, 25}, this);
    BitBtn7 = makePictureButton(QStringLiteral("执行删除"), QStyle::SP_TrashIcon, {484, 408, 89, 25}, this);

    od = new QFileDialog(this, QStringLiteral("请选择您要查找的文件"));
    od->setFileMode(QFileDialog::ExistingFile);
    od->setAcceptMode(QFileDialog::AcceptOpen);
    od->setOption(QFileDialog::DontUseNativeDialog);
    // "*.*" stands for every file; on this system a name need not hold a dot,
    // so the pattern applied is "*" and the shown text keeps its form.
    od->setOption(QFileDialog::HideNameFilterDetails);
    od->setNameFilter(QStringLiteral("所有文件类型(*.*) (*)"));

    QWidget::setTabOrder(Edit1, Button1);
    QWidget::setTabOrder(Button1, dirList);
    QWidget::setTabOrder(dirList, RList);
    QWidget::setTabOrder(RList, Button2);
    QWidget::setTabOrder(Button2, BitBtn1);
    QWidget::setTabOrder(BitBtn1, BitBtn5);
    QWidget::setTabOrder(BitBtn5, BitBtn6);
    QWidget::setTabOrder(BitBtn6, BitBtn7);
    QWidget::setTabOrder(BitBtn7, CheckBox1);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    // The option is read anew for every directory searched, also by a search under way.
    connect(CheckBox1, &QCheckBox::toggled, this, [this](bool on) {
        if (job_)
            job_->setSameExtensionOnly(on);
    });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn5, &QPushButton::clicked, this, [this] { BitBtn5Click(); });
    connect(BitBtn6, &QPushButton::clicked, this, [this] { BitBtn6Click(); });
    connect(BitBtn7, &QPushButton::clicked, this, [this] { BitBtn7Click(); });
}

void TForm5::FormCreate()
{
    rangeEntries_.assign(1, "全部磁盘驱动器");
    for (const std::string& root : drives_.fixedDriveRoots())
        rangeEntries_.push_back(root);
    dirList->clear();
    for (const std::string& entry : rangeEntries_)
        dirList->addItem(widgets::displayName(entry));
    dirList->setCurrentIndex(0);
}

void TForm5::setPrompt(core::Prompt& prompt)
{
    prompt_ = &prompt;
}

void TForm5::showFinder()
{
    widgets::centreOnScreen(*this);
    exec();
}

void TForm5::Button1Click()
{
    if (od->exec() != QDialog::Accepted)
        return;
    const QStringList files = od->selectedFiles();
    if (!files.isEmpty())
        Edit1->setText(files.first());
}

void TForm5::Button2Click()
{
    // While a search runs the button stops it.
    if (command_) {
        stopSearch();
        return;
    }
    auto job = std::make_shared<SearchJob>(*this, fileSystem_, CheckBox1->isChecked());
    job_ = job;
    command_ = std::make_unique<widgets::RunningCommand>([job] { return job->activity(); });
    const auto end =
        command_->job.run([job, chosen = widgets::pathBytes(Edit1->text()), selected = dirList->currentIndex(),
                           entries = rangeEntries_] { job->run(chosen, selected, entries); });
    if (end == widgets::CommandJob::End::LetGo) {
        // A volume holds the search inside the kernel: it ends on its own,
        // and the rows found so far stay.
        job->cut();
        showRunning(false);
        showStatus("搜索已停止。");
    }
    command_.reset();
    job_.reset();
}

void TForm5::stopSearch()
{
    // The caption changes at once; the search unwinds at its next test.
    job_->requestStop();
    showRunning(false);
    command_->job.stopAsked();
}

void TForm5::BitBtn1Click()
{
    dupfind::checkAll(rows_);
    model_->rowsReplaced();
}

void TForm5::BitBtn5Click()
{
    dupfind::uncheckAll(rows_);
    model_->rowsReplaced();
}

void TForm5::BitBtn6Click()
{
    dupfind::invertChecks(rows_);
    model_->rowsReplaced();
}

void TForm5::BitBtn7Click()
{
    if (!messages::askToDelete(*prompt_))
        return;
    const dupfind::DeletionReport report = dupfind::deleteCheckedFiles(rows_, fileSystem_);
    // The list no longer shows what was deleted while the message is read.
    model_->rowsReplaced();
    messages::tellDeletionReport(report, *prompt_);
}

void TForm5::done(int result)
{
    // The search unwinds at its next test; the window's loop ends after it.
    if (command_)
        stopSearch();
    QDialog::done(result);
}

void TForm5::showRunning(bool running)
{
    Button2->setText(running ? QStringLiteral("停止搜索") : QStringLiteral("开始搜索"));
}

void TForm5::clearRows()
{
    rows_.clear();
    model_->rowsReplaced();
}

void TForm5::addRow(const dupfind::FoundFile& row)
{
    rows_.push_back(row);
    model_->rowsAppended();
}

void TForm5::showStatus(std::string_view text)
{
    Label4->setText(widgets::displayText(text));
}

} // namespace tessarin::finder
