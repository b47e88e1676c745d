#pragma once

#include "platform/registry/RegistryKey.h"
#include "platform/registry/RegistryTypes.h"

#include <QString>

#include <cstdint>
#include <optional>

//! Accessor of one registry value named by a full path such as
//! "\LocalMachine\Software\Corvane\Talvanor\Lumetra\Lumetra\DataPath": an
//! optional machine name ("\\host"), a hive name, key names ending with a
//! backslash and the value name ("NoName" for the key's unnamed value).
//! The result of the last operation is kept as an error code: 0 for success,
//! otherwise 0x80070000 combined with the low 16 bits of the system error.
class COXRegistryItem {
public:
    static constexpr std::uint32_t kErrorUnexpectedType = 0x8007000D;

    COXRegistryItem() = default;
    explicit COXRegistryItem(const QString& fullPath) { SetFullRegistryItem(fullPath); }
    ~COXRegistryItem() { Close(); }
    COXRegistryItem(const COXRegistryItem&) = delete;
    COXRegistryItem& operator=(const COXRegistryItem&) = delete;

    //! Parses the full path into its parts; closes any open key.
    void SetFullRegistryItem(const QString& fullPath);
    //! The path as it was set, and its recomposition from the parsed parts.
    QString GetFullRegistryItem() const { return m_fullPath; }
    QString GetMachineName() const { return m_machineName; }
    QString GetRegistryName() const { return m_registryName; }
    QString GetKeyNames() const { return m_keyNames; }
    QString GetValueName() const { return m_valueName; }

    //! Opens the key with the given rights, creating it first when create is
    //! set. A machine name asks for a remote registry, which this platform
    //! does not have: the open fails. On failure the error is recorded and
    //! nothing stays open.
    bool Open(bool create = false, platform::RegAccess access = platform::kKeyAllAccess);
    void Close();
    bool IsOpen() const { return m_key.IsOpen(); }

    //! Reads the value as text. Without an open key it opens with full
    //! access, then with query access; when neither works the result is
    //! empty. A missing value gives the default, expanded like a
    //! REG_EXPAND_SZ value; a value of another type than REG_SZ and
    //! REG_EXPAND_SZ gives the empty string and kErrorUnexpectedType.
    QString GetStringValue(const QString& defaultValue = QString());
    //! Writes text with the given type; byteLength counts UTF-16 bytes
    //! including the terminating zero (-1: the whole text). Without an open
    //! key it opens with full access and create, then with set-value access
    //! and create.
    bool SetStringValue(const QString& value, platform::RegType type = platform::kRegSz, int byteLength = -1);
    //! Reads a REG_DWORD value; any other type or a missing value gives the default.
    std::uint32_t GetNumberValue(std::uint32_t defaultValue = 0);
    bool SetNumberValue(std::uint32_t value);

    std::uint32_t GetLastError() const { return m_lastError; }

private:
    static std::uint32_t ToErrorCode(platform::RegError error);
    std::optional<platform::RegistryHive> ResolveHive() const;
    QString ValueNameForQuery() const;
    bool OpenForReading();
    bool OpenForWriting();

    QString m_fullPath;
    QString m_machineName;
    QString m_registryName;
    QString m_keyNames;
    QString m_valueName;
    platform::RegistryKey m_key;
    std::uint32_t m_lastError = 0;
};
