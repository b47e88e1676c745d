#include "olap/util/RegularFile.h"

#include "olap/util/MessageText.h"

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

std::string RegularFile::Problem(const std::string& path, bool missingIsFine)
{
    const std::string name = "'" + MessageText::Shorten(path) + "'";
    switch (KindOf(path)) {
    case Kind::Regular:
        return {};
    case Kind::Missing:
        return missingIsFine ? std::string() : name + " does not exist";
    case Kind::Directory:
        return name + " is a folder, not a file";
    case Kind::Fifo:
        return name + " is a named pipe (FIFO), not a file";
    case Kind::Device:
        return name + " is a device, not a file";
    case Kind::Socket:
        return name + " is a socket, not a file";
    case Kind::Other:
        break;
    }
    return name + " is not a regular file";
}

} // namespace olap
