#pragma once

#include "richtext/document.h"

#include <QTextEdit>

namespace tarnel::ui {

class CTableTools;

// The reading area's editor: what it copies carries the selection as rich text ("text/rtf") as
// well, and what it takes in goes through the rich-text bridge, so that nothing the model cannot
// hold enters the document. Rich text is read by our reader; a pasted or dropped picture (image
// bytes, an image, a picture file) becomes a model picture with its own bytes; HTML keeps what the
// model holds of it; anything else is plain text. Its context menu adds the table edits to the
// usual ones; Tab and Shift+Tab move between a table's cells. Text that names no size is shown at
// the size it is saved with.
class CRichTextEditor : public QTextEdit {
    Q_OBJECT

public:
    static constexpr const char* kRtfMime = "text/rtf";

    explicit CRichTextEditor(QWidget* parent = nullptr);

    // Inserts the picture at the caret, replacing the selection, as one edit.
    void insertPicture(const richtext::Picture& picture);

    CTableTools& tableTools() { return *m_tables; }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void typePlainInEmptyCell();
    bool insertPictureFrom(const QMimeData& source);
    void insertModel(const richtext::Document& document);

    CTableTools* m_tables;
};

} // namespace tarnel::ui
