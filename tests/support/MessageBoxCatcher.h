#pragma once
// Closes every message box that opens while it lives and records what each showed.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <vector>

namespace testsupport {

class MessageBoxCatcher {
public:
    struct Box {
        QString caption;
        QString text;
        QMessageBox::Icon icon;
        QString details;
    };

    MessageBoxCatcher()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes.push_back({box->windowTitle(), box->text(), box->icon(), box->detailedText()});
                box->done(QMessageBox::Ok);
            }
        });
        timer_.start();
    }

    std::vector<Box> boxes;

private:
    QTimer timer_;
};

} // namespace testsupport
