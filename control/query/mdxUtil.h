#pragma once

#include "platform/dispatch/IDispatchObject.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace olap {
class Connection;
}
namespace olap::adomd {
class Catalog;
class CubeDef;
} // namespace olap::adomd

//! Answers the schema questions of the connect dialog and the query builder over one data
//! connection: databases, cubes, tables, measures, dimensions, levels and members, and whether
//! an MDX query runs. buildCube (or buildSQL) opens the connection; every list works on what
//! it left.
//!
//! Lists are string lists with one empty element more than there are results. Tree entries
//! are "unique name~name~True|False", the last field saying whether the entry can be
//! expanded. The list operations never report errors: a failing step ends the list early
//! (a wrong name gives an empty list). The only exception is the first step of listOfTables,
//! whose failure is thrown to the caller as an mdxUtilError.
class mdxUtil : public platform::IDispatchObject {
public:
    static constexpr const char* kClassId = "{B043360C-F578-4901-B3FD-B02157C8E168}";
    static constexpr const char* kInterfaceId = "{6BCDFD5A-AF40-4C00-AB72-60094502C0DD}";
    static constexpr const char* kProgId = "Hexmoor2.mdxUtil";

    enum DispatchId : platform::DispId {
        kBuildCube = 0x60030011,
        kBuildSql = 0x60030012,
        kListOfTables = 0x60030013,
        kListOfCubes = 0x60030014,
        kListOfAsDatabases = 0x60030015,
        kListOfSqlDb = 0x60030016,
        kListOfMeasures = 0x60030017,
        kListOfDimensions = 0x60030019,
        kListOfLevel = 0x6003001A,
        kListOfMembers = 0x6003001B,
        kListOfChildMembers = 0x6003001C,
        kTestMdxQuery = 0x6003001D,
    };

    mdxUtil();
    ~mdxUtil() override;

    //! Opens a new connection on CONNECTIONSTRING and a catalog over it. False with the
    //! provider's description in ERRORMESSAGE when either fails.
    bool buildCube(QString& connectionString, QString& errorMessage);
    //! Opens a new connection on CONNECTIONSTRING, without a catalog. False with the
    //! description in ERRORMESSAGE when it fails.
    bool buildSQL(QString& connectionString, QString& errorMessage);
    //! The base tables of the connection, then its views where the source has the
    //! sysobjects table. Throws mdxUtilError when the tables cannot be listed at all.
    QStringList listOfTables(QString& errorMessage);
    //! The cubes of the catalog, read again from the connection.
    QStringList listOfCubes(QString& errorMessage);
    //! The databases (catalogs) of the connection; listOfSQLDB is the same.
    QStringList listOfASDatabases(QString& errorMessage);
    QStringList listOfSQLDB(QString& errorMessage);
    //! Unique names of the measures of cube CUBENAME. Clears ERRORMESSAGE.
    QStringList listOfMeasures(QString& cubeName, QString& errorMessage);
    //! The dimensions of CUBENAME but the measures, as tree entries. Clears ERRORMESSAGE.
    QStringList listOfDimensions(QString& cubeName, QString& errorMessage);
    //! The levels of the first hierarchy of dimension DIMENSIONNAME (a unique name), marked
    //! expandable when they have members. Clears ERRORMESSAGE.
    QStringList listOfLevel(QString& cubeName, QString& dimensionName, QString& errorMessage);
    //! The members of level LEVELNAME (a unique name), marked expandable when they have
    //! children. Clears ERRORMESSAGE.
    QStringList listOfMembers(QString& cubeName, QString& levelName, QString& errorMessage);
    //! The children of member MEMBERNAME (a unique name), as listOfMembers marks them.
    //! Clears ERRORMESSAGE.
    QStringList listOfChildMembers(QString& cubeName, QString& MemberName, QString& errorMessage);
    //! Runs STRQUERY on a connection of its own to CONNECTIONSTRING: "" when it runs, else
    //! the provider's description of the failure.
    QString testMDXquery(QString& strQuery, QString& connectionString);

    platform::HResult Invoke(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
        platform::Variant* result, platform::DispatchException* exception) override;

private:
    //! Clears ERRORMESSAGE and lets FILL list from the catalog's cube CUBENAME; a missing cube or a failing
    //! step leaves the list as far as it got.
    QStringList CubeList(const QString& cubeName, QString& errorMessage,
        const std::function<void(const olap::adomd::CubeDef&, QStringList&)>& fill) const;

    std::shared_ptr<olap::Connection> m_connection;
    std::shared_ptr<olap::adomd::Catalog> m_catalog;
};
