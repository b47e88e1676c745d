#pragma once

#include "platform/registry/RegistryTypes.h"

#include <QString>

namespace platform {

//! One typed registry value. Strings (REG_SZ, REG_EXPAND_SZ and any type
//! kept as text) live in `text`, REG_DWORD in `number`.
struct RegistryValue {
    RegType type = kRegNone;
    QString text;
    std::uint32_t number = 0;

    static RegistryValue String(const QString& text, RegType type = kRegSz) { return RegistryValue {type, text, 0}; }
    static RegistryValue Dword(std::uint32_t number) { return RegistryValue {kRegDword, QString(), number}; }
    bool operator==(const RegistryValue&) const = default;
};

} // namespace platform
