#pragma once
// Helpers for tests of the main window: a window over a scripted prompt,
// and the rows its lists show, as text.
#include <QAbstractItemModel>
#include <QString>
#include <QStringList>

#include "app/TForm1.h"
#include "support/ScriptedPrompt.h"

namespace testsupport {

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

// Check marks of a model's rows: "x" checked, "-" not.
inline QString checkMarks(const QAbstractItemModel& model)
{
    QString marks;
    for (int r = 0; r < model.rowCount(); ++r)
        marks += model.data(model.index(r, 0), Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked ? 'x' : '-';
    return marks;
}

} // namespace testsupport
