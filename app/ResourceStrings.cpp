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
    };
    return kStrings.value(id);
}
