#pragma once
#include <QDialog>
#include <QString>
#include <string_view>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tessarin::platform {
class Shell;
}

namespace tessarin::widgets {
class LinkLabel;
}

namespace tessarin::dialogs {

// The addresses and the author that the About box names.
inline constexpr std::string_view kHomepageAddress = "https://tessarin.example.org";
inline constexpr std::string_view kForumPath = "/bbs";
inline constexpr std::string_view kBugReportAddress = "bugs@tessarin.example.org";
inline constexpr std::string_view kAuthorName = "Tessarin 开发组";

// The build date in Chinese, "2026年12月8日", from the compiler's date text
// ("Dec  8 2026", the form of __DATE__); empty if the text has another form.
QString buildDateText(std::string_view compilerDate);

// The About box, "关于": the program's icon, name and version, build date,
// author, three links opened through the shell, and a notice.
class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(platform::Shell& shell, QWidget* parent = nullptr);

    // Shows the box modally, centred on the screen.
    void showAbout();

    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    widgets::LinkLabel* Label6;
    QLabel* Label8;
    widgets::LinkLabel* Label9;
    QLabel* Label5;
    widgets::LinkLabel* Label7;
    QPlainTextEdit* Memo1;
    QPushButton* Button1;

    void Button1Click();
    void Label6Click();
    void Label9Click();
    void Label7Click();

protected:
    // Esc does not close the box: it has no cancel button.
    void keyPressEvent(QKeyEvent* event) override;

private:
    platform::Shell& shell_;
};

} // namespace tessarin::dialogs

// The About box of the program, created once at start-up.
extern tessarin::dialogs::TForm4* Form4;
