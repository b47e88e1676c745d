#include "platform/DirectoryChain.h"

#include <QFile>

#include <array>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>

namespace platform {

namespace {

constexpr int kBufferSize = 260;
constexpr int kMaxAttempts = 10;
thread_local int g_lastAttempts = 0;

} // namespace

bool MakeDirectoryChain(const QString& path)
{
    g_lastAttempts = 0;
    const QByteArray encoded = QFile::encodeName(path);
    if (encoded.isEmpty() || encoded.size() >= kBufferSize)
        return false;

    std::array<char, kBufferSize> buffer {};
    std::memcpy(buffer.data(), encoded.constData(), static_cast<size_t>(encoded.size()));
    const int end = static_cast<int>(encoded.size());
    int cursor = end;

    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        ++g_lastAttempts;
        const bool made = ::mkdir(buffer.data(), 0777) == 0;
        const int error = made ? 0 : errno;
        if (!made && error == ENOENT) {
            if (buffer[static_cast<size_t>(cursor)] != '/') {
                do {
                    --cursor;
                } while (cursor > 0 && buffer[static_cast<size_t>(cursor)] != '/');
                if (cursor <= 0)
                    return false;
            }
            buffer[static_cast<size_t>(cursor)] = '\0';
            continue;
        }
        if (!made && error != EEXIST)
            return false;
        if (cursor == end) {
            // An existing file of that name is not a directory.
            struct stat info { };
            return made || (::stat(buffer.data(), &info) == 0 && S_ISDIR(info.st_mode));
        }
        buffer[static_cast<size_t>(cursor)] = '/';
        while (cursor < end && buffer[static_cast<size_t>(cursor)] != '\0')
            ++cursor;
    }
    return false;
}

int LastDirectoryChainAttempts()
{
    return g_lastAttempts;
}

} // namespace platform
