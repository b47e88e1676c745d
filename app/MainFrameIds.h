#pragma once

#include <QIcon>
#include <QString>

#include <cstdint>

// Command ids, profile entries and small helpers shared by the files of
// CMainFrame (see also framework/CommandIds.h).
namespace mainframe {

inline constexpr int kAddFavorite = 321;
inline constexpr int kAddFavoriteMenu = 32773;
inline constexpr int kCreateLocalCube = 322;
inline constexpr int kManageDatasources = 323;
inline constexpr int kImportReport = 329;
inline constexpr int kOpenItem = 32774;
inline constexpr int kCreateFolder = 32776;
inline constexpr int kChangeName = 32777;
inline constexpr int kDeleteItem = 32778;
inline constexpr int kOrganizeFavorites = 32779;
inline constexpr int kCreateReport = 32780;
inline constexpr int kManageDatasourcesMenu = 32782;
inline constexpr int kCaptionBar = 221;
inline constexpr int kStyle = 286;
inline constexpr int kPrintSetup = 57606;
inline constexpr int kQuickPrint = 57608;
inline constexpr int kPrintPreview = 57609;
inline constexpr int kUndo = 57643;
inline constexpr int kCut = 57635;
inline constexpr int kCopy = 57634;
inline constexpr int kPaste = 57637;

inline constexpr const char* kProfileSection = "Settings";
inline constexpr const char* kPaneWidthEntry = "NavigationBarWidth";

//! An image of the program's resources by name; none for an empty name.
inline QIcon Image(const QString& name)
{
    return name.isEmpty() ? QIcon() : QIcon(QStringLiteral(":/images/%1.svg").arg(name));
}

//! Report types 1 to 6 are OLAP reports; compared without sign.
inline bool IsOlapType(std::int32_t type)
{
    const auto value = static_cast<std::uint32_t>(type);
    return value >= 1 && value <= 6;
}

} // namespace mainframe
