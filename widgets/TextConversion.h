#pragma once
#include <QFile>
#include <QString>
#include <string>
#include <string_view>

namespace tessarin::widgets {

// Texts of the core (UTF-8) for display only. A byte that is not part of a
// UTF-8 sequence shows as \xNN (upper-case hexadecimal), never as a
// replacement mark; such a text is never turned back into a path.
QString displayText(std::string_view bytes);

// A file name or a path, as raw bytes, for display only. Each "/"-separated
// part shows as UTF-8 when it is valid UTF-8, else as GB18030 when it is valid
// GB18030 (names from Windows archives and old disks are often GBK), else as
// displayText shows it. The bytes themselves are kept elsewhere and used as
// they are.
QString displayName(std::string_view bytes);

// A path the user typed or picked, as the bytes the file system takes.
inline std::string pathBytes(const QString& text)
{
    const QByteArray bytes = QFile::encodeName(text);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace tessarin::widgets
