#pragma once
#include <QFile>
#include <QString>
#include <string>
#include <string_view>

namespace tessarin::gui {

// Core texts (UTF-8, and file names as raw bytes) for display only. Bytes that
// are not UTF-8 show as replacement marks; such a text is never turned back
// into a path.
inline QString displayText(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// A path the user typed or picked, as the bytes the file system takes.
inline std::string pathBytes(const QString& text)
{
    const QByteArray bytes = QFile::encodeName(text);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace tessarin::gui
