#pragma once

#include "catalogue/XHTMLTREEDATA.h"

#include <QString>

#include <memory>
#include <vector>

//! One item of a CatalogueDocument: its text as stored (markup allowed), its
//! image index, its record, its children (owned) and its parent (not owned;
//! null for a top-level item).
struct CatalogueNode {
    //! Image index meaning "no image".
    static constexpr int kNoImage = 65534;

    QString text;
    int image = kNoImage;
    XHTMLTREEDATA data;
    std::vector<std::unique_ptr<CatalogueNode>> children;
    CatalogueNode* parent = nullptr;

    //! Appends a child and returns it.
    CatalogueNode* AddChild(std::unique_ptr<CatalogueNode> child)
    {
        child->parent = this;
        children.push_back(std::move(child));
        return children.back().get();
    }
};
