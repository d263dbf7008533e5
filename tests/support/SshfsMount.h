#pragma once
// A network volume for one test: a folder of this machine served by a private
// sshd (its own configuration, host key and user key, on a free loopback
// port) and mounted with sshfs over SFTP, as users mount a server's folder.
// Unmounted and the server stopped on every way out. When something cannot
// be started (not root, no /dev/fuse, sshd or sshfs missing) the volume is
// not mounted and says why, so the test can skip with that reason.
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/MountInfo.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

namespace testsupport {

class SshfsMount {
public:
    // Without posixRename the server refuses the extension sshfs replaces a
    // file with, as servers that lack it do.
    explicit SshfsMount(bool posixRename = true)
        : served_(dir_ / "served"), mountPoint_(dir_ / "mnt"), posixRename_(posixRename)
    {
        ::chmod(dir_.path().c_str(), 0700);
        ::mkdir(served_.c_str(), 0755);
        ::mkdir(mountPoint_.c_str(), 0755);
        mount();
    }
    ~SshfsMount()
    {
        if (mounted_ && shell("timeout -s KILL 10 fusermount3 -u " + testsupport::quoted(mountPoint_)) != 0)
            shell("umount -l " + testsupport::quoted(mountPoint_));
        if (server_ > 0) {
            ::kill(server_, SIGTERM);
            ::waitpid(server_, nullptr, 0);
        }
        if (serverLog_ >= 0)
            ::close(serverLog_);
        ::rmdir(mountPoint_.c_str());
    }
    SshfsMount(const SshfsMount&) = delete;
    SshfsMount& operator=(const SshfsMount&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& skipReason() const { return reason_; }
    const std::string& path() const { return mountPoint_; }
    // The folder the server shows through the mount.
    const std::string& served() const { return served_; }
    std::string operator/(const std::string& rel) const { return mountPoint_ + "/" + rel; }

private:
    static int shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

    bool refuse(const std::string& why)
    {
        reason_ = "sshfs volume not mounted: " + why;
        return false;
    }

    // A loopback port nothing listens on now.
    static int freePort()
    {
        const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        int port = 0;
        if (s >= 0 && ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &length) == 0)
            port = ntohs(a.sin_port);
        if (s >= 0)
            ::close(s);
        return port;
    }

    // Starts sshd in the foreground as a child; true once it takes connections.
    bool startServer(const std::string& sshd, int port)
    {
        const std::string config = dir_ / "sshd_config";
        writeFile(config, "Port " + std::to_string(port) +
                              "\n"
                              "ListenAddress 127.0.0.1\n"
                              "HostKey " +
                              (dir_ / "host_key") + "\nAuthorizedKeysFile " + (dir_ / "user_key.pub") +
                              "\n"
                              "PermitRootLogin prohibit-password\n"
                              "PasswordAuthentication no\n"
                              "KbdInteractiveAuthentication no\n"
                              "UsePAM no\n"
                              "StrictModes no\n"
                              "PidFile none\n"
                              "Subsystem sftp internal-sftp" +
                              (posixRename_ ? "" : " -P posix-rename") + "\n");
        // Where sshd puts its unprivileged half; Debian makes it only in its service.
        ::mkdir("/run/sshd", 0755);
        // sshd logs to standard error, here a pipe: its line "Server listening
        // on ..." says that it takes connections. The pipe stays open while
        // it runs, so that a later log line does not end it.
        int logPipe[2];
        if (::pipe2(logPipe, O_CLOEXEC) != 0)
            return false;
        server_ = ::fork();
        if (server_ == 0) {
            ::dup2(logPipe[1], 2);
            ::execl(sshd.c_str(), sshd.c_str(), "-D", "-e", "-f", config.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(logPipe[1]);
        serverLog_ = logPipe[0];
        if (server_ < 0)
            return false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd p{serverLog_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                return false;
            char buf[512];
            const ssize_t n = ::read(serverLog_, buf, sizeof buf);
            if (n <= 0) // sshd ended: its reasons are in the log
                return false;
            log_.append(buf, static_cast<std::size_t>(n));
            if (log_.find("Server listening on") != std::string::npos)
                return true;
        }
    }

    bool mount()
    {
        if (::geteuid() != 0)
            return refuse("the server logs in as root");
        if (::access("/dev/fuse", R_OK | W_OK) != 0)
            return refuse("/dev/fuse is missing");
        std::string sshd = "/usr/sbin/sshd";
        if (::access(sshd.c_str(), X_OK) != 0)
            return refuse("sshd is missing (openssh-server)");
        for (const char* tool : {"ssh-keygen", "sshfs", "fusermount3"})
            if (shell(std::string("command -v ") + tool) != 0)
                return refuse(std::string(tool) + " is missing");
        for (const char* key : {"host_key", "user_key"})
            if (shell("ssh-keygen -q -t ed25519 -N '' -f " + testsupport::quoted(dir_ / key)) != 0)
                return refuse("ssh-keygen failed");
        const int port = freePort();
        if (port == 0 || !startServer(sshd, port))
            return refuse("sshd did not start: " + log_);
        // BatchMode: a question from ssh fails the mount instead of waiting.
        const std::string command =
            "timeout -s KILL 30 sshfs -p " + std::to_string(port) + " root@127.0.0.1:" + testsupport::quoted(served_) +
            " " + testsupport::quoted(mountPoint_) + " -o IdentityFile=" + testsupport::quoted(dir_ / "user_key") +
            ",StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null,BatchMode=yes";
        if (shell(command) != 0)
            return refuse("sshfs refused the mount");
        for (const auto& m : tessarin::platform::readMountInfo())
            if (m.mountPoint == mountPoint_)
                return mounted_ = true;
        return refuse("sshfs returned without a mount");
    }

    TempDir dir_;
    std::string served_;
    std::string mountPoint_;
    std::string reason_;
    bool posixRename_;
    pid_t server_ = 0;
    int serverLog_ = -1; // read end of sshd's standard error
    std::string log_;    // what sshd said until it listened
    bool mounted_ = false;
};

} // namespace testsupport
