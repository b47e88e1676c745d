#pragma once

#include <QPixmap>
#include <QString>

#include <array>

namespace vantorel {

//! The image toolbar of the control: 21 buttons of 240 by 240 twips at top 0, left to right.
struct ToolbarButton {
    const char* name;
    const char* tooltip;
    //! Left edge in twips from the control's left edge.
    int leftTwips;
    bool visibleAtStart;
};

class ToolbarButtons {
public:
    static constexpr int kTwipsPerPixel = 15;
    static constexpr int kButtonTwips = 240;
    static constexpr int kCount = 21;

    //! The buttons in their order on the toolbar.
    static const std::array<ToolbarButton, kCount>& All();
    //! The 20 buttons HideToolbar hides and ShowToolbar shows, in the order they change
    //! ("imgFontChange" is not among them).
    static const std::array<const char*, 20>& Switched();
    //! The button named NAME, or null.
    static const ToolbarButton* Find(const QString& name);

    //! The 16 by 16 image of the button NAME (drawn here; an empty frame for an unknown name).
    static QPixmap Image(const QString& name);

    static int ToPixels(int twips) { return twips / kTwipsPerPixel; }
};

} // namespace vantorel
