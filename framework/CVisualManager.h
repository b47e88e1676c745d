#pragma once

#include <QPalette>
#include <QString>

class QWidget;

//! The nine looks of the program, selected by command id: 210 Windows 2000,
//! 211 Office XP, 212 Windows XP, 213 Office 2003, 214 Visual Studio 2005,
//! 215 to 218 the Office 2007 blue, black, silver and aqua styles. A look
//! sets the widget style, the palette and the colours of the ribbon, the
//! navigation bar, the document tabs and the status bar.
class CVisualManager {
public:
    static constexpr int kFirstLook = 210;
    static constexpr int kLastLook = 218;
    static constexpr int kDefaultLook = 216;

    //! Applies look id to the whole application; an id outside 210..218
    //! applies the default look. Returns the id applied.
    static int Apply(int id);
    //! The id applied last.
    static int Current();
    //! Whether the look docks panes the smart way (213 and later).
    static bool UsesSmartDocking(int id) { return id >= 213 && id <= kLastLook; }
    //! The palette for a document's content (the controls a report window hosts, with
    //! their toolbars, field areas and grids): the application's palette, lightened where a
    //! dark look would put dark pictures on dark ground.
    static QPalette ContentPalette();
    //! Gives WIDGET the content palette now and after every change of look.
    static void MarkContent(QWidget* widget);
    //! The look's style sheet (for tests and for windows outside the application).
    static QString StyleSheet(int id);
};
