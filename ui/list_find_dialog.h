#pragma once

#include "app/prompt.h"

#include <QDialog>
#include <QString>

class QAbstractItemView;
class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace tarnel::ui {

// The texts of the find in a point list.
namespace list_finding {
inline constexpr const char* kNotFound = "没有找到匹配的记录!";
inline constexpr const char* kWrapToStart = "查找至末尾，是否从头开始查找?";
inline constexpr const char* kWrapToEnd = "查找至顶部，是否从尾开始查找?";
} // namespace list_finding

// Finds a row of a list by the name in its name column (a category, tag or point), from one row
// below (down) or above (up) the current row, and makes it current, selected and scrolled into
// view. A search that covered the whole list and found nothing says so; one that started inside
// it offers to go on from the other end. Without match case, ASCII letters match either case.
class ListFinder {
public:
    enum class Direction { Down, Up };
    struct Query {
        QString text;
        Direction direction = Direction::Down;
        bool matchCase = false;
    };

    ListFinder(QAbstractItemView& view, int nameColumn, app::Prompt& prompt)
        : m_view(view), m_nameColumn(nameColumn), m_prompt(prompt) {}

    // False when nothing was found (after the message or the declined question).
    bool find(const Query& query);

private:
    // The first matching row of first, first ± 1, ... up to last (inclusive); -1 when none.
    int scan(const Query& query, int first, int last) const;
    bool matches(const Query& query, int row) const;
    void select(int row);

    QAbstractItemView& m_view;
    int m_nameColumn;
    app::Prompt& m_prompt;
};

// The list's modeless find dialog ("listFindDialog", Ctrl+F): the text ("findText"), the direction
// ("findUp", "findDown"), "区分大小写" ("matchCase") and "查找下一个" ("findNextButton").
class CListFindDialog : public QDialog {
    Q_OBJECT

public:
    CListFindDialog(ListFinder finder, QWidget* parent);

    // Shows the dialog, raised, with its text selected for typing over.
    void present();
    void findNext();

private:
    ListFinder m_finder;
    QLineEdit* m_text;
    QRadioButton* m_up;
    QRadioButton* m_down;
    QCheckBox* m_matchCase;
};

} // namespace tarnel::ui
