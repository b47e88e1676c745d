// Registers (or with -u unregisters) the classes of a control library in the
// class registry: lumetra-regsvr [-u] LIBRARY
#include "olap/EngineVersionText.h"
#include "platform/dispatch/ComRuntime.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <cstdio>

namespace {

constexpr const char* kUsage = "usage: lumetra-regsvr [-u] LIBRARY\n"
                               "  registers the classes of a control library in the class registry;\n"
                               "  -u unregisters them\n"
                               "       lumetra-regsvr --help      this text\n"
                               "       lumetra-regsvr --version   the program's version\n";

} // namespace

int main(int argc, char** argv)
{
    bool unregister = false;
    QStringList libraries;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == QLatin1String("--version")) {
            std::printf("lumetra-regsvr %s\n", LUMETRA_VERSION_TEXT);
            return 0;
        }
        if (arg == QLatin1String("-u"))
            unregister = true;
        else
            libraries << arg;
    }
    const QString library = libraries.size() == 1 ? libraries.front() : QString();
    if (library.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    QString error;
    const platform::HResult result
        = platform::ComRuntime::RegisterServerLibrary(QFileInfo(library).absoluteFilePath(), unregister, &error);
    if (result != platform::kSOk) {
        std::fprintf(stderr, "lumetra-regsvr: %s failed (0x%08X) %s\n", unregister ? "unregistration" : "registration",
            result, qPrintable(error));
        return 1;
    }
    return 0;
}
