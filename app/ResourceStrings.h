#pragma once

#include <QString>

//! The program's string table: the text of string id, or an empty string.
QString LoadResourceString(int id);
