#include "dialogs/TForm4.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <string>

#include "platform/Shell.h"
#include "widgets/DialogFrame.h"
#include "widgets/Icons.h"
#include "widgets/LinkLabel.h"
#include "widgets/TextConversion.h"
#include "widgets/WindowFont.h"

tessarin::dialogs::TForm4* Form4 = nullptr;

namespace tessarin::dialogs {

namespace {

const char* const kNotice = "欢迎使用 Tessarin 目录同步工具。\n"
                            "同步会复制、覆盖和删除文件，\n"
                            "执行前请仔细核对操作列表，\n"
                            "重要的数据请事先备份。\n"
                            "删除的文件不进入回收站，\n"
                            "删除以后无法恢复。\n"
                            "本软件按现状提供，作者不对\n"
                            "使用中造成的数据损失负责。\n"
                            "感谢您的使用与支持！";

const char* const kSupportHint = "点此可以获得更多软件和技术支持";
const char* const kBugHint = "点此汇报软件中的BUG，或者意见和建议。";

QString text(std::string_view utf8)
{
    return widgets::displayText(utf8);
}

std::string forumAddress()
{
    return std::string(kHomepageAddress) + std::string(kForumPath);
}

// A link stands at its place beside its caption, or just after the caption
// where the installed face draws the caption wider than "宋体" does.
void placeLink(widgets::LinkLabel& link, const QLabel& caption, int left, int top)
{
    link.move(std::max(left, caption.geometry().right() + 1), top);
}

QLabel* plainLabel(const QString& caption, int left, int top, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

} // namespace

QString buildDateText(std::string_view compilerDate)
{
    static constexpr std::array<std::string_view, 12> months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (compilerDate.size() != 11)
        return {};
    int month = 0;
    for (std::size_t i = 0; i < months.size(); ++i)
        if (compilerDate.substr(0, 3) == months[i])
            month = static_cast<int>(i) + 1;
    bool dayOk = false;
    bool yearOk = false;
    const int day = QString::fromLatin1(compilerDate.substr(4, 2).data(), 2).trimmed().toInt(&dayOk);
    const int year = QString::fromLatin1(compilerDate.substr(7, 4).data(), 4).toInt(&yearOk);
    if (month == 0 || !dayOk || !yearOk || day < 1 || day > 31)
        return {};
    return QStringLiteral("%1年%2月%3日").arg(year).arg(month).arg(day);
}

TForm4::TForm4(platform::Shell& shell, QWidget* parent) : QDialog(parent), shell_(shell)
{
    setWindowTitle(QStringLiteral("关于"));
    widgets::makeFixedDialog(*this, 313, 297);

    Image1 = new QLabel(this);
    Image1->setPixmap(widgets::applicationIcon().pixmap(32, 32));
    Image1->setGeometry(24, 20, 32, 32);

    Label1 = plainLabel(QStringLiteral("Tessarin V1.2"), 84, 20, this);
    QFont titleFont = widgets::windowFont();
    titleFont.setPixelSize(14);
    titleFont.setBold(true);
    Label1->setFont(titleFont);
    QPalette maroon = Label1->palette();
    maroon.setColor(QPalette::WindowText, QColor(128, 0, 0));
    Label1->setPalette(maroon);
    Label1->adjustSize();

    // The date this file was compiled, which is the build's date.
    Label2 = plainLabel(QStringLiteral("编译时间：") + buildDateText(__DATE__), 84, 44, this);
    Label3 = plainLabel(QStringLiteral("软件作者：") + text(kAuthorName), 24, 72, this);

    Label4 = plainLabel(QStringLiteral("官方主页："), 24, 96, this);
    Label6 = new widgets::LinkLabel(text(kHomepageAddress), QString::fromUtf8(kSupportHint), this);
    placeLink(*Label6, *Label4, 84, 96);

    Label8 = plainLabel(QStringLiteral("官方论坛："), 24, 120, this);
    Label9 = new widgets::LinkLabel(text(forumAddress()), QString::fromUtf8(kSupportHint), this);
    placeLink(*Label9, *Label8, 84, 120);

    Label5 = plainLabel(QStringLiteral("BUG反馈："), 24, 144, this);
    Label7 = new widgets::LinkLabel(text(kBugReportAddress), QString::fromUtf8(kBugHint), this);
    placeLink(*Label7, *Label5, 78, 144);

    Memo1 = new QPlainTextEdit(QString::fromUtf8(kNotice), this);
    Memo1->setGeometry(24, 168, 265, 81);
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setFocusPolicy(Qt::ClickFocus); // skipped by the Tab key

    Button1 = new QPushButton(QStringLiteral("关闭(&C)"), this);
    Button1->setGeometry(208, 260, 81, 29);
    Button1->setDefault(true);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Label6, &widgets::LinkLabel::clicked, this, [this] { Label6Click(); });
    connect(Label9, &widgets::LinkLabel::clicked, this, [this] { Label9Click(); });
    connect(Label7, &widgets::LinkLabel::clicked, this, [this] { Label7Click(); });
}

void TForm4::showAbout()
{
    widgets::centreOnScreen(*this);
    exec();
}

void TForm4::Button1Click()
{
    accept();
}

void TForm4::Label6Click()
{
    shell_.openUrl(std::string(kHomepageAddress));
}

void TForm4::Label9Click()
{
    shell_.openUrl(forumAddress());
}

void TForm4::Label7Click()
{
    shell_.openUrl("mailto:" + std::string(kBugReportAddress));
}

void TForm4::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace tessarin::dialogs
