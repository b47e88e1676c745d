#include "olap/util/AtomicFile.h"

#include "olap/util/OlapError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace olap {

void WriteFileAtomically(const std::string& path, std::string_view text)
{
    const std::string temp = path + ".tmp-" + std::to_string(::getpid());
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file)
        throw OlapError("cannot write '" + temp + "': " + std::strerror(errno));
    const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0
        && ::fsync(::fileno(file)) == 0;
    const int error = errno;
    std::fclose(file);
    std::error_code ec;
    if (!ok) {
        std::filesystem::remove(temp, ec);
        throw OlapError("cannot write '" + temp + "': " + std::strerror(error));
    }
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        throw OlapError("cannot rename '" + temp + "' to '" + path + "'");
    }
}

} // namespace olap
