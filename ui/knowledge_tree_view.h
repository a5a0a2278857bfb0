#pragma once

#include <QTreeView>
#include <filesystem>
#include <functional>
#include <vector>

namespace tarnel::ui {

class CategoryCommands;
class KnowledgeTreeModel;
class TagCommands;

// The knowledge tree's widget ("classTree"): white, without header. Keys: F2 edits a category's
// or tag's name in place (a click on the selected item too, when allowed), F3 moves it by dialog,
// Del removes it, Enter opens; a double-click opens; drag and drop moves a category or a tag. The
// context menu holds the commands of the item's kind. User-interface thread only.
class KnowledgeTreeView : public QTreeView {
    Q_OBJECT

public:
    explicit KnowledgeTreeView(QWidget* parent = nullptr);

    void setKnowledgeModel(KnowledgeTreeModel* model);
    // Null while no base is open.
    void setCommands(CategoryCommands* commands) { m_commands = commands; }
    void setTagCommands(TagCommands* commands) { m_tagCommands = commands; }
    // MODIFY_CLASS_NAME: a click on the selected item edits it as well.
    void setClickEdits(bool clickEdits);
    // What opening an item does (its window).
    void setOpener(std::function<void(const QModelIndex&)> open) { m_open = std::move(open); }

    // The context menu of the item, as the right button shows it; for tests and the keyboard.
    void fillMenu(QMenu& menu, const QModelIndex& index);

    // What a drop from outside the program on a category hands over: its local files (none when
    // it held anything else, a web link or text) and the category's id. Called after the drop
    // event has returned, so that it may ask. No handler: such drops are not taken.
    using FileDropHandler =
        std::function<void(const std::vector<std::filesystem::path>& files, long long category)>;
    void setFileDropHandler(FileDropHandler handler) { m_fileDrop = std::move(handler); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    KnowledgeTreeModel* m_model = nullptr;
    void editItem(const QModelIndex& at);

    CategoryCommands* m_commands = nullptr;
    TagCommands* m_tagCommands = nullptr;
    std::function<void(const QModelIndex&)> m_open;
    FileDropHandler m_fileDrop;

    bool isOutsideDrop(const QDropEvent& event) const;
    // The id of the category of the category store at the position; none elsewhere.
    long long droppedOnCategory(const QPoint& at) const;
};

} // namespace tarnel::ui
