#pragma once

#include <sqlite3.h>

#include <stdexcept>
#include <string>

// Writes a small SQLite database of sales to PATH, with typed and untyped columns.
inline void WriteSampleDatabase(const std::string& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
        throw std::runtime_error("cannot create " + path);
    const char* script = R"(
        CREATE TABLE Sales (Id INTEGER PRIMARY KEY, Region VARCHAR(10), Units SMALLINT, Amount REAL,
                            Price MONEY, Sold DATE, Paid BOOLEAN, Note TEXT, Big INT, Loose);
        INSERT INTO Sales VALUES (1, 'North', 3, 10.5, 2.25, '2024-01-15', 1, 'first', 7, 1);
        INSERT INTO Sales VALUES (2, 'South', 4, 20.0, 3.5, '2024-02-29 13:45:00', 0, NULL, 5000000000, 2);
        INSERT INTO Sales VALUES (3, 'North', NULL, 7.25, NULL, 'someday', NULL, 'x, "y"', 9, 'three');
        CREATE TABLE Empty (A INTEGER);
        CREATE VIEW NorthSales AS SELECT * FROM Sales WHERE Region = 'North';
    )";
    char* message = nullptr;
    const int rc = sqlite3_exec(db, script, nullptr, nullptr, &message);
    const std::string error = message ? message : "";
    sqlite3_free(message);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("sample database: " + error);
}
