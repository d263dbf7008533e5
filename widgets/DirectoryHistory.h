#pragma once
#include <string>
#include <vector>

class QComboBox;

namespace tessarin::widgets {

// The history of a path field is its item list, newest first. Each item keeps
// the path's bytes beside its display text, so that a name that is not UTF-8
// is saved back exactly as it was loaded.
std::vector<std::string> historyOf(const QComboBox& field);

// Appends the entries to the field's list; its edit text stays as it was
// (empty at start: no directory is preselected).
void appendHistory(QComboBox& field, const std::vector<std::string>& entries);

// The path in the field, as bytes: the chosen entry's own bytes while the
// field shows that entry, otherwise the bytes of the text typed.
std::string currentPath(const QComboBox& field);

// Shows the root text a compare runs on, made from the field's path: the
// user sees the trailing "/" it lost. A field whose path is its root text
// already is left as it is, keeping its entry's bytes.
void showRootText(QComboBox& field, const std::string& rootText);

// Puts a path into the field: its entry is selected when one holds exactly
// these bytes, otherwise a new entry with them goes to the top of the list.
void enterIntoHistory(QComboBox& field, const std::string& path);

// Shows a path in the field without adding to the history: the entry that
// holds exactly these bytes when there is one (so they are kept), otherwise
// the path's display text. A field that already holds the path is left as it is.
void showPath(QComboBox& field, const std::string& path);

} // namespace tessarin::widgets
