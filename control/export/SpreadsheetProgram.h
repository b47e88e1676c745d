#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace exporting {

//! The desktop's spreadsheet program and how to hand it a workbook: LibreOffice Calc found
//! on the search path (localc, libreoffice --calc, soffice --calc), otherwise the desktop's
//! default application for xlsx files through xdg-open when one is registered.
class SpreadsheetProgram {
public:
    //! Starts PROGRAM with ARGUMENTS, not waiting for it; false when it could not be started.
    using Launcher = std::function<bool(const QString& program, const QStringList& arguments)>;

    //! Looks the program up on SEARCHPATH (a PATH value, ':'-separated); without one, on the
    //! process's PATH.
    explicit SpreadsheetProgram(std::optional<QString> searchPath = std::nullopt, Launcher launcher = {});

    //! Whether a spreadsheet program was found.
    bool IsAvailable() const { return !m_program.isEmpty(); }
    //! The program that opens workbooks, and the arguments before the file name.
    const QString& Program() const { return m_program; }
    const QStringList& Arguments() const { return m_arguments; }

    //! Opens the workbook at PATH as a new, untitled document where the program can (so the
    //! user saves it where they choose) and leaves it to the user. Returns false with ERROR
    //! set when no program was found or it could not be started.
    bool Open(const QString& path, QString& error) const;

    //! The xlsx media type the desktop default is asked for.
    static constexpr const char* kMediaType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";

private:
    QString Find(const QString& name) const;

    QStringList m_searchPath;
    Launcher m_launcher;
    QString m_program;
    QStringList m_arguments;
};

} // namespace exporting
