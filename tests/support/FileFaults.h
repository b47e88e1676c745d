#pragma once

// Test helpers for the failures a kept file's write must survive: a small
// tmpfs that fills up (a real full disk, mounted only when the tests run as
// root) and an injected failure of one step of olap::AtomicFile.

#include "olap/util/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

// Mounts a tmpfs of `bytes` bytes on a fresh folder for the life of the
// object. Mounted() is false (and Why() says why) when the process is not
// root or the mount is refused; tests then skip with that message.
class SmallTmpfs {
public:
    explicit SmallTmpfs(std::size_t bytes)
    {
        char pattern[] = "/tmp/lumetra-tmpfs-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) {
            m_why = "cannot create a mount point";
            return;
        }
        m_path = pattern;
        if (::geteuid() != 0) {
            m_why = "not root, so no small tmpfs can be mounted to fill up; full-disk case not run";
            return;
        }
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
        if (::mount("tmpfs", m_path.c_str(), "tmpfs", 0, options.c_str()) != 0) {
            m_why = std::string("mounting a small tmpfs was refused (") + std::strerror(errno)
                + "); full-disk case not run";
            return;
        }
        m_mounted = true;
    }
    ~SmallTmpfs()
    {
        if (m_mounted)
            ::umount2(m_path.c_str(), MNT_DETACH);
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
    }
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool Mounted() const { return m_mounted; }
    const std::string& Why() const { return m_why; }
    std::string Path(const std::string& name) const { return m_path + "/" + name; }

    // Fills the file system up to `leave` bytes of free space with a filler file.
    void Fill(std::size_t leave) const
    {
        std::FILE* file = std::fopen(Path("filler").c_str(), "wb");
        if (file == nullptr)
            return;
        const std::string block(1024, 'f');
        for (;;) {
            struct statvfs info { };
            if (::statvfs(m_path.c_str(), &info) != 0)
                break;
            const std::size_t free = static_cast<std::size_t>(info.f_bavail) * info.f_frsize;
            if (free <= leave)
                break;
            const std::size_t chunk = std::min(block.size(), free - leave);
            if (std::fwrite(block.data(), 1, chunk, file) != chunk || std::fflush(file) != 0)
                break;
        }
        std::fclose(file);
    }

private:
    std::string m_path;
    std::string m_why;
    bool m_mounted = false;
};

// Makes one step of every olap::AtomicFile fail with an errno value for the
// life of the object.
class InjectedFileFault {
public:
    InjectedFileFault(olap::AtomicFile::Step step, int error)
    {
        olap::AtomicFile::SetFaultInjector(
            [step, error](olap::AtomicFile::Step now, const std::string&) { return now == step ? error : 0; });
    }
    ~InjectedFileFault() { olap::AtomicFile::SetFaultInjector({}); }
    InjectedFileFault(const InjectedFileFault&) = delete;
    InjectedFileFault& operator=(const InjectedFileFault&) = delete;
};
