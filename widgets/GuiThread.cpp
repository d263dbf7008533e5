#include "widgets/GuiThread.h"

#include <QCoreApplication>
#include <QThread>

namespace tessarin::widgets {

bool onGuiThread()
{
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

void callOnGuiThread(const std::function<void()>& work)
{
    if (onGuiThread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), work, Qt::BlockingQueuedConnection);
}

void postToGuiThread(std::function<void()> work)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

} // namespace tessarin::widgets
