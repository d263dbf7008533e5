#include "settings/IniFile.h"

#include "core/Error.h"

namespace tessarin::settings {

namespace {

[[noreturn]] void failWrite(const std::string& path)
{
    throw core::Error("Unable to write to " + path);
}

} // namespace

IniDocument IniFile::read() const
{
    std::string text;
    if (store_.read(path_, text) != FileStore::ReadStatus::Read)
        return IniDocument();
    return IniDocument(text);
}

IniDocument IniFile::readForUpdate() const
{
    // A file that exists but cannot be read is not overwritten with only the
    // keys of this update; a directory, FIFO or device in its place is no
    // file to write.
    std::string text;
    const FileStore::ReadStatus status = store_.read(path_, text);
    if (status == FileStore::ReadStatus::Failed || status == FileStore::ReadStatus::NotAFile)
        failWrite(path_);
    return IniDocument(text);
}

void IniFile::store(const IniDocument& document)
{
    if (!store_.replace(path_, document.text()))
        failWrite(path_);
}

void IniFile::writeValue(std::string_view section, std::string_view key, std::string_view value)
{
    IniDocument document = readForUpdate();
    const std::string before = document.text();
    document.setValue(section, key, value);
    // A key that already holds the value leaves the file untouched, so that an
    // unchanged history costs no disk write at every close.
    if (document.text() != before)
        store(document);
}

void IniFile::removeKeys(std::string_view section, const std::vector<std::string>& keys)
{
    IniDocument document = readForUpdate();
    bool removed = false;
    for (const std::string& key : keys)
        while (document.removeKey(section, key)) // a key may stand twice in a hand-edited file
            removed = true;
    if (removed)
        store(document);
}

} // namespace tessarin::settings
