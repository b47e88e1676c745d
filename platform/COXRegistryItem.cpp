#include "platform/COXRegistryItem.h"

#include "platform/registry/ExpandEnvironment.h"

#include <array>

namespace {

using platform::RegistryHive;

struct HiveName {
    const char* name;
    RegistryHive hive;
};

constexpr std::array<HiveName, 7> kHiveNames {{
    {"\\ClassesRoot", RegistryHive::ClassesRoot},
    {"\\CurrentUser", RegistryHive::CurrentUser},
    {"\\LocalMachine", RegistryHive::LocalMachine},
    {"\\Users", RegistryHive::Users},
    {"\\PerformanceData", RegistryHive::PerformanceData},
    {"\\CurrentConfig", RegistryHive::CurrentConfig},
    {"\\DynData", RegistryHive::DynData},
}};

bool OnlyBackslashes(const QString& text)
{
    for (const QChar c : text) {
        if (c != QLatin1Char('\\'))
            return false;
    }
    return true;
}

} // namespace

void COXRegistryItem::SetFullRegistryItem(const QString& fullPath)
{
    Close();
    m_fullPath = fullPath;
    m_machineName.clear();
    m_registryName.clear();
    m_keyNames.clear();
    m_valueName.clear();

    QString rest = OnlyBackslashes(fullPath) ? QString() : fullPath;
    if (!rest.isEmpty() && rest.front() != QLatin1Char('\\'))
        rest.prepend(QLatin1Char('\\'));

    if (rest.startsWith(QLatin1String("\\\\"))) {
        const qsizetype end = rest.indexOf(QLatin1Char('\\'), 2);
        m_machineName = end < 0 ? rest : rest.left(end);
        rest = end < 0 ? QString() : rest.mid(end);
    }

    for (const HiveName& hive : kHiveNames) {
        const QLatin1String name(hive.name);
        if (rest.startsWith(name, Qt::CaseInsensitive)
            && (rest.size() == name.size() || rest.at(name.size()) == QLatin1Char('\\'))) {
            m_registryName = rest.left(name.size());
            rest = rest.mid(name.size());
            break;
        }
    }

    if (rest.startsWith(QLatin1Char('\\'))) {
        const qsizetype last = rest.lastIndexOf(QLatin1Char('\\'));
        if (last > 0) {
            m_keyNames = rest.left(last + 1);
            m_valueName = rest.mid(last + 1);
        } else {
            m_keyNames = rest + QLatin1Char('\\');
        }
    } else {
        m_valueName = rest;
    }

    for (QString* part : {&m_machineName, &m_registryName, &m_keyNames}) {
        if (OnlyBackslashes(*part))
            part->clear();
    }
    if (!m_registryName.isEmpty() && !m_registryName.startsWith(QLatin1Char('\\')))
        m_registryName.prepend(QLatin1Char('\\'));
    if (!m_keyNames.isEmpty()) {
        if (!m_keyNames.startsWith(QLatin1Char('\\')))
            m_keyNames.prepend(QLatin1Char('\\'));
        if (!m_keyNames.endsWith(QLatin1Char('\\')))
            m_keyNames.append(QLatin1Char('\\'));
        if (m_registryName.isEmpty())
            m_registryName = QStringLiteral("\\CurrentUser");
    }
}

std::uint32_t COXRegistryItem::ToErrorCode(platform::RegError error)
{
    if (error == platform::kErrorSuccess)
        return 0;
    return 0x80070000u | (static_cast<std::uint32_t>(error) & 0xFFFFu);
}

std::optional<platform::RegistryHive> COXRegistryItem::ResolveHive() const
{
    for (const HiveName& hive : kHiveNames) {
        if (m_registryName.compare(QLatin1String(hive.name), Qt::CaseInsensitive) == 0)
            return hive.hive;
    }
    return std::nullopt;
}

QString COXRegistryItem::ValueNameForQuery() const
{
    return m_valueName.compare(QLatin1String("NoName"), Qt::CaseInsensitive) == 0 ? QString() : m_valueName;
}

bool COXRegistryItem::Open(bool create, platform::RegAccess access)
{
    Close();
    platform::RegError error = platform::kErrorSuccess;
    const std::optional<platform::RegistryHive> hive = ResolveHive();
    if (!m_machineName.isEmpty())
        error = platform::kErrorBadNetPath; // no remote registry on this platform
    else if (!hive)
        error = platform::kErrorBadKey;
    else if (create)
        error = m_key.Create(*hive, m_keyNames, access);
    else
        error = m_key.Open(*hive, m_keyNames, access);
    m_lastError = ToErrorCode(error);
    if (error != platform::kErrorSuccess) {
        Close();
        return false;
    }
    return true;
}

void COXRegistryItem::Close()
{
    m_key.Close();
}

bool COXRegistryItem::OpenForReading()
{
    return IsOpen() || Open(false, platform::kKeyAllAccess) || Open(false, platform::kKeyQueryValue);
}

bool COXRegistryItem::OpenForWriting()
{
    return IsOpen() || Open(true, platform::kKeyAllAccess) || Open(true, platform::kKeySetValue);
}

QString COXRegistryItem::GetStringValue(const QString& defaultValue)
{
    QString result;
    if (!OpenForReading())
        return result;
    platform::RegistryValue value;
    const platform::RegError error = m_key.QueryValue(ValueNameForQuery(), &value);
    m_lastError = ToErrorCode(error);
    bool expand = false;
    if (error != platform::kErrorSuccess) {
        result = defaultValue;
        expand = true;
    } else if (value.type == platform::kRegSz || value.type == platform::kRegExpandSz) {
        result = value.text;
        expand = value.type == platform::kRegExpandSz;
    } else {
        m_lastError = kErrorUnexpectedType;
    }
    return expand ? platform::ExpandEnvironmentStrings(result) : result;
}

bool COXRegistryItem::SetStringValue(const QString& value, platform::RegType type, int byteLength)
{
    if (!OpenForWriting())
        return false;
    QString data = value;
    if (byteLength >= 0)
        data.truncate(byteLength / 2);
    // The byte length counts the terminating zero; it is not part of the text.
    while (data.endsWith(QChar(0)))
        data.chop(1);
    const platform::RegError error = m_key.SetValue(ValueNameForQuery(), platform::RegistryValue::String(data, type));
    m_lastError = ToErrorCode(error);
    return error == platform::kErrorSuccess;
}

std::uint32_t COXRegistryItem::GetNumberValue(std::uint32_t defaultValue)
{
    if (!OpenForReading())
        return defaultValue;
    platform::RegistryValue value;
    const platform::RegError error = m_key.QueryValue(ValueNameForQuery(), &value);
    m_lastError = ToErrorCode(error);
    if (error != platform::kErrorSuccess)
        return defaultValue;
    if (value.type != platform::kRegDword) {
        m_lastError = kErrorUnexpectedType;
        return defaultValue;
    }
    return value.number;
}

bool COXRegistryItem::SetNumberValue(std::uint32_t value)
{
    if (!OpenForWriting())
        return false;
    const platform::RegError error = m_key.SetValue(ValueNameForQuery(), platform::RegistryValue::Dword(value));
    m_lastError = ToErrorCode(error);
    return error == platform::kErrorSuccess;
}
