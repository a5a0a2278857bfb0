#pragma once

#include "richtext/document.h"
#include "richtext/rtf_writer.h"

#include <QTextFormat>
#include <vector>

class QTextCursor;
class QTextDocument;
class QTextTable;

// Carries a rich-text model into a QTextDocument for the editor and back for the save, so that
// whatever the model holds comes back unchanged: the font names as the file stored them, sizes in
// half points, indents in twips, hidden text, absent colours, the pictures' own bytes, list levels
// and tables with their merged cells, borders and widths in twips. What Qt cannot hold as such
// rides along in format properties of our own.
namespace tarnel::ui {

// Properties the bridge sets on the formats it makes.
namespace bridge {
// The font name as stored (a QString); the family Qt shows may be a substitute.
inline constexpr int kStoredFont = QTextFormat::UserProperty + 1;
// The stored indents in twips (int) and the pixels they were shown at (qreal).
inline constexpr int kLeftTwips = QTextFormat::UserProperty + 2;
inline constexpr int kRightTwips = QTextFormat::UserProperty + 3;
inline constexpr int kFirstLineTwips = QTextFormat::UserProperty + 4;
// Marks a block made from a paragraph, so that a document of one empty paragraph stays one.
inline constexpr int kParagraph = QTextFormat::UserProperty + 5;
// A hidden run: its text (a QString) on a zero-size inline object that is neither drawn nor
// found.
inline constexpr int kHiddenText = QTextFormat::UserProperty + 6;
// A picture's model fields (ints) besides its bytes, which are a document resource.
inline constexpr int kPictureFormat = QTextFormat::UserProperty + 7;
inline constexpr int kPictureWidth = QTextFormat::UserProperty + 8;
inline constexpr int kPictureHeight = QTextFormat::UserProperty + 9;
inline constexpr int kGoalWidth = QTextFormat::UserProperty + 10;
inline constexpr int kGoalHeight = QTextFormat::UserProperty + 11;
inline constexpr int kScaleX = QTextFormat::UserProperty + 12;
inline constexpr int kScaleY = QTextFormat::UserProperty + 13;
inline constexpr int kMapMode = QTextFormat::UserProperty + 14;
// The resource that holds a picture's bytes (a QUrl's text).
inline constexpr int kPictureData = QTextFormat::UserProperty + 15;
// The resource that holds an animated picture's GIF bytes (a QUrl's text).
inline constexpr int kPictureAnimation = QTextFormat::UserProperty + 16;
// A list item's model fields on its list's format (ints; the bullet a QString).
inline constexpr int kListId = QTextFormat::UserProperty + 40;
inline constexpr int kListLevel = QTextFormat::UserProperty + 41;
inline constexpr int kListStart = QTextFormat::UserProperty + 42;
inline constexpr int kListBullet = QTextFormat::UserProperty + 43;
// A number that shows those of the levels above it: how many (an int), the text after each and
// the model's prefix (QStrings), which the shown prefix holds together with those numbers.
inline constexpr int kListOuterNumbers = QTextFormat::UserProperty + 46;
inline constexpr int kListJoint = QTextFormat::UserProperty + 47;
inline constexpr int kListPrefix = QTextFormat::UserProperty + 48;
// A table's model layout on its format: per row a QVariantList of the row's fields followed by
// each cell's (see tableLayout), and the right boundaries of the grid's columns in twips.
inline constexpr int kTableRows = QTextFormat::UserProperty + 44;
inline constexpr int kTableColumns = QTextFormat::UserProperty + 45;

inline constexpr int kHiddenObjectType = QTextFormat::UserObject + 1;
} // namespace bridge

// Replaces the content of target with the document. The undo stack starts empty.
void toQt(const richtext::Document& document, QTextDocument& target);

// The model of what the QTextDocument holds now.
richtext::Document fromQt(const QTextDocument& source);
// The same, written through the sink as the writer writes it while the document is still being
// read (the reading area's save): returns the model written.
richtext::Document writtenFromQt(const QTextDocument& source,
                                 const richtext::RtfWriter::Sink& sink);

// The character format of a list item's block, which Qt draws its number or bullet with: the font
// and size of the item's first character, so that the label stands on the text's baseline at the
// text's size instead of the document's default font.
QTextCharFormat listLabelFormat(const QTextCharFormat& firstCharacter);

// Inserts the document at the cursor as an edit (it can be undone): its first paragraph's content
// joins the cursor's paragraph, each further paragraph starts one of its own. Pictures keep their
// bytes; an animated one plays.
void insertDocument(QTextCursor& cursor, const richtext::Document& document);

// The model of the cursor's selection, its pictures' bytes included.
richtext::Document selectionModel(const QTextCursor& cursor);

// A table's layout by the columns of its grid, as the table tools edit it: each column's right
// boundary in twips and each row's fields with one cell per column, carrying the borders and
// shading of the cell that covers the column (no merges, no blocks).
struct TableGrid {
    std::vector<int> boundaries;
    std::vector<richtext::TableRow> rows;
};

// The grid of the table as the bridge made it; for a table it did not make, columns of the widths
// the table shows (an inch where it has none) and cells without borders.
TableGrid tableGrid(const QTextTable& table);

// Gives the table the grid's layout with the merges the table shows now: the widths and the
// cells' borders and shading on screen, and the layout the save writes. The grid has a row for
// each of the table's rows and a column for each of its columns.
void setTableGrid(QTextTable& table, const TableGrid& grid);

// The pixels per twip the bridge lays out with (the screen's logical resolution).
double pixelsPerTwip();

} // namespace tarnel::ui
