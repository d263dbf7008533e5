#pragma once
// The owner of one file descriptor.

namespace tessarin::platform {

// Owns one file descriptor and closes it on every path out. Move-only: a
// descriptor has one owner at a time; release() hands it on to another.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& other) noexcept : fd_(other.release()) {}
    Fd& operator=(Fd&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Gives the descriptor up without closing it: the caller owns it now.
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes the descriptor held, if any, and holds fd instead. errno is
    // kept, so that a failure's reason survives the cleanup of its path.
    void reset(int fd = -1);
    // Closes now; returns close's status, which may report a late write error.
    int close();

private:
    int fd_ = -1;
};

} // namespace tessarin::platform
