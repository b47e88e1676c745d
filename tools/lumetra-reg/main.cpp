// Reads and writes registry values from the command line, by full path:
//   lumetra-reg get PATH
//   lumetra-reg set PATH REG_SZ|REG_EXPAND_SZ|REG_DWORD VALUE
// Exit 0 on success, 1 when the operation failed (the error on stderr).
#include "olap/EngineVersionText.h"
#include "platform/COXRegistryItem.h"
#include "platform/registry/RegistryStore.h"

#include <QString>

#include <cstdio>
#include <string_view>

namespace {

constexpr const char* kUsage = "usage: lumetra-reg get PATH\n"
                               "       lumetra-reg set PATH REG_SZ|REG_EXPAND_SZ|REG_DWORD VALUE\n"
                               "       lumetra-reg --help      this text\n"
                               "       lumetra-reg --version   the program's version\n";

int Usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

// Names the value, the reason the store gave (file and cause) when there is
// one, and the error code.
int Fail(const COXRegistryItem& item, const char* what)
{
    const QString detail = platform::RegistryStore::LastErrorDetail();
    const QString reason = detail.isEmpty() ? QString() : QStringLiteral(": ") + detail;
    std::fprintf(stderr, "lumetra-reg: cannot %s %s%s (error 0x%08X)\n", what,
        qPrintable(item.GetFullRegistryItem().left(200)), qPrintable(reason), item.GetLastError());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::printf("lumetra-reg %s\n", LUMETRA_VERSION_TEXT);
        return 0;
    }
    if (argc < 3)
        return Usage();
    const QString command = QString::fromLocal8Bit(argv[1]);
    COXRegistryItem item(QString::fromLocal8Bit(argv[2]));
    if (command == QLatin1String("get") && argc == 3) {
        const QString text = item.GetStringValue();
        if (item.GetLastError() == COXRegistryItem::kErrorUnexpectedType) {
            const std::uint32_t number = item.GetNumberValue();
            if (item.GetLastError() != 0)
                return Fail(item, "read");
            std::printf("%u\n", number);
            return 0;
        }
        if (item.GetLastError() != 0)
            return Fail(item, "read");
        std::printf("%s\n", qPrintable(text));
        return 0;
    }
    if (command == QLatin1String("set") && argc == 5) {
        const QString type = QString::fromLocal8Bit(argv[3]);
        const QString value = QString::fromLocal8Bit(argv[4]);
        bool ok = false;
        if (type == QLatin1String("REG_SZ"))
            ok = item.SetStringValue(value, platform::kRegSz);
        else if (type == QLatin1String("REG_EXPAND_SZ"))
            ok = item.SetStringValue(value, platform::kRegExpandSz);
        else if (type == QLatin1String("REG_DWORD")) {
            const uint number = value.toUInt(&ok);
            if (!ok)
                return Usage();
            ok = item.SetNumberValue(number);
        } else
            return Usage();
        return ok ? 0 : Fail(item, "write");
    }
    return Usage();
}
