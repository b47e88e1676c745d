#pragma once

#include "olap/access/SchemaRowset.h"
#include "olap/query/DrillthroughTable.h"

#include <optional>
#include <string>
#include <vector>

namespace olap::providers::xmla {

//! A rowset answer (Discover, or Execute in Tabular format) with the column types the
//! server's inline schema gives.
struct XmlaRowset {
    struct Column {
        //! The element name, XML name escapes (_x0020_) decoded.
        std::string name;
        //! The label the server gives (sql:field), else the name.
        std::string label;
        //! The XML Schema type without prefix ("string", "int", "double", ...); "" when unknown.
        std::string type;
    };

    std::vector<Column> columns;
    //! One value per column; nullopt where the row has no element for that column (NULL).
    std::vector<std::vector<std::optional<std::string>>> rows;
    //! The number of matching rows a server sends ahead of drill-through rows, when it did.
    std::optional<long long> totalRows;

    //! Whether COLUMN holds numbers by its type.
    static bool IsNumericType(const std::string& type);

    //! The rows as a schema rowset: column names, NULL as "". The second form moves the values.
    SchemaRowset ToSchemaRowset() const&;
    SchemaRowset ToSchemaRowset() &&;
    //! The rows as a drill-through table: column labels, numbers in shortest form, NULL as "".
    DrillthroughTable ToDrillthroughTable() const;
};

} // namespace olap::providers::xmla
