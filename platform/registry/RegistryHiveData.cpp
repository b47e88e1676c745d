#include "platform/registry/RegistryHiveData.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace platform {

namespace {

constexpr const char* kFormatName = "lumetra-registry-hive";
constexpr int kFormatVersion = 1;

QString TypeName(RegType type)
{
    switch (type) {
    case kRegSz:
        return QStringLiteral("REG_SZ");
    case kRegExpandSz:
        return QStringLiteral("REG_EXPAND_SZ");
    case kRegDword:
        return QStringLiteral("REG_DWORD");
    default:
        return QString::number(type);
    }
}

std::optional<RegType> TypeFromName(const QJsonValue& name)
{
    if (name.isDouble()) {
        const double number = name.toDouble();
        if (number >= 0 && number <= 0xFFFFFFFFu && number == static_cast<double>(static_cast<RegType>(number)))
            return static_cast<RegType>(number);
        return std::nullopt;
    }
    const QString text = name.toString();
    if (text == QLatin1String("REG_SZ"))
        return kRegSz;
    if (text == QLatin1String("REG_EXPAND_SZ"))
        return kRegExpandSz;
    if (text == QLatin1String("REG_DWORD"))
        return kRegDword;
    bool ok = false;
    const uint number = text.toUInt(&ok);
    if (ok)
        return number;
    return std::nullopt;
}

} // namespace

QString RegistryHiveData::NormalizeKeyPath(const QString& keyPath)
{
    const QStringList parts = keyPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    return parts.join(QLatin1Char('\\'));
}

bool RegistryHiveData::HasKey(const QString& keyPath) const
{
    const QString path = NormalizeKeyPath(keyPath);
    return path.isEmpty() || m_keys.count(Fold(path)) != 0;
}

bool RegistryHiveData::CreateKey(const QString& keyPath)
{
    const QStringList parts = NormalizeKeyPath(keyPath).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    bool created = false;
    QString path;
    for (const QString& part : parts) {
        path = path.isEmpty() ? part : path + QLatin1Char('\\') + part;
        auto [it, inserted] = m_keys.try_emplace(Fold(path));
        if (inserted) {
            // Keep the case of an existing ancestor, take the new case otherwise.
            const auto parent = path.lastIndexOf(QLatin1Char('\\'));
            it->second.name = parent < 0 ? path : m_keys[Fold(path.left(parent))].name + path.mid(parent);
            created = true;
        }
    }
    return created;
}

bool RegistryHiveData::DeleteKey(const QString& keyPath)
{
    const QString folded = Fold(NormalizeKeyPath(keyPath));
    if (folded.isEmpty() || m_keys.erase(folded) == 0)
        return false;
    const QString prefix = folded + QLatin1Char('\\');
    for (auto it = m_keys.lower_bound(prefix); it != m_keys.end() && it->first.startsWith(prefix);)
        it = m_keys.erase(it);
    return true;
}

const RegistryValue* RegistryHiveData::Value(const QString& keyPath, const QString& name) const
{
    const auto key = m_keys.find(Fold(NormalizeKeyPath(keyPath)));
    if (key == m_keys.end())
        return nullptr;
    const auto value = key->second.values.find(Fold(name));
    return value == key->second.values.end() ? nullptr : &value->second.second;
}

void RegistryHiveData::SetValue(const QString& keyPath, const QString& name, const RegistryValue& value)
{
    const QString path = NormalizeKeyPath(keyPath);
    CreateKey(path);
    auto& values = m_keys[Fold(path)].values;
    auto [it, inserted] = values.try_emplace(Fold(name), name, value);
    if (!inserted)
        it->second.second = value;
}

bool RegistryHiveData::DeleteValue(const QString& keyPath, const QString& name)
{
    const auto key = m_keys.find(Fold(NormalizeKeyPath(keyPath)));
    return key != m_keys.end() && key->second.values.erase(Fold(name)) != 0;
}

QStringList RegistryHiveData::SubKeyNames(const QString& keyPath) const
{
    const QString folded = Fold(NormalizeKeyPath(keyPath));
    const QString prefix = folded.isEmpty() ? QString() : folded + QLatin1Char('\\');
    QStringList names;
    for (auto it = m_keys.lower_bound(prefix); it != m_keys.end() && it->first.startsWith(prefix); ++it) {
        if (it->first.size() > prefix.size() && it->first.indexOf(QLatin1Char('\\'), prefix.size()) < 0)
            names << it->second.name.mid(prefix.size());
    }
    return names;
}

QStringList RegistryHiveData::ValueNames(const QString& keyPath) const
{
    QStringList names;
    const auto key = m_keys.find(Fold(NormalizeKeyPath(keyPath)));
    if (key != m_keys.end()) {
        for (const auto& [folded, entry] : key->second.values)
            names << entry.first;
    }
    return names;
}

QByteArray RegistryHiveData::Serialize() const
{
    QJsonObject keys;
    for (const auto& [folded, key] : m_keys) {
        QJsonObject values;
        for (const auto& [foldedName, entry] : key.values) {
            const RegistryValue& value = entry.second;
            QJsonObject item {{QStringLiteral("type"), TypeName(value.type)}};
            if (value.type == kRegDword)
                item.insert(QStringLiteral("data"), static_cast<qint64>(value.number));
            else
                item.insert(QStringLiteral("data"), value.text);
            values.insert(entry.first, item);
        }
        keys.insert(key.name, values);
    }
    const QJsonObject root {{QStringLiteral("format"), QLatin1String(kFormatName)},
        {QStringLiteral("version"), kFormatVersion}, {QStringLiteral("keys"), keys}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<RegistryHiveData> RegistryHiveData::Parse(const QByteArray& bytes, QString* error)
{
    auto fail = [error](const QString& why) -> std::optional<RegistryHiveData> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    RegistryHiveData hive;
    if (bytes.trimmed().isEmpty())
        return hive;
    QJsonParseError parseError {};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(QStringLiteral("not a registry hive: %1 at offset %2")
                        .arg(parseError.errorString())
                        .arg(parseError.offset));
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("format")).toString() != QLatin1String(kFormatName))
        return fail(QStringLiteral("not a registry hive: format is not \"%1\"").arg(QLatin1String(kFormatName)));
    if (root.value(QStringLiteral("version")).toInt() != kFormatVersion)
        return fail(QStringLiteral("registry hive version %1 is not supported")
                        .arg(root.value(QStringLiteral("version")).toInt()));
    const QJsonObject keys = root.value(QStringLiteral("keys")).toObject();
    for (auto key = keys.begin(); key != keys.end(); ++key) {
        const QString path = NormalizeKeyPath(key.key());
        if (!key.value().isObject())
            return fail(QStringLiteral("key \"%1\" is not an object").arg(key.key()));
        hive.CreateKey(path);
        const QJsonObject values = key.value().toObject();
        for (auto value = values.begin(); value != values.end(); ++value) {
            const QJsonObject item = value.value().toObject();
            const std::optional<RegType> type = TypeFromName(item.value(QStringLiteral("type")));
            if (!type)
                return fail(QStringLiteral("value \"%1\" of key \"%2\" has no valid type").arg(value.key(), key.key()));
            RegistryValue data {*type, QString(), 0};
            const QJsonValue raw = item.value(QStringLiteral("data"));
            if (*type == kRegDword) {
                const double number = raw.toDouble(-1);
                if (!raw.isDouble() || number < 0 || number > 0xFFFFFFFFu)
                    return fail(
                        QStringLiteral("value \"%1\" of key \"%2\" is not a DWORD").arg(value.key(), key.key()));
                data.number = static_cast<std::uint32_t>(number);
            } else {
                if (!raw.isString())
                    return fail(QStringLiteral("value \"%1\" of key \"%2\" is not text").arg(value.key(), key.key()));
                data.text = raw.toString();
            }
            hive.SetValue(path, value.key(), data);
        }
    }
    return hive;
}

} // namespace platform
