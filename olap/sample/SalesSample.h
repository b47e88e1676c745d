#pragma once

#include <cstdint>
#include <string>

namespace olap {

//! The deterministic sample star schema behind the cube "Sales": Time (Year >
//! Quarter > Month, no All member), Product (Category > Subcategory >
//! Product), Store (Country > City > Store), Customer (Gender); measures
//! Unit Sales, Store Sales, Store Cost (sum), Sales Count (count) and
//! Customer Count (distinct-count). Values are skewed the way sales are:
//! a few products and big stores sell most, sales grow by year and peak in
//! December, some products launch late, some stores open late, and one
//! subcategory is not sold in one country, so there are empty cells.
class SalesSample {
public:
    //! The schema XML of the sample.
    static std::string SchemaXml();
    //! Writes DIR/sales.sqlite (ROWS fact rows, same SEED same data) and
    //! DIR/sales.xml, each atomically. Throws OlapError.
    static void WriteSource(const std::string& dir, std::uint64_t rows, std::uint64_t seed);
    //! WriteSource, then builds DIR/Sales.cub from it.
    static void WriteAll(const std::string& dir, std::uint64_t rows, std::uint64_t seed);
};

} // namespace olap
