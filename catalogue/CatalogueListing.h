#pragma once

#include <QString>

class CatalogueDocument;
struct CatalogueNode;

//! The text listing of a catalogue that the catalogue tool prints and the
//! tests compare: one line per item in pre-order, two spaces per level,
//! then TAB-separated: plain text, Reporttype1, Reporttype2, Filename1,
//! Filename2, image index, bChecked, bEnabled, bSeparator (each 0 or 1),
//! text colour and background colour as the writer writes them (empty when
//! default), and the note.
class CatalogueListing {
public:
    //! The line of one item at the given depth, without line end.
    static QString Line(const CatalogueNode& node, int level);
    //! The lines of every item, each ended by a line feed.
    static QString List(const CatalogueDocument& document);
};
