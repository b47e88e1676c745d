#include "framework/CVisualManager.h"

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

namespace {

QColor Rgb(QRgb value)
{
    return QColor::fromRgb(value);
}

QColor Mix(const QColor& from, const QColor& to, double amount)
{
    auto blend = [amount](int a, int b) { return a + static_cast<int>((b - a) * amount); };
    return QColor(blend(from.red(), to.red()), blend(from.green(), to.green()), blend(from.blue(), to.blue()));
}

struct Look {
    const char* style; // widget style: "Windows" or "Fusion"
    QColor window; // dialogs and pane backgrounds
    QColor text; // text on window
    QColor highlight; // selection
    QColor ribbonTop; // tab row and quick-access area
    QColor ribbonBottom; // panel area
    QColor ribbonText; // text on the tab row
    QColor panelTop; // panel gradient
    QColor panelBottom;
    QColor panelText; // buttons and captions inside panels
    QColor border; // panel and pane borders
    QColor hot; // hovered and pressed buttons
    QColor appButton; // the application button
    QColor navHeader; // navigation bar caption
    QColor navHeaderText;
    QColor navButtonTop; // page buttons
    QColor navButtonBottom;
    QColor status; // status bar
    QColor statusText;
    QColor workspace; // behind the report windows
    bool flat; // no gradients
};

const Look& LookFor(int id)
{
    static const Look kLooks[] = {
        // 210 Windows 2000: the classic grey look.
        {"Windows", Rgb(0xd4d0c8), Rgb(0x000000), Rgb(0x0a246a), Rgb(0xd4d0c8), Rgb(0xd4d0c8), Rgb(0x000000),
            Rgb(0xd4d0c8), Rgb(0xd4d0c8), Rgb(0x000000), Rgb(0x808080), Rgb(0xe8e6e1), Rgb(0x0a246a), Rgb(0x646464),
            Rgb(0xffffff), Rgb(0xd4d0c8), Rgb(0xd4d0c8), Rgb(0xd4d0c8), Rgb(0x000000), Rgb(0x808080), true},
        // 211 Office XP: light and flat with blue-grey selection.
        {"Fusion", Rgb(0xf4f3ee), Rgb(0x1f1f1f), Rgb(0x316ac5), Rgb(0xf4f3ee), Rgb(0xfbfaf7), Rgb(0x1f1f1f),
            Rgb(0xfbfaf7), Rgb(0xf1efe8), Rgb(0x1f1f1f), Rgb(0xc9c6bc), Rgb(0xc1d2ee), Rgb(0x316ac5), Rgb(0xdcd9cf),
            Rgb(0x1f1f1f), Rgb(0xf4f3ee), Rgb(0xe2dfd6), Rgb(0xefede6), Rgb(0x1f1f1f), Rgb(0x9d9a90), true},
        // 212 Windows XP: beige with the XP blue.
        {"Fusion", Rgb(0xece9d8), Rgb(0x000000), Rgb(0x316ac5), Rgb(0x0a5fd8), Rgb(0xfdfdfb), Rgb(0xffffff),
            Rgb(0xfdfdfb), Rgb(0xe3e0d0), Rgb(0x000000), Rgb(0xaca899), Rgb(0xffe6a0), Rgb(0x2e7a22), Rgb(0x0a5fd8),
            Rgb(0xffffff), Rgb(0xfdfdfb), Rgb(0xddd9c8), Rgb(0xece9d8), Rgb(0x000000), Rgb(0x7a96df), false},
        // 213 Office 2003: blue gradients with orange highlights.
        {"Fusion", Rgb(0xe3effe), Rgb(0x000000), Rgb(0x316ac5), Rgb(0xc4daf9), Rgb(0xe3effe), Rgb(0x15428b),
            Rgb(0xf1f7ff), Rgb(0x9ebfee), Rgb(0x15428b), Rgb(0x6593cf), Rgb(0xfbce78), Rgb(0x2a62b8), Rgb(0x3a68b5),
            Rgb(0xffffff), Rgb(0xe3effe), Rgb(0x9ebfee), Rgb(0xc4daf9), Rgb(0x15428b), Rgb(0x87a9dc), false},
        // 214 Visual Studio 2005: neutral light grey.
        {"Fusion", Rgb(0xf0efe7), Rgb(0x000000), Rgb(0x316ac5), Rgb(0xe8e7df), Rgb(0xfcfcfe), Rgb(0x000000),
            Rgb(0xfcfcfe), Rgb(0xe8e7df), Rgb(0x000000), Rgb(0xa8a79f), Rgb(0xc1d2ee), Rgb(0x4d6185), Rgb(0xd9d8cf),
            Rgb(0x000000), Rgb(0xfcfcfe), Rgb(0xdedcd2), Rgb(0xeeede5), Rgb(0x000000), Rgb(0x808080), false},
        // 215 Office 2007 blue.
        {"Fusion", Rgb(0xdfe9f5), Rgb(0x15428b), Rgb(0x2b64c0), Rgb(0xbfdbff), Rgb(0xdbe6f4), Rgb(0x15428b),
            Rgb(0xe9f1fb), Rgb(0xc3d7ef), Rgb(0x15428b), Rgb(0x8db2e3), Rgb(0xffd66b), Rgb(0x2a62b8), Rgb(0xc4daf9),
            Rgb(0x15428b), Rgb(0xe3effe), Rgb(0xb3cdef), Rgb(0xc4daf9), Rgb(0x15428b), Rgb(0x9ebfee), false},
        // 216 Office 2007 black (the default): dark greys from the title bar down to the
        // status bar, light text on them; lists, tables and charts stay white.
        {"Fusion", Rgb(0x535353), Rgb(0xf2f2f2), Rgb(0x2b64c0), Rgb(0x262626), Rgb(0x4a4a4a), Rgb(0xffffff),
            Rgb(0x6e6e6e), Rgb(0x4c4c4c), Rgb(0xf5f5f5), Rgb(0x1c1c1c), Rgb(0xffd66b), Rgb(0xb05a00), Rgb(0x333333),
            Rgb(0xffffff), Rgb(0x606060), Rgb(0x434343), Rgb(0x333333), Rgb(0xffffff), Rgb(0x3a3a3a), false},
        // 217 Office 2007 silver.
        {"Fusion", Rgb(0xeef0f5), Rgb(0x4c535c), Rgb(0x2b64c0), Rgb(0xd4d8e2), Rgb(0xeef0f5), Rgb(0x4c535c),
            Rgb(0xf7f8fa), Rgb(0xdadee6), Rgb(0x4c535c), Rgb(0xa7aebc), Rgb(0xffd66b), Rgb(0x5a6880), Rgb(0xc9ced9),
            Rgb(0x3b4148), Rgb(0xf4f5f8), Rgb(0xd3d8e1), Rgb(0xdfe2e9), Rgb(0x3b4148), Rgb(0xaab2c0), false},
        // 218 Office 2007 aqua.
        {"Fusion", Rgb(0xe2f1f8), Rgb(0x1e5e78), Rgb(0x1f6f99), Rgb(0xb5dcea), Rgb(0xd7ecf6), Rgb(0x1e5e78),
            Rgb(0xeaf6fb), Rgb(0xbfe0ee), Rgb(0x1e5e78), Rgb(0x7fbfd8), Rgb(0xffd66b), Rgb(0x16709a), Rgb(0xa8d6e8),
            Rgb(0x17495e), Rgb(0xe7f5fb), Rgb(0xb7dcec), Rgb(0xc6e5f2), Rgb(0x17495e), Rgb(0x8ec6dc), false},
    };
    const int index = (id < CVisualManager::kFirstLook || id > CVisualManager::kLastLook)
        ? CVisualManager::kDefaultLook - CVisualManager::kFirstLook
        : id - CVisualManager::kFirstLook;
    return kLooks[index];
}

QString Gradient(const QColor& top, const QColor& bottom, bool flat)
{
    if (flat)
        return top.name();
    return QStringLiteral("qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %1, stop:1 %2)")
        .arg(top.name(), bottom.name());
}

int g_current = CVisualManager::kDefaultLook;

} // namespace

QString CVisualManager::StyleSheet(int id)
{
    const Look& l = LookFor(id);
    QString sheet = QStringLiteral(R"(
#ribbonBar { background: %1; border-bottom: 1px solid %10; }
#ribbonBar QLabel, #ribbonTabs { color: %6; }
#quickAccessToolBar { background: transparent; border: none; spacing: 1px; }
#quickAccessToolBar QToolButton { color: %6; border-radius: 3px; padding: 2px; }
#quickAccessToolBar QToolButton:hover { color: black; background: %11; }
#ribbonBar > #applicationButton { color: white; background: %12; border: 1px solid %10; border-radius: 3px;
                     padding: 3px 14px; margin: 2px 2px 3px 4px; font-weight: bold; }
#ribbonBar > #applicationButton:hover { color: white; background: %12; border-color: %11; }
#applicationButton::menu-indicator { image: none; width: 0; }
#ribbonTabs::tab { color: %6; background: transparent; padding: 4px 14px; margin-right: 2px;
                   border: 1px solid transparent; border-bottom: none;
                   border-top-left-radius: 3px; border-top-right-radius: 3px; }
#ribbonTabs::tab:selected { color: %9; background: %7; border-color: %10; }
#ribbonTabs::tab:hover:!selected { border-color: %10; }
#ribbonBar > QToolButton { color: %6; border-radius: 3px; padding: 2px 6px; }
#ribbonBar > QToolButton:hover { background: %11; color: black; }
#ribbonPages { background: %2; border-top: 1px solid %10; }
#ribbonCategory { background: transparent; }
#ribbonPanel { background: %3; border: 1px solid %10; border-radius: 3px; margin: 1px 2px; }
#ribbonPanel QToolButton { color: %9; border: 1px solid transparent; border-radius: 3px; padding: 1px 3px; }
#ribbonPanel QToolButton:hover { color: black; background: %11; border-color: %10; }
#ribbonPanel QToolButton:pressed { color: black; background: %11; border-color: %12; }
#ribbonPanel QToolButton:disabled { color: %10; }
#ribbonPanel QToolButton[popupMode="1"] { padding-right: 14px; }
#ribbonPanel QToolButton::menu-button { border: none; width: 12px; }
#ribbonBar #ribbonPanelCaption { color: %9; background: transparent; font-size: 8pt; padding-top: 1px; }
#navigationBar { color: %4; background: %5; }
QMdiArea { background: %8; }
#navigationBarHeader { color: %14; background: %13; font-weight: bold; font-size: 11pt; padding: 5px 8px;
                       border-bottom: 1px solid %10; }
#navigationPages { background: palette(base); border: 1px solid %10; }
QToolButton[navigationPageButton="true"] { color: %4; font-weight: bold; text-align: left; padding: 5px 8px;
                                           border: none; border-top: 1px solid %10; background: %15; }
QToolButton[navigationPageButton="true"]:hover { color: black; background: %11; }
QToolButton[navigationPageButton="true"]:checked { color: black; background: %11; }
#navigationSmallBar { border-top: 1px solid %10; background: %15; }
#navigationSmallBar QToolButton { border: none; padding: 3px; }
QStatusBar { background: %16; color: %17; border-top: 1px solid %10; }
QStatusBar QLabel { color: %17; padding: 0 6px; }
QMdiArea QTabBar::tab { color: %4; background: %15; border: 1px solid %10; border-bottom: none;
                        padding: 4px 12px; margin-right: -1px;
                        border-top-left-radius: 6px; border-top-right-radius: 2px; }
QMdiArea QTabBar::tab:selected { color: palette(text); background: palette(base); font-weight: bold; }
QMdiArea QTabBar::tab:hover:!selected { color: black; background: %11; }
)");
    sheet = sheet.arg(Gradient(l.ribbonTop, l.ribbonTop.darker(108), l.flat), // %1
        Gradient(l.ribbonBottom, l.ribbonBottom.darker(104), l.flat), // %2
        Gradient(l.panelTop, l.panelBottom, l.flat), // %3
        l.text.name(), // %4
        l.window.name(), // %5
        l.ribbonText.name(), // %6
        Gradient(l.panelTop, l.ribbonBottom, l.flat), // %7
        l.workspace.name(), // %8
        l.panelText.name()); // %9
    sheet = sheet.arg(l.border.name(), // %10
        l.hot.name(), // %11
        l.appButton.name(), // %12
        Gradient(l.navHeader, l.navHeader.darker(112), l.flat), // %13
        l.navHeaderText.name(), // %14
        Gradient(l.navButtonTop, l.navButtonBottom, l.flat), // %15
        Gradient(l.status, l.status.darker(106), l.flat), // %16
        l.statusText.name()); // %17
    return sheet;
}

namespace {

// The palette of a look: its colours for window, text and selection; lists, tables and
// edit fields stay white with black text.
QPalette LookPalette(const Look& look, const QColor& window, const QColor& text)
{
    QPalette palette = QApplication::style()->standardPalette();
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, look.highlight);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, Rgb(0xffffe1));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Dark, look.workspace);
    // The colours above went to every colour group; disabled texts (menu
    // items without a handler, for one) must look disabled in every look.
    const QColor disabledText = Mix(text, window, 0.55);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        palette.setColor(QPalette::Disabled, role, disabledText);
    return palette;
}

// The property that marks a document's content widget (MarkContent).
constexpr const char* kContentProperty = "lumetraContent";

bool IsDark(const QColor& colour)
{
    return colour.lightness() < 128;
}

} // namespace

QPalette CVisualManager::ContentPalette()
{
    const Look& look = LookFor(g_current);
    if (!IsDark(look.window))
        return QApplication::palette();
    // Toolbar pictures and field areas are drawn for light ground: a light grey of the look.
    return LookPalette(look, Rgb(0xe4e4e4), Rgb(0x1f1f1f));
}

void CVisualManager::MarkContent(QWidget* widget)
{
    widget->setProperty(kContentProperty, true);
    // The content's own widgets mostly leave their ground unpainted: this one paints it.
    widget->setAutoFillBackground(true);
    widget->setPalette(ContentPalette());
}

int CVisualManager::Apply(int id)
{
    if (id < kFirstLook || id > kLastLook)
        id = kDefaultLook;
    // Widgets that follow the look ask for its colours while the palette changes.
    g_current = id;
    const Look& look = LookFor(id);
    if (QStyle* style = QStyleFactory::create(QLatin1String(look.style)))
        QApplication::setStyle(style);
    const QPalette palette = LookPalette(look, look.window, look.text);
    QApplication::setPalette(palette);
    // Item views draw on white: their branch arrows and check marks take the text colour,
    // not the look's window text (light in a dark look).
    QPalette views = palette;
    views.setColor(QPalette::Active, QPalette::WindowText, palette.color(QPalette::Active, QPalette::Text));
    views.setColor(QPalette::Inactive, QPalette::WindowText, palette.color(QPalette::Inactive, QPalette::Text));
    QApplication::setPalette(views, "QAbstractItemView");
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        app->setStyleSheet(StyleSheet(id));
    // After the style sheet, which polishes every widget anew.
    const QPalette content = ContentPalette();
    for (QWidget* widget : QApplication::allWidgets()) {
        if (widget->property(kContentProperty).toBool())
            widget->setPalette(content);
    }
    return id;
}

int CVisualManager::Current()
{
    return g_current;
}
