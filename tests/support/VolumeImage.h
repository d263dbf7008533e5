#pragma once
// A small real file system for one test: an image file, formatted and
// mounted with the driver users have (FUSE for FAT, exFAT and NTFS; the
// kernel for ext4 and tmpfs). Unmounted, detached and removed on every way
// out. When the machine refuses the mount (not root, no /dev/fuse, no loop
// device, a tool missing) the volume is not mounted and says why, so the
// test can skip with that reason.
#include <chrono>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/MountInfo.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

namespace testsupport {

enum class VolumeKind { Fat, Exfat, Ntfs, Ext4, Tmpfs };

inline const char* volumeName(VolumeKind kind)
{
    switch (kind) {
    case VolumeKind::Fat:
        return "FAT";
    case VolumeKind::Exfat:
        return "exFAT";
    case VolumeKind::Ntfs:
        return "NTFS";
    case VolumeKind::Ext4:
        return "ext4";
    case VolumeKind::Tmpfs:
        return "tmpfs";
    }
    return "?";
}

class VolumeImage {
public:
    // allowOther lets users other than root into a FUSE mount.
    explicit VolumeImage(VolumeKind kind, int mebibytes = 32, bool allowOther = false)
        : kind_(kind), image_(dir_ / "image"), mountPoint_(dir_ / "mnt")
    {
        ::chmod(dir_.path().c_str(), 0755);
        ::mkdir(mountPoint_.c_str(), 0755);
        mount(mebibytes, allowOther);
    }
    ~VolumeImage()
    {
        if (mounted_ && shell("umount " + testsupport::quoted(mountPoint_)) != 0)
            shell("umount -l " + testsupport::quoted(mountPoint_));
        if (!loop_.empty()) {
            // A FUSE daemon may still hold the device for a moment after the unmount.
            for (int i = 0; i < 50 && shell("losetup -d " + loop_) != 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::unlink(image_.c_str());
        ::rmdir(mountPoint_.c_str());
    }
    VolumeImage(const VolumeImage&) = delete;
    VolumeImage& operator=(const VolumeImage&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& skipReason() const { return reason_; }
    const std::string& path() const { return mountPoint_; }
    std::string operator/(const std::string& rel) const { return mountPoint_ + "/" + rel; }

    // The FUSE daemon serving the mount, found by its command line; 0 if none.
    // Stopped with SIGSTOP, it makes the mount one that no longer answers.
    pid_t daemonPid() const
    {
        for (const std::string& entry : testsupport::namesIn("/proc")) {
            if (entry.find_first_not_of("0123456789") != std::string::npos)
                continue;
            const std::string cmdline = testsupport::readFile("/proc/" + entry + "/cmdline");
            if (cmdline.find(std::string(1, '\0') + mountPoint_ + std::string(1, '\0')) != std::string::npos)
                return static_cast<pid_t>(std::stol(entry));
        }
        return 0;
    }

private:
    static int shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }
    static bool haveTool(const std::string& tool) { return shell("command -v " + tool) == 0; }

    bool refuse(const std::string& why)
    {
        reason_ = std::string(volumeName(kind_)) + " volume not mounted: " + why;
        return false;
    }

    bool attachLoop()
    {
        if (!haveTool("losetup"))
            return refuse("losetup is missing");
        FILE* pipe = ::popen(("losetup -f --show " + testsupport::quoted(image_) + " 2>/dev/null").c_str(), "r");
        char buf[256] = {};
        if (pipe) {
            if (!std::fgets(buf, sizeof buf, pipe))
                buf[0] = '\0';
            ::pclose(pipe);
        }
        loop_ = buf;
        while (!loop_.empty() && (loop_.back() == '\n' || loop_.back() == ' '))
            loop_.pop_back();
        return !loop_.empty() || refuse("no free loop device");
    }

    // True once the mount point is a mount: the FUSE daemons may return first.
    bool appeared() const
    {
        for (int i = 0; i < 100; ++i) {
            for (const auto& mount : tessarin::platform::readMountInfo())
                if (mount.mountPoint == mountPoint_)
                    return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    bool mount(int mebibytes, bool allowOther)
    {
        if (::geteuid() != 0)
            return refuse("mounting needs root");
        const bool fuse = kind_ == VolumeKind::Fat || kind_ == VolumeKind::Exfat || kind_ == VolumeKind::Ntfs;
        if (fuse && ::access("/dev/fuse", R_OK | W_OK) != 0)
            return refuse("/dev/fuse is missing");
        const std::string size = std::to_string(mebibytes);
        if (kind_ == VolumeKind::Tmpfs) {
            if (shell("mount -t tmpfs -o size=" + size + "m tmpfs " + testsupport::quoted(mountPoint_)) != 0)
                return refuse("mount -t tmpfs refused");
            return mounted_ = true;
        }
        if (shell("truncate -s " + size + "M " + testsupport::quoted(image_)) != 0)
            return refuse("cannot make the image file");
        const std::string other = allowOther ? ",allow_other" : "";
        std::string format, mountCommand, tool;
        switch (kind_) {
        case VolumeKind::Fat:
            tool = "fusefat";
            format = "mkfs.vfat " + testsupport::quoted(image_);
            mountCommand =
                "fusefat -o rw+" + other + " " + testsupport::quoted(image_) + " " + testsupport::quoted(mountPoint_);
            break;
        case VolumeKind::Exfat:
            tool = "mount.exfat-fuse";
            format = "mkfs.exfat " + testsupport::quoted(image_);
            break;
        case VolumeKind::Ntfs:
            tool = "ntfs-3g";
            format = "mkntfs -F -Q " + testsupport::quoted(image_);
            break;
        case VolumeKind::Ext4:
            tool = "mount";
            format = "mkfs.ext4 -q -F " + testsupport::quoted(image_);
            break;
        case VolumeKind::Tmpfs:
            break;
        }
        const std::string maker = format.substr(0, format.find(' '));
        if (!haveTool(maker))
            return refuse(maker + " is missing");
        if (!haveTool(tool))
            return refuse(tool + " is missing");
        if (shell(format) != 0)
            return refuse(maker + " failed");
        // exfat-fuse needs a block device; the kernel's ext4 too; ntfs-3g takes either.
        if (kind_ != VolumeKind::Fat) {
            if (!attachLoop())
                return false;
            const std::string options = allowOther ? " -o allow_other " : " ";
            if (kind_ == VolumeKind::Exfat)
                mountCommand = "mount.exfat-fuse" + options + loop_ + " " + testsupport::quoted(mountPoint_);
            else if (kind_ == VolumeKind::Ntfs)
                mountCommand = "ntfs-3g" + options + loop_ + " " + testsupport::quoted(mountPoint_);
            else
                mountCommand = "mount " + loop_ + " " + testsupport::quoted(mountPoint_);
        }
        if (shell(mountCommand) != 0 || !appeared())
            return refuse(tool + " refused the mount");
        if (kind_ == VolumeKind::Ext4)
            ::chmod(mountPoint_.c_str(), 0777);
        return mounted_ = true;
    }

    VolumeKind kind_;
    TempDir dir_;
    std::string image_;
    std::string mountPoint_;
    std::string loop_;
    std::string reason_;
    bool mounted_ = false;
};

} // namespace testsupport

// Skips the running test when the volume could not be mounted.
#define REQUIRE_MOUNTED(volume)                    \
    do {                                           \
        if (!(volume).mounted())                   \
            GTEST_SKIP() << (volume).skipReason(); \
    } while (0)
