#pragma once
// A temporary directory for one test, with helpers to build trees in it.
#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <sys/time.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace testsupport {

class TempDir {
public:
    TempDir()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/tessarin-test-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (!::mkdtemp(buf.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = buf.data();
    }
    ~TempDir()
    {
        // Make everything writable again, then remove the tree.
        ::nftw(
            path_.c_str(),
            [](const char* p, const struct stat* sb, int type, struct FTW*) {
                if (type == FTW_D || type == FTW_DP || type == FTW_DNR)
                    ::chmod(p, 0700);
                (void)sb;
                return 0;
            },
            64, FTW_PHYS);
        ::nftw(
            path_.c_str(),
            [](const char* p, const struct stat*, int type, struct FTW*) {
                if (type == FTW_DP || type == FTW_D || type == FTW_DNR)
                    ::rmdir(p);
                else
                    ::unlink(p);
                return 0;
            },
            64, FTW_DEPTH | FTW_PHYS);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }

private:
    std::string path_;
};

// Creates the parent directories of a path.
inline void makeParents(const std::string& path)
{
    for (std::size_t p = 1; p < path.size(); ++p)
        if (path[p] == '/')
            ::mkdir(path.substr(0, p).c_str(), 0755);
}

inline void makeDir(const std::string& path)
{
    makeParents(path + "/");
}

// Writes a file with the given content, creating its parent directories;
// with mtime >= 0 sets its modification time (seconds, nanoseconds).
inline void writeFile(const std::string& path, const std::string& content, long long mtime = -1, long nsec = 0)
{
    makeParents(path);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (mtime >= 0) {
        struct timespec times[2];
        times[0].tv_sec = mtime;
        times[0].tv_nsec = nsec;
        times[1] = times[0];
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline bool exists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

inline bool isDir(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

inline struct stat statOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

// Waits until the clock that stamps file changes (the kernel's coarse clock,
// platform::changeClockNow) has passed the path's last change: at most one
// tick. A command that starts then is newer than the file.
inline void waitPastChangeOf(const std::string& path)
{
    const struct stat st = statOf(path);
    struct timespec now {};
    for (;;) {
        ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
        if (now.tv_sec > st.st_ctim.tv_sec || (now.tv_sec == st.st_ctim.tv_sec && now.tv_nsec > st.st_ctim.tv_nsec))
            return;
        std::this_thread::yield();
    }
}

// The names in a directory but "." and "..", sorted: to see, for example,
// that no temporary file was left behind.
inline std::vector<std::string> namesIn(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.emplace_back(e->d_name);
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace testsupport
