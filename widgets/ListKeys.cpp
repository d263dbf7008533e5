#include "widgets/ListKeys.h"

#include <QAbstractItemView>
#include <QKeyEvent>

namespace tessarin::widgets {

namespace {

// Turns Space into a toggle of the current row's check.
class SpaceTogglesCheck : public QObject {
public:
    explicit SpaceTogglesCheck(QAbstractItemView& view) : QObject(&view), view_(view) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != &view_ || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->key() != Qt::Key_Space || key->modifiers() != Qt::NoModifier)
            return false;
        toggleCurrentRow();
        return true; // also in the first column, so the check is not toggled twice
    }

private:
    void toggleCurrentRow()
    {
        QAbstractItemModel* model = view_.model();
        const QModelIndex current = view_.currentIndex();
        if (!model || !current.isValid())
            return;
        const QModelIndex check = model->index(current.row(), 0, current.parent());
        if (!(model->flags(check) & Qt::ItemIsUserCheckable))
            return;
        const bool checked = model->data(check, Qt::CheckStateRole).toInt() == Qt::Checked;
        model->setData(check, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }

    QAbstractItemView& view_;
};

} // namespace

void useListKeys(QAbstractItemView& view)
{
    view.setTabKeyNavigation(false);
}

void useCheckListKeys(QAbstractItemView& view)
{
    useListKeys(view);
    view.installEventFilter(new SpaceTogglesCheck(view));
}

} // namespace tessarin::widgets
