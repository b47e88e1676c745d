#pragma once

#include "olap/query/CellSet.h"
#include "olap/query/QueryResult.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pivot {

//! The cube members the pivot's object model walks (parents, children, members by name),
//! asked of the pivot's source with small MDX statements and kept once known. Members seen
//! in a query result can be handed in, so most walks ask nothing.
//!
//! A lookup that fails (no such member, a source error) gives nothing and keeps the
//! source's message in LastError().
class MemberCatalog {
public:
    //! Runs one MDX statement on the pivot's source; throws on failure.
    using Runner = std::function<olap::QueryResult(const std::string& mdx)>;

    //! Members of CUBE (the data member as the view names it) through RUN.
    MemberCatalog(Runner run, std::string cube);

    //! Keeps MEMBER (from a query result) so that later lookups need no query.
    void Remember(const olap::CellSet::Member& member);
    //! The member with unique name UNIQUENAME, or nothing (also for text that is no unique
    //! name: it never reaches the source).
    std::optional<olap::CellSet::Member> Find(const std::string& uniqueName);
    //! The children of member UNIQUENAME in hierarchy order (none when it has none or is
    //! unknown).
    std::vector<olap::CellSet::Member> Children(const std::string& uniqueName);
    //! The members of level LEVELUNIQUENAME in hierarchy order.
    std::vector<olap::CellSet::Member> LevelMembers(const std::string& levelUniqueName);
    //! The unique names of the ancestors of UNIQUENAME, parent first.
    std::vector<std::string> Ancestors(const std::string& uniqueName);

    //! The cube as a bracketed name for FROM.
    const std::string& CubeName() const { return m_cube; }
    const std::string& LastError() const { return m_lastError; }

private:
    std::optional<std::vector<olap::CellSet::Member>> AxisMembers(const std::string& set);

    Runner m_run;
    std::string m_cube;
    std::map<std::string, olap::CellSet::Member> m_members;
    std::map<std::string, std::vector<std::string>> m_children;
    std::string m_lastError;
};

} // namespace pivot
