// Registers (or with -u unregisters) the classes of a control library in the
// class registry: lumetra-regsvr [-u] LIBRARY
#include "platform/dispatch/ComRuntime.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv)
{
    bool unregister = false;
    QStringList libraries;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("-u"))
            unregister = true;
        else
            libraries << arg;
    }
    const QString library = libraries.size() == 1 ? libraries.front() : QString();
    if (library.isEmpty()) {
        std::fprintf(stderr, "usage: lumetra-regsvr [-u] LIBRARY\n");
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
