#pragma once
// A file's replacement written under a temporary name beside it and then
// renamed over it, so that the file is either the old one or the complete
// new one, never a part.
#include <string>
#include <sys/types.h>

#include "platform/Fd.h"

namespace tessarin::platform {

// A new file of a temporary name (kTemporaryMarker and random characters,
// platform/FileSystem.h, which a sync recognises as a killed run's leftover)
// in a directory. It owns its descriptor and its directory's, and removes the
// file when it goes away uncommitted, on every path out.
class TemporaryFile {
public:
    // Creates the file, new (never an existing one, never through a link), in
    // the directory open at directory, which it takes over. access is O_WRONLY
    // or O_RDWR; mode is the new file's permission bits, less the umask.
    // A TemporaryFile that is not created() on failure, with errno set.
    static TemporaryFile create(Fd directory, int access, mode_t mode);

    TemporaryFile() = default;
    ~TemporaryFile();
    TemporaryFile(TemporaryFile&& other) noexcept;
    TemporaryFile& operator=(TemporaryFile&& other) noexcept;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool created() const { return !name_.empty(); }
    // The file's descriptor for writing: -1 once closed.
    int fd() const { return file_.get(); }
    // The descriptor of the directory holding it, open until this goes away,
    // also after the commit.
    int directory() const { return directory_.get(); }
    // The file's temporary name in that directory.
    const std::string& name() const { return name_; }

    // Gives the file the permission bits and, where the process may, the owner
    // of the entry target (followed if a link) in its directory, if any.
    void keepModeAndOwnerOf(const std::string& target);

    // Closes the file's descriptor, done with writing; returns close's
    // status, which may report a late write error. The file stays, to be
    // committed or removed.
    int close() { return file_.close(); }
    // Closes the file if still open and renames it over target, a name in
    // the same directory; from then on it is no longer removed. Returns 0,
    // or -1 with errno set, the file still to be removed: a failed close
    // (a late write error) is no commit.
    int commit(const std::string& target);
    // The same, but only where no entry of that name stands (as the volume
    // matches names): otherwise -1 with errno EEXIST, the file still to be
    // removed. Where the volume cannot rename so, the name is looked up
    // first and the rename follows.
    int commitNew(const std::string& target);
    // Removes the file now unless committed. errno is kept.
    void discard();

private:
    TemporaryFile(Fd directory, Fd file, std::string name);
    int rename(const std::string& target, bool onlyNew);

    Fd directory_;
    Fd file_;
    std::string name_;
    bool committed_ = false;
};

} // namespace tessarin::platform
