#include "widgets/DesktopShell.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>

namespace tessarin::widgets {

void DesktopShell::openUrl(const std::string& url)
{
    // The result is not looked at: a target without a handler changes nothing.
    QDesktopServices::openUrl(QUrl(QString::fromUtf8(url.data(), static_cast<qsizetype>(url.size()))));
}

void DesktopShell::openFile(const std::string& path)
{
    const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(bytes)));
}

} // namespace tessarin::widgets
