#pragma once

#include <QString>

//! Composes the OLE DB connection string of the connect dialog from its provider, server and
//! database fields, with no widgets involved, so that the dialog and its tests share one rule.
//!
//! OLAP mode always gives "Provider=D; Data Source=S; Initial Catalog=B". SQL mode picks by the
//! server field (case-insensitive substring tests, in this order): "XLS" gives a spreadsheet
//! string with the Excel extended properties; "SQLNCLI" (which covers "SQLNCLI10") uses the
//! "Server=" and "Database=" keywords; anything else "Data Source=" and "Initial Catalog=".
//! Without user mode the relational strings end in "Trusted_Connection=Yes;"; with it they end
//! in "Trusted_Connection=No;" and literal user name and password placeholders for the user to
//! overwrite in the text box.
class ConnectStringComposer {
public:
    //! What the composition reads: the provider, server and database texts and the two modes.
    struct Fields {
        QString driver;
        QString server;
        QString database;
        bool sqlMode = false;
        bool userMode = false;
    };

    static constexpr const char* kUserPlaceholder = "<Enter username here>";
    static constexpr const char* kPasswordPlaceholder = "<Enter password here>";

    //! The connection string for FIELDS. Never fails; empty fields give empty values.
    static QString Compose(const Fields& fields);

    //! True when SERVER names a spreadsheet (contains "XLS", without regard to case).
    static bool IsSpreadsheet(const QString& server);

    //! TEXT with every password that CONNECTIONSTRING holds (the values of "pwd", "password"
    //! and any key ending in "password") replaced by "****", so that a provider message that
    //! echoes the string can be shown or logged. Placeholders and empty values are left alone.
    static QString HidePasswords(const QString& text, const QString& connectionString);
};
