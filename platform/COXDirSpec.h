#pragma once

#include <QString>

//! A directory given as a drive ("C:", which this platform cannot apply) and
//! a subdirectory, with '/' as the separator. A path that ends with '/'
//! (other than "/" itself), holds a control character or one of < > " | : ? *,
//! or has a drive part that is not a letter, does not parse: both parts are
//! then empty.
class COXDirSpec {
public:
    COXDirSpec() = default;
    explicit COXDirSpec(const QString& path) { SetDirectory(path); }

    //! Parses path; returns false (and empties both parts) when it does not parse.
    bool SetDirectory(const QString& path);
    QString GetDrive() const { return m_drive; }
    QString GetSubdirectory() const { return m_subdirectory; }
    QString GetDirectory() const { return m_drive + m_subdirectory; }

    //! Creates every level of the directory (levels that cannot be created
    //! are passed over) and reports whether the last level was newly created.
    //! An empty or root subdirectory reports success and does nothing; a
    //! drive part fails, as drives do not exist here.
    bool MakeDirectory() const;

    //! Makes this the working directory: a drive part fails and changes
    //! nothing; an empty subdirectory changes nothing.
    bool ApplyAsCurrentDirectory() const;

private:
    QString m_drive;
    QString m_subdirectory;
};
