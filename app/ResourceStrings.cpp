#include "app/ResourceStrings.h"

#include <QHash>

QString LoadResourceString(int id)
{
    static const QHash<int, QString> kStrings {
        {100, QStringLiteral("OLE initialization failed.  Make sure that the OLE libraries are the correct version.")},
        {128, QStringLiteral("Lumetra")},
        {252, QStringLiteral("Shortcuts")},
        {253, QStringLiteral("Reports")},
        {258, QStringLiteral("Reports")},
        {260, QStringLiteral("File")},
        {306, QStringLiteral("Edit")},
        {308, QStringLiteral("Favorites")},
        {315, QStringLiteral("Please enter a name")},
        {316, QStringLiteral("Would you like to remove report %s")},
        {326, QStringLiteral("Manage path")},
        {327, QStringLiteral("Lumetra")},
        {122, QStringLiteral(" ")},
        {123, QStringLiteral(" ")},
        {132, QStringLiteral("Windows...")},
        {221, QStringLiteral("Show or hide the caption bar\nToggle Caption Bar")},
        {274, QStringLiteral("&Report")},
        {284, QStringLiteral("Window\nw")},
        {285, QStringLiteral("Windows\ni")},
        {286, QStringLiteral("Style")},
        {287, QStringLiteral("Modify Visual Style")},
        {288, QStringLiteral("Choose one of the Office 2007 themes")},
        {318, QStringLiteral("Report")},
        {320, QStringLiteral("Create Local Cube")},
        {321, QStringLiteral("Add Favorite\nAdd Favorite")},
        {322, QStringLiteral("Create Local Cube\nCreate Local Cube")},
        {323, QStringLiteral("Manage Datasources\nManage Datasources")},
        {324, QStringLiteral("Cubes/Sources")},
        {329, QStringLiteral("Import report\nImport report")},
        {57345, QStringLiteral("Ready")},
        {57600, QStringLiteral("Create a new report\nNew")},
        {57601, QStringLiteral("Open an existing report\nOpen")},
        {57602, QStringLiteral("Close the active report\nClose")},
        {57603, QStringLiteral("Save the active report\nSave")},
        {57604, QStringLiteral("Save the active report with a new name\nSave As")},
    };
    return kStrings.value(id);
}
