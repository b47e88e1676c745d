#pragma once

#include <QString>

class CXHtmlTree;
class QTreeWidgetItem;
class QLabel;

//! What the catalogue dialogs share: their tree set up with the catalogue
//! images and filled from a file, and the files they work on.
namespace cataloguedialog {

//! Prepares tree (images: folder, report, Office document), empties it and
//! reads file into it, expanded. A missing file leaves it empty.
void Load(CXHtmlTree* tree, const QString& file);
//! Writes the whole tree to file; on failure shows why in problem (and
//! logs it). An empty tree first gets a bare root item named emptyRoot, so
//! that deleting the last item empties the file too.
bool Write(CXHtmlTree* tree, const QString& file, QLabel* problem, const QString& emptyRoot);
//! The favourites file of the signed-in user and the data-source catalogue.
QString FavoritesFile();
QString DataSourceFile();
//! The name of the root item a new favourites file gets.
QString FavoritesRootName();
//! The markup of a favourite's or data source's item text.
QString BlueText(const QString& name);

} // namespace cataloguedialog
