#pragma once

#include <cstdint>

// Value types, access rights and error numbers of the registry, with the
// numbers the rest of the system was designed against.
namespace platform {

using RegType = std::uint32_t;
using RegAccess = std::uint32_t;
using RegError = std::int32_t;

inline constexpr RegType kRegNone = 0;
inline constexpr RegType kRegSz = 1;
inline constexpr RegType kRegExpandSz = 2;
inline constexpr RegType kRegBinary = 3;
inline constexpr RegType kRegDword = 4;

inline constexpr RegAccess kKeyQueryValue = 0x0001;
inline constexpr RegAccess kKeySetValue = 0x0002;
inline constexpr RegAccess kKeyCreateSubKey = 0x0004;
inline constexpr RegAccess kKeyEnumerateSubKeys = 0x0008;
inline constexpr RegAccess kKeyNotify = 0x0010;
inline constexpr RegAccess kKeyCreateLink = 0x0020;
inline constexpr RegAccess kKeyDelete = 0x10000;
inline constexpr RegAccess kKeyWriteDac = 0x40000;
inline constexpr RegAccess kKeyWriteOwner = 0x80000;
inline constexpr RegAccess kKeyRead = 0x20019;
inline constexpr RegAccess kKeyWrite = 0x20006;
inline constexpr RegAccess kKeyAllAccess = 0xF003F;

//! Rights that change a hive and so need write permission on its file.
inline constexpr RegAccess kKeyModifyingRights
    = kKeySetValue | kKeyCreateSubKey | kKeyCreateLink | kKeyDelete | kKeyWriteDac | kKeyWriteOwner;

inline constexpr RegError kErrorSuccess = 0;
inline constexpr RegError kErrorFileNotFound = 2;
inline constexpr RegError kErrorAccessDenied = 5;
inline constexpr RegError kErrorInvalidHandle = 6;
inline constexpr RegError kErrorInvalidData = 13;
inline constexpr RegError kErrorBadNetPath = 53;
inline constexpr RegError kErrorMoreData = 234;
inline constexpr RegError kErrorBadDb = 1009;
inline constexpr RegError kErrorBadKey = 1010;
inline constexpr RegError kErrorCantWrite = 1013;

//! The predefined keys a full registry path can name.
enum class RegistryHive {
    ClassesRoot,
    CurrentUser,
    LocalMachine,
    Users,
    PerformanceData,
    CurrentConfig,
    DynData,
};

} // namespace platform
