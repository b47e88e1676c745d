#pragma once

// A small pivot view built by hand (no cube): categories with two subcategories each on
// rows, years on columns, Sales as the total, one filter field set.

#include "control/pivot/model/PivotDefinition.h"
#include "control/pivot/model/PivotLayout.h"

#include <string>

struct ExportTestView {
    pivot::PivotDefinition definition;
    pivot::PivotLayout layout;

    static ExportTestView Make(int categories, const std::string& title)
    {
        using olap::CellSet;
        auto member = [](const std::string& uniqueName, const std::string& caption, const std::string& level,
                          std::size_t children = 0) {
            CellSet::Member m;
            m.uniqueName = uniqueName;
            m.caption = caption;
            m.levelUniqueName = level;
            m.childCount = children;
            return m;
        };
        ExportTestView view;
        pivot::PivotDefinition& d = view.definition;
        d.dataMember = "Sales";
        d.titleCaption = title;
        pivot::PivotFieldSet product;
        product.uniqueName = "[Product]";
        product.caption = "Product";
        product.fields = {
            {"[Product].[Category]", "Category", true, true}, {"[Product].[Subcategory]", "Subcategory", true, false}};
        d.rowAxis.push_back(product);
        pivot::PivotFieldSet time;
        time.uniqueName = "[Time]";
        time.caption = "Time";
        time.fields = {{"[Time].[Year]", "Year", true, false}};
        d.columnAxis.push_back(time);
        pivot::PivotFieldSet store;
        store.uniqueName = "[Store]";
        store.caption = "Store";
        store.fields = {{"[Store].[Region]", "Region", true, false}};
        store.filter.mode = pivot::PivotMemberFilter::Mode::Include;
        store.filter.members = {"[Store].[North]"};
        d.filterAxis.push_back(store);
        d.totals = {{"[Measures].[Sales]", "", "", "", true}};

        CellSet result;
        result.axes.resize(2);
        const auto sales = member("[Measures].[Sales]", "Sales", "[Measures].[MeasuresLevel]");
        for (const char* year : {"2008", "2009"})
            result.axes[0].positions.push_back(
                {member(std::string("[Time].[") + year + "]", year, "[Time].[Year]"), sales});
        result.axes[0].positions.push_back({member("[Time].[Pivot Total]", "Total", "[Time].[Year]"), sales});
        for (int c = 1; c <= categories; ++c) {
            const std::string name = "Cat" + std::to_string(c);
            const std::string unique = "[Product].[" + name + "]";
            result.axes[1].positions.push_back({member(unique, name, "[Product].[Category]", 2)});
            result.axes[1].positions.push_back({member(unique + ".[Sub1]", name + " one", "[Product].[Subcategory]")});
            result.axes[1].positions.push_back({member(unique + ".[Sub2]", name + " two", "[Product].[Subcategory]")});
        }
        result.axes[1].positions.push_back({member("[Product].[Pivot Total]", "Grand Total", "[Product].[Category]")});
        for (std::size_t r = 0; r < result.axes[1].positions.size(); ++r) {
            for (std::size_t c = 0; c < result.axes[0].positions.size(); ++c) {
                CellSet::Cell cell;
                cell.value = 1000.5 + static_cast<double>(r * 10 + c);
                cell.formatted = std::to_string(1 + r) + "," + std::to_string(100 + c) + ".50";
                result.cells.push_back(cell);
            }
        }
        view.layout = pivot::PivotLayout(d, std::move(result));
        return view;
    }
};
