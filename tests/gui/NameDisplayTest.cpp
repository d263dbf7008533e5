// File names that are not UTF-8: shown as GB18030 or as \xNN, never as a
// replacement mark, while their bytes stay as they are.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <algorithm>
#include <dirent.h>
#include <gtest/gtest.h>

#include "app/FileListModel.h"
#include "app/OperationListModel.h"
#include "app/TForm1.h"
#include "finder/TForm5.h"
#include "gui/MainWindowSupport.h"
#include "support/ListedDrives.h"
#include "support/TempDir.h"
#include "widgets/DirectoryHistory.h"
#include "widgets/TextConversion.h"

using namespace testsupport;
using tessarin::widgets::displayName;
using tessarin::widgets::displayText;

namespace {

// "你好" in GBK, the code page of Chinese Windows.
const std::string kGbkHello = "\xC4\xE3\xBA\xC3";

std::vector<std::string> rawNamesIn(const std::string& directory)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(directory.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(NameDisplay, Utf8NamesShowAsTheyAre)
{
    EXPECT_EQ(tessarin::widgets::displayName("report.txt"), "report.txt");
    EXPECT_EQ(tessarin::widgets::displayName("/home/用户/文档.txt"), QStringLiteral("/home/用户/文档.txt"));
    EXPECT_EQ(tessarin::widgets::displayName(""), "");
    EXPECT_EQ(tessarin::widgets::displayName("/"), "/");
}

TEST(NameDisplay, GbkNamesShowAsGb18030PartByPart)
{
    EXPECT_EQ(tessarin::widgets::displayName(kGbkHello + ".txt"), QStringLiteral("你好.txt"));
    // The four-byte form of GB18030 (here U+00C2) and a two-byte one (U+00E9).
    EXPECT_EQ(tessarin::widgets::displayName("caf\x81\x30\x87\x30"), QStringLiteral("caf\u00c2"));
    EXPECT_EQ(tessarin::widgets::displayName("caf\xA8\xA6"), QStringLiteral("caf\u00e9"));
    // Each part of a path on its own: a UTF-8 directory, a GBK directory, a
    // name that is neither.
    EXPECT_EQ(tessarin::widgets::displayName("/数据/" + kGbkHello + "/a\xFF"), QStringLiteral("/数据/你好/a\\xFF"));
}

TEST(NameDisplay, BytesOfNeitherEncodingShowAsHexNeverAsReplacementMarks)
{
    // A lone trailing lead byte, 0x80 and 0xFF are not GB18030 either.
    EXPECT_EQ(tessarin::widgets::displayName("abc\xC4"), "abc\\xC4");
    EXPECT_EQ(tessarin::widgets::displayName("\x80x"), "\\x80x");
    EXPECT_EQ(tessarin::widgets::displayName("\xFF\xFE"), "\\xFF\\xFE");
    // What is UTF-8 around the stray bytes stays readable.
    EXPECT_EQ(tessarin::widgets::displayName("文\xFF件"), QStringLiteral("文\\xFF件"));
    for (const std::string bytes : {"abc\xC4", "\x80x", "\xFF\xFE", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
        EXPECT_FALSE(tessarin::widgets::displayName(bytes).contains(QChar::ReplacementCharacter)) << bytes;
}

TEST(NameDisplay, CoreTextsKeepUtf8AndShowOtherBytesAsHex)
{
    EXPECT_EQ(tessarin::widgets::displayText("准备就绪。"), QStringLiteral("准备就绪。"));
    // A message is UTF-8 with perhaps a name inside: overlong forms and
    // surrogates are not UTF-8, and are not guessed at as GB18030 either.
    EXPECT_EQ(tessarin::widgets::displayText("无法删除：a\xC0\xAF"), QStringLiteral("无法删除：a\\xC0\\xAF"));
    EXPECT_EQ(tessarin::widgets::displayText("\xED\xA0\x80!"), "\\xED\\xA0\\x80!");
    EXPECT_EQ(tessarin::widgets::displayText("x\xF0\x9F\x98"), "x\\xF0\\x9F\\x98"); // cut short
    EXPECT_EQ(tessarin::widgets::displayText("\xF0\x9F\x98\x80"), QString::fromUtf8("\xF0\x9F\x98\x80"));
}

TEST(NameDisplay, TheMainWindowShowsRawNamesAndSynchronisesTheirBytes)
{
    TempDir temp;
    const std::string one = temp / "one";
    const std::string two = temp / "two";
    writeFile(one + "/" + kGbkHello + ".txt", "gbk", 1000000000);
    writeFile(one + "/odd\xFF.bin", "odd", 1000000000);
    makeDir(two);
    ScriptedPrompt prompt;
    tessarin::app::TForm1 form;
    form.setPrompt(&prompt);
    form.edDir1->setCurrentText(QString::fromStdString(one));
    form.edDir2->setCurrentText(QString::fromStdString(two));
    form.ToolButton1->click();

    const QAbstractItemModel& files = *form.fileListModel(SyncSide::One);
    ASSERT_EQ(files.rowCount(), 2);
    QStringList shown;
    for (int row = 0; row < files.rowCount(); ++row)
        shown << files.index(row, 0).data().toString();
    shown.sort();
    EXPECT_EQ(shown, QStringList({QStringLiteral("odd\\xFF.bin"), QStringLiteral("你好.txt")}));
    QStringList operations = shownRows(*form.operationListModel(SyncSide::One));
    operations.sort();
    EXPECT_EQ(operations, QStringList({QStringLiteral("→|新建|odd\\xFF.bin"), QStringLiteral("→|新建|你好.txt")}));

    form.BitBtn2->click();
    EXPECT_EQ(rawNamesIn(two), std::vector<std::string>({"odd\xFF.bin", kGbkHello + ".txt"}));
    EXPECT_EQ(readFile(two + "/" + kGbkHello + ".txt"), "gbk");
    EXPECT_EQ(form.operationListModel(SyncSide::One)->rowCount(), 0);
}

TEST(NameDisplay, AHistoryEntryShowsItsNameAndKeepsItsBytes)
{
    QComboBox field;
    field.setEditable(true);
    const std::string path = "/data/" + kGbkHello;
    tessarin::widgets::appendHistory(field, {path});
    EXPECT_EQ(field.itemText(0), QStringLiteral("/data/你好"));
    field.setCurrentIndex(0);
    EXPECT_EQ(tessarin::widgets::currentPath(field), path);
    EXPECT_EQ(tessarin::widgets::historyOf(field), std::vector<std::string>({path}));
}

TEST(NameDisplay, TheFinderShowsRawNamesByTheSameRule)
{
    TempDir temp;
    writeFile(temp / "chosen", "same");
    writeFile(temp / ("d/" + kGbkHello + "/x\xFF"), "same");
    testsupport::ListedDrives drives;
    drives.roots = {temp / "d/"};
    ScriptedPrompt prompt;
    tessarin::finder::TForm5 form(drives);
    form.setPrompt(prompt);
    form.Edit1->setText(QString::fromStdString(temp / "chosen"));
    form.dirList->setCurrentIndex(1);
    form.Button2Click();
    const QAbstractItemModel& rows = *form.RList->model();
    ASSERT_EQ(rows.rowCount(), 1);
    EXPECT_EQ(rows.index(0, 0).data().toString(), "x\\xFF");
    EXPECT_EQ(rows.index(0, 1).data().toString(), QString::fromStdString(temp / "d/") + QStringLiteral("你好/"));
}
