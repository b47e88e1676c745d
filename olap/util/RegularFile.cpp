#include "olap/util/RegularFile.h"

#include "olap/util/MessageText.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace olap {

RegularFile::Kind RegularFile::KindOf(const std::string& path)
{
    struct stat info { };
    if (::stat(path.c_str(), &info) != 0)
        return Kind::Missing;
    if (S_ISREG(info.st_mode))
        return Kind::Regular;
    if (S_ISDIR(info.st_mode))
        return Kind::Directory;
    if (S_ISFIFO(info.st_mode))
        return Kind::Fifo;
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return Kind::Device;
    if (S_ISSOCK(info.st_mode))
        return Kind::Socket;
    return Kind::Other;
}

std::optional<std::string> RegularFile::Describe(const std::string& path)
{
    struct stat status { };
    if (path.empty())
        return std::string("does not exist");
    if (::stat(path.c_str(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::string("does not exist");
        return "cannot be examined (" + std::string(std::strerror(errno)) + ")";
    }
    switch (KindOf(path)) {
    case Kind::Regular:
        return std::nullopt;
    case Kind::Directory:
        return std::string("is a folder, not a file");
    case Kind::Fifo:
        return std::string("is a named pipe (FIFO), not a file");
    case Kind::Device:
        return std::string("is a device, not a file");
    case Kind::Socket:
        return std::string("is a socket, not a file");
    case Kind::Missing:
    case Kind::Other:
        break;
    }
    return std::string("is not a regular file");
}

std::string RegularFile::Problem(const std::string& path, bool missingIsFine)
{
    if (missingIsFine && KindOf(path) == Kind::Missing)
        return {};
    const std::optional<std::string> words = Describe(path);
    return words ? "'" + MessageText::Shorten(path) + "' " + *words : std::string();
}

} // namespace olap
