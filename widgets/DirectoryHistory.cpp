#include "widgets/DirectoryHistory.h"

#include <QComboBox>

#include "platform/Path.h"
#include "widgets/TextConversion.h"

namespace tessarin::widgets {

namespace {

constexpr int kPathBytesRole = Qt::UserRole + 1;

std::string entryPath(const QComboBox& field, int index)
{
    const QVariant bytes = field.itemData(index, kPathBytesRole);
    // An item added without its bytes (a path picked in this run) is taken from its text.
    if (!bytes.isValid())
        return pathBytes(field.itemText(index));
    const QByteArray array = bytes.toByteArray();
    return std::string(array.constData(), static_cast<std::size_t>(array.size()));
}

} // namespace

std::vector<std::string> historyOf(const QComboBox& field)
{
    std::vector<std::string> entries;
    for (int i = 0; i < field.count(); ++i)
        entries.push_back(entryPath(field, i));
    return entries;
}

std::string currentPath(const QComboBox& field)
{
    const int index = field.currentIndex();
    if (index >= 0 && field.itemText(index) == field.currentText())
        return entryPath(field, index);
    return pathBytes(field.currentText());
}

void showRootText(QComboBox& field, const std::string& rootText)
{
    const std::string shown = platform::rootFieldText(rootText);
    if (currentPath(field) != shown)
        field.setCurrentText(displayName(shown));
}

void enterIntoHistory(QComboBox& field, const std::string& path)
{
    int entry = -1;
    for (int i = 0; i < field.count() && entry < 0; ++i) {
        if (entryPath(field, i) == path) // byte for byte: another letter case is another entry
            entry = i;
    }
    if (entry < 0) {
        field.insertItem(0, displayName(path));
        field.setItemData(0, QByteArray(path.data(), static_cast<qsizetype>(path.size())), kPathBytesRole);
        entry = 0;
    }
    field.setCurrentIndex(entry);
    field.setEditText(field.itemText(entry));
}

void showPath(QComboBox& field, const std::string& path)
{
    if (currentPath(field) == path)
        return;
    for (int i = 0; i < field.count(); ++i) {
        if (entryPath(field, i) == path) {
            field.setCurrentIndex(i);
            field.setEditText(field.itemText(i));
            return;
        }
    }
    field.setCurrentIndex(-1);
    field.setEditText(displayName(path));
}

void appendHistory(QComboBox& field, const std::vector<std::string>& entries)
{
    // Adding to an empty list would select its first item; no entry is preselected.
    const QString text = field.currentText();
    for (const std::string& entry : entries) {
        field.addItem(displayName(entry));
        field.setItemData(field.count() - 1, QByteArray(entry.data(), static_cast<qsizetype>(entry.size())),
                          kPathBytesRole);
    }
    field.setCurrentIndex(-1);
    field.setEditText(text);
}

} // namespace tessarin::widgets
