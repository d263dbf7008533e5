#pragma once
// Helpers for tests of the main window: a window over a scripted prompt,
// and the rows its lists show, as text.
#include <QAbstractItemModel>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>

#include "app/TForm1.h"
#include "platform/PosixFileSystem.h"
#include "support/ScriptedPrompt.h"
#include "widgets/GuiThread.h"

namespace testsupport {

using tessarin::sync::SyncSide;

// The rows a model shows, one "column|column|..." text per row; a checked
// row starts with "[x]".
inline QStringList shownRows(const QAbstractItemModel& model)
{
    QStringList rows;
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model.columnCount(); ++c)
            cells << model.data(model.index(r, c)).toString();
        const QVariant check = model.data(model.index(r, 0), Qt::CheckStateRole);
        const QString mark = check.isValid() && check.value<Qt::CheckState>() == Qt::Checked ? "[x]" : "";
        rows << mark + cells.join('|');
    }
    return rows;
}

// A file system that runs an action on the GUI thread from inside a
// command's job, as a user's key press or click arrives while it runs: when
// the walk reads directory actAt, and on the first copy of a synchronisation.
// The job waits until the action has run.
class ActingFileSystem : public tessarin::platform::PosixFileSystem {
public:
    std::string actAt;
    std::function<void()> action;
    tessarin::platform::Result<tessarin::platform::DirectoryContents>
    readDirectory(const std::string& directory, bool wantDirectories, std::string_view mask) override
    {
        if ((actAt.empty() || directory == actAt) && action)
            tessarin::widgets::callOnGuiThread(std::exchange(action, nullptr));
        return PosixFileSystem::readDirectory(directory, wantDirectories, mask);
    }
    std::function<void()> copyAction;
    int copies = 0;
    tessarin::platform::FsResult copyFile(const tessarin::platform::TreePath& source,
                                          const tessarin::platform::TreePath& target,
                                          const tessarin::platform::TargetExpectation& expected) override
    {
        ++copies;
        if (copyAction)
            tessarin::widgets::callOnGuiThread(std::exchange(copyAction, nullptr));
        return PosixFileSystem::copyFile(source, target, expected);
    }
};

// Check marks of a model's rows: "x" checked, "-" not.
inline QString checkMarks(const QAbstractItemModel& model)
{
    QString marks;
    for (int r = 0; r < model.rowCount(); ++r)
        marks += model.data(model.index(r, 0), Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked ? 'x' : '-';
    return marks;
}

} // namespace testsupport
