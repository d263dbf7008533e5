#pragma once

class QAbstractItemView;

namespace tessarin::widgets {

// The keyboard of a list with a check box per row: Tab and Shift+Tab leave
// the list for the next and previous control instead of moving cell by
// cell, and Space toggles the check of the current row whatever column is
// current (the check box stands in the first column, which whole-row
// selection does not show as current).
void useCheckListKeys(QAbstractItemView& view);

// Tab and Shift+Tab leave the list for the next and previous control.
void useListKeys(QAbstractItemView& view);

} // namespace tessarin::widgets
