#pragma once

#include "platform/registry/RegistryValue.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace platform {

//! The keys and values of one hive in memory. Key paths are backslash
//! separated below the hive (empty = the hive itself); key and value names
//! compare without case and keep the case they were created with. The unnamed
//! default value of a key has the empty name.
class RegistryHiveData {
public:
    bool HasKey(const QString& keyPath) const;
    //! Creates the key and any missing ancestors; true when it was new.
    bool CreateKey(const QString& keyPath);
    //! Removes the key with its subkeys and values; false when it did not exist.
    bool DeleteKey(const QString& keyPath);

    const RegistryValue* Value(const QString& keyPath, const QString& name) const;
    //! Sets a value of an existing key (creates the key when it is missing).
    void SetValue(const QString& keyPath, const QString& name, const RegistryValue& value);
    bool DeleteValue(const QString& keyPath, const QString& name);

    QStringList SubKeyNames(const QString& keyPath) const;
    QStringList ValueNames(const QString& keyPath) const;

    //! The hive file's text (UTF-8 JSON, stable order).
    QByteArray Serialize() const;
    //! Reads a hive file's text; on damage returns nothing and says why.
    static std::optional<RegistryHiveData> Parse(const QByteArray& bytes, QString* error);

    //! Removes empty components and surrounding backslashes from a key path.
    static QString NormalizeKeyPath(const QString& keyPath);

private:
    struct Key {
        QString name; // full path with its original case
        std::map<QString, std::pair<QString, RegistryValue>> values; // folded name -> (name, value)
    };
    static QString Fold(const QString& text) { return text.toCaseFolded(); }

    std::map<QString, Key> m_keys; // folded full path -> key; the hive itself is implicit
};

} // namespace platform
