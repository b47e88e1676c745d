#pragma once

#include "olap/model/Aggregator.h"

#include <string>

namespace olap {

class Member;

//! A stored measure: its aggregator, the format string for its cells, and
//! the fact column it reads.
class Measure {
public:
    const std::string& Name() const { return m_name; }
    const std::string& Caption() const { return m_caption; }
    //! `[Measures].[Unit Sales]`.
    const std::string& UniqueName() const;
    Aggregator GetAggregator() const { return m_aggregator; }
    //! The schema's `formatString` ("Standard", "#,##0.00", ...); may be empty.
    const std::string& FormatString() const { return m_formatString; }
    //! Source column in the fact table (informational).
    const std::string& Column() const { return m_column; }
    //! Position in Cube::Measures(); also the index of its value column.
    int Index() const { return m_index; }
    //! The member of the Measures hierarchy that stands for this measure.
    const Member& AsMember() const { return *m_member; }

private:
    friend class ModelBuilder;

    std::string m_name;
    std::string m_caption;
    std::string m_formatString;
    std::string m_column;
    Aggregator m_aggregator = Aggregator::Sum;
    int m_index = 0;
    const Member* m_member = nullptr;
};

} // namespace olap
