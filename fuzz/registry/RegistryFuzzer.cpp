// Fuzzes the hive file reader (a file the user keeps) and the parsers of
// registry paths and directory names (user text). Findings: crashes,
// sanitizer reports, and a hive that does not read back as it was written.
#include "platform/COXDirSpec.h"
#include "platform/COXRegistryItem.h"
#include "platform/registry/RegistryHiveData.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    QString error;
    if (const std::optional<platform::RegistryHiveData> hive = platform::RegistryHiveData::Parse(bytes, &error)) {
        const QByteArray written = hive->Serialize();
        const std::optional<platform::RegistryHiveData> again = platform::RegistryHiveData::Parse(written, &error);
        if (!again || again->Serialize() != written)
            std::abort();
    }

    const QString text = QString::fromUtf8(bytes);
    COXRegistryItem item;
    item.SetFullRegistryItem(text);
    // Parts keep their shape: key names are empty or framed by backslashes,
    // and a non-empty hive is one of the seven names.
    const QString keys = item.GetKeyNames();
    if (!keys.isEmpty() && (!keys.startsWith(QLatin1Char('\\')) || !keys.endsWith(QLatin1Char('\\'))))
        std::abort();
    if (!keys.isEmpty() && item.GetRegistryName().isEmpty())
        std::abort();

    COXDirSpec spec;
    if (!spec.SetDirectory(text) && (!spec.GetDrive().isEmpty() || !spec.GetSubdirectory().isEmpty()))
        std::abort();
    return 0;
}
