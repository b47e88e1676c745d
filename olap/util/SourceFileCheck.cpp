#include "olap/util/SourceFileCheck.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace olap {

std::optional<std::string> NotARegularFile(const std::string& path)
{
    struct stat status { };
    if (path.empty())
        return std::string("does not exist");
    if (::stat(path.c_str(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::string("does not exist");
        return "cannot be examined (" + std::string(std::strerror(errno)) + ")";
    }
    if (S_ISREG(status.st_mode))
        return std::nullopt;
    if (S_ISDIR(status.st_mode))
        return std::string("is a folder, not a file");
    if (S_ISFIFO(status.st_mode))
        return std::string("is a named pipe (FIFO), not a file");
    if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode))
        return std::string("is a device, not a file");
    if (S_ISSOCK(status.st_mode))
        return std::string("is a socket, not a file");
    return std::string("is not a regular file");
}

} // namespace olap
