#include "app/DirectoryHistory.h"

#include <QComboBox>

#include "app/TextConversion.h"

namespace tessarin::gui {

namespace {

constexpr int kPathBytesRole = Qt::UserRole + 1;

} // namespace

std::vector<std::string> historyOf(const QComboBox& field)
{
    std::vector<std::string> entries;
    for (int i = 0; i < field.count(); ++i) {
        const QVariant bytes = field.itemData(i, kPathBytesRole);
        // An item added without its bytes (a path picked or typed in this run) is taken from its text.
        if (bytes.isValid()) {
            const QByteArray array = bytes.toByteArray();
            entries.emplace_back(array.constData(), static_cast<std::size_t>(array.size()));
        } else {
            entries.push_back(pathBytes(field.itemText(i)));
        }
    }
    return entries;
}

void appendHistory(QComboBox& field, const std::vector<std::string>& entries)
{
    // Adding to an empty list would select its first item; no entry is preselected.
    const QString text = field.currentText();
    for (const std::string& entry : entries) {
        field.addItem(displayText(entry));
        field.setItemData(field.count() - 1, QByteArray(entry.data(), static_cast<qsizetype>(entry.size())),
                          kPathBytesRole);
    }
    field.setCurrentIndex(-1);
    field.setEditText(text);
}

} // namespace tessarin::gui
