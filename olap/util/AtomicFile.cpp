#include "olap/util/AtomicFile.h"

#include "olap/util/MessageText.h"
#include "olap/util/OlapError.h"
#include "olap/util/RegularFile.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace olap {

namespace {

std::mutex g_injectorMutex;
AtomicFile::FaultInjector g_injector;

const char* StepText(AtomicFile::Step step)
{
    switch (step) {
    case AtomicFile::Step::Create:
        return "cannot create";
    case AtomicFile::Step::Write:
        return "cannot write";
    case AtomicFile::Step::Sync:
        return "cannot sync";
    case AtomicFile::Step::Close:
        return "cannot close";
    case AtomicFile::Step::Rename:
        return "cannot rename into place";
    case AtomicFile::Step::SyncFolder:
        return "cannot sync the folder of";
    }
    return "cannot write";
}

std::string TempSuffix(pid_t pid)
{
    return ".tmp-" + std::to_string(pid);
}

std::string FolderOf(const std::string& path)
{
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// Whether a process with this id runs; a process of another user counts.
bool ProcessRuns(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

} // namespace

AtomicFile::AtomicFile(std::string path) : m_path(std::move(path)), m_target(m_path)
{
    std::error_code ec;
    if (std::filesystem::is_symlink(m_path, ec)) {
        const std::filesystem::path resolved = std::filesystem::canonical(m_path, ec);
        if (!ec)
            m_target = resolved.string();
    }
    m_temp = m_target + TempSuffix(::getpid());
}

AtomicFile::~AtomicFile()
{
    if (!m_committed)
        Discard();
}

int AtomicFile::Injected(Step step, const std::string& file) const
{
    const std::lock_guard lock(g_injectorMutex);
    return g_injector ? g_injector(step, file) : 0;
}

bool AtomicFile::Fail(Step step, const std::string& file, int error)
{
    m_error = std::string(StepText(step)) + " '" + MessageText::Shorten(file) + "': " + std::strerror(error);
    m_failed = true;
    Discard();
    return false;
}

bool AtomicFile::Open()
{
    m_error.clear();
    m_failed = false;
    m_committed = false;
    if (m_path.empty()) {
        m_error = "no file name given";
        m_failed = true;
        return false;
    }
    if (std::string problem = RegularFile::Problem(m_target, true); !problem.empty()) {
        m_error = "cannot replace " + problem;
        m_failed = true;
        return false;
    }
    RemoveStaleTempFiles(m_target);
    // A temporary file of this process left by an earlier failed attempt.
    std::error_code ec;
    std::filesystem::remove(m_temp, ec);

    mode_t mode = 0666;
    struct stat info { };
    const bool exists = ::stat(m_target.c_str(), &info) == 0;
    if (exists)
        mode = info.st_mode & 07777;
    if (const int injected = Injected(Step::Create, m_temp); injected != 0)
        return Fail(Step::Create, m_temp, injected);
    m_fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (m_fd < 0)
        return Fail(Step::Create, m_temp, errno);
    // The replacement keeps the permissions of the file it replaces.
    if (exists && ::fchmod(m_fd, mode) != 0)
        return Fail(Step::Create, m_temp, errno);
    return true;
}

bool AtomicFile::Write(std::string_view bytes)
{
    if (m_failed || m_fd < 0) {
        if (m_error.empty())
            m_error = "cannot write '" + MessageText::Shorten(m_temp) + "': the file is not open";
        m_failed = true;
        return false;
    }
    if (const int injected = Injected(Step::Write, m_temp); injected != 0)
        return Fail(Step::Write, m_temp, injected);
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return Fail(Step::Write, m_temp, errno);
        }
        if (written == 0)
            return Fail(Step::Write, m_temp, EIO);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool AtomicFile::Commit()
{
    if (m_failed || m_fd < 0) {
        if (m_error.empty())
            m_error = "cannot write '" + MessageText::Shorten(m_temp) + "': the file is not open";
        m_failed = true;
        Discard();
        return false;
    }
    if (int injected = Injected(Step::Sync, m_temp); injected != 0 || ::fsync(m_fd) != 0)
        return Fail(Step::Sync, m_temp, injected != 0 ? injected : errno);
    const int fd = m_fd;
    m_fd = -1;
    if (int injected = Injected(Step::Close, m_temp); injected != 0) {
        ::close(fd);
        return Fail(Step::Close, m_temp, injected);
    }
    if (::close(fd) != 0)
        return Fail(Step::Close, m_temp, errno);
    if (int injected = Injected(Step::Rename, m_target);
        injected != 0 || ::rename(m_temp.c_str(), m_target.c_str()) != 0)
        return Fail(Step::Rename, m_target, injected != 0 ? injected : errno);
    m_committed = true;

    // The new name is only durable once the folder is synced. The file is
    // already in place, so a failure here is reported but nothing is undone.
    const std::string folder = FolderOf(m_target);
    int error = Injected(Step::SyncFolder, folder);
    if (error == 0) {
        const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd < 0) {
            error = errno;
        } else {
            // Some file systems cannot sync a folder at all; that is no failure.
            if (::fsync(dirFd) != 0 && errno != EINVAL && errno != EROFS)
                error = errno;
            ::close(dirFd);
        }
    }
    if (error != 0) {
        m_error = std::string(StepText(Step::SyncFolder)) + " '" + MessageText::Shorten(m_target)
            + "': " + std::strerror(error);
        return false;
    }
    return true;
}

void AtomicFile::Discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_committed)
        return;
    std::error_code ec;
    std::filesystem::remove(m_temp, ec);
    std::filesystem::remove(m_temp + "-journal", ec);
}

int AtomicFile::RemoveStaleTempFiles(const std::string& path)
{
    namespace fs = std::filesystem;
    const std::string prefix = fs::path(path).filename().string() + ".tmp-";
    std::error_code ec;
    fs::directory_iterator it(FolderOf(path), ec);
    if (ec)
        return 0;
    int removed = 0;
    for (const fs::directory_entry& entry : it) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        std::size_t end = prefix.size();
        while (end < name.size() && name[end] >= '0' && name[end] <= '9')
            ++end;
        const std::string rest = name.substr(end);
        if (end == prefix.size() || end - prefix.size() > 9 || !(rest.empty() || rest == "-journal"))
            continue;
        const auto pid = static_cast<pid_t>(std::stol(name.substr(prefix.size(), end - prefix.size())));
        if (pid <= 0 || pid == ::getpid() || ProcessRuns(pid))
            continue;
        std::error_code removeError;
        if (entry.is_regular_file(removeError) && fs::remove(entry.path(), removeError))
            ++removed;
    }
    return removed;
}

void AtomicFile::SetFaultInjector(FaultInjector injector)
{
    const std::lock_guard lock(g_injectorMutex);
    g_injector = std::move(injector);
}

void WriteFileAtomically(const std::string& path, std::string_view text)
{
    AtomicFile file(path);
    if (!file.Open() || !file.Write(text) || !file.Commit())
        throw OlapError(file.Error());
}

} // namespace olap
