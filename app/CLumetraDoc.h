#pragma once

#include "framework/CDocument.h"

//! The document of every report window. It holds no report data (the views
//! do); it keeps the modified flag and asks to save before closing.
class CLumetraDoc : public CDocument {
    Q_OBJECT
public:
    CLumetraDoc() = default;

    //! Unmodified: allows closing. Modified: asks whether to save the changes
    //! to the document; Cancel refuses, No allows, Yes runs the view's Save
    //! command and then allows, unless the save failed (the document is
    //! still modified).
    bool SaveModified() override;
};
