#pragma once

#include "platform/registry/RegistryHiveData.h"
#include "platform/registry/RegistryTypes.h"

#include <QString>

#include <functional>

namespace platform {

//! Where the hives live and how they are read and written. One file per
//! hive: the per-user hive under $XDG_CONFIG_HOME/lumetra/registry, every
//! other hive under /etc/lumetra/registry; LUMETRA_REGISTRY_ROOT puts all of
//! them into one folder. Writes replace the file atomically under a lock
//! file, so a hive is never half-written and concurrent writers never
//! corrupt it (the last writer wins).
class RegistryStore {
public:
    //! The file that holds the hive.
    static QString HiveFilePath(RegistryHive hive);

    //! Whether the current user may change the hive. A file (or, before the
    //! file exists, its folder) without any write permission bit counts as
    //! read-only for every user, root included.
    static bool IsWritable(RegistryHive hive);

    //! Reads the hive; a missing file is an empty hive. A damaged file, or a
    //! path that is not a regular file (refused before it is opened), gives
    //! kErrorBadDb and, in *detail, the file and what is wrong with it.
    static RegError Load(RegistryHive hive, RegistryHiveData* out, QString* detail = nullptr);

    //! Reads the hive, lets change() alter it and writes it back when
    //! change() returns kErrorSuccess. Fails with kErrorAccessDenied without
    //! write permission, kErrorBadDb for a damaged file (which is left as it
    //! is) and kErrorCantWrite when the file cannot be replaced completely
    //! (the old file is then left byte-identical). *detail names the file
    //! and the reason.
    static RegError Modify(
        RegistryHive hive, const std::function<RegError(RegistryHiveData&)>& change, QString* detail = nullptr);

    //! The file and reason of the calling thread's last failed Load or
    //! Modify, for messages that have only an error code to go on.
    static QString LastErrorDetail();
};

} // namespace platform
