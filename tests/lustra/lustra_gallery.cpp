// Every Lustra control in one window, for driving by hand or by a script: it prints each event
// and, on request, where its targets are on the screen; it grabs itself as a PPM picture.
//
// Commands on standard input, one a line: "where", "rows", "popup", "grab <file>", "quit".
#include "lustra/lustra.h"
#include "tests/lustra/tool_pane_host.h"

#include <QApplication>
#include <QImage>
#include <QSocketNotifier>
#include <QTextStream>
#include <QWidget>
#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

using namespace LUSTRA;

void say(const std::string& line) {
    std::cout << line << std::endl;
}

class Gallery : public QWidget {
public:
    Gallery() {
        setObjectName("lustraGallery");
        setWindowTitle("Lustra gallery");
        setFixedSize(400, 230);
        buildToolPane();
        buildTreeList();
        buildCombo();
        buildProgress();
    }

    void command(const std::string& line) {
        if (line == "where") {
            where();
        } else if (line == "rows") {
            std::string rows = "rows";
            for (int row = 0; row < m_tree->count(); ++row) {
                rows += " " + m_tree->item(row)->text().toStdString();
            }
            say(rows);
        } else if (line == "popup") {
            say(std::string("popup ") + (m_combo->view()->isVisible() ? "open" : "closed"));
        } else if (line.rfind("grab ", 0) == 0) {
            const std::string path = line.substr(5);
            const bool saved = grab()
                                   .toImage()
                                   .convertToFormat(QImage::Format_RGB888)
                                   .save(QString::fromStdString(path), "PPM");
            say((saved ? "grabbed " : "not grabbed ") + path);
        } else if (line == "quit") {
            QApplication::quit();
        } else {
            say("unknown command " + line);
        }
    }

protected:
    bool event(QEvent* event) override {
        if (event->type() == CListBoxNotifyEvent::eventType()) {
            const auto* request = static_cast<CListBoxNotifyEvent*>(event);
            const char* from = request->list() == m_tree ? "list " : "combo-parent ";
            say(from + std::to_string(request->message()) + " " + std::to_string(request->row()));
            return false;
        }
        return QWidget::event(event);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_combo && event->type() == CListBoxNotifyEvent::eventType()) {
            const auto* request = static_cast<CListBoxNotifyEvent*>(event);
            if (request->message() == LBEN_CHECKCHANGE) {
                QMetaObject::invokeMethod(
                    this, [this] { say("combo-check " + m_combo->GetCheckText()); },
                    Qt::QueuedConnection);
            }
        }
        return QWidget::eventFilter(watched, event);
    }

private:
    void buildToolPane() {
        m_host = new tarnel::test::ToolPaneHost(this);
        m_host->setObjectName("toolPane");
        m_host->setAccessibleName("tool pane");
        m_host->setGeometry(0, 0, 400, 40);
        m_picture = QImage(16, 16, QImage::Format_ARGB32_Premultiplied);
        m_picture.fill(QColor(32, 80, 160));
        m_image = ST_IMG_INFO{&m_picture, 0, 0, 16, 16, 0, 0};
        CToolPaneExt& pane = m_host->pane;
        pane.SetBkColor(1, 0xd0e0f0); // hot: red 240, green 224, blue 208
        pane.SetFrameColor(1, 0x805020);
        addButton(1, "保存", true);
        addButton(2, "Open", true);
        ST_TOOLBAR_ITEM separator;
        separator.nID = -1;
        separator.nWidth = 9;
        separator.nHeight = -1;
        separator.nTopMargin = 2;
        separator.bEnabled = true;
        separator.bLeftGroup = true;
        pane.AddToolbarItem(separator);
        addButton(3, "Locked", true)->nState = 3;
        addButton(9, "Help", false);
        m_host->onClick = [](ST_TOOLBAR_ITEM* item) { say("click " + std::to_string(item->nID)); };
        m_host->onMove = [this] {
            ST_TOOLBAR_ITEM* hot = m_host->pane.GetHotItem();
            if (hot != m_lastHot) {
                m_lastHot = hot;
                say(hot ? "hot " + std::to_string(hot->nID) : std::string("hot none"));
            }
        };
    }

    ST_TOOLBAR_ITEM* addButton(int id, const char* label, bool left) {
        ST_TOOLBAR_ITEM item;
        item.nID = id;
        item.nWidth = -1;
        item.nHeight = 24;
        item.nImgWidth = 16;
        item.nImgHeight = 16;
        item.nGapBefore = 2;
        item.nGapAfter = 2;
        item.nPadding = 4;
        item.bEnabled = true;
        item.bShowText = true;
        item.bLeftGroup = left;
        for (ST_IMG_INFO*& picture : item.pImg) {
            picture = &m_image;
        }
        SetToolbarItemText(item, label);
        return m_host->pane.AddToolbarItem(item);
    }

    void buildTreeList() {
        m_tree = new CListBoxExt(this);
        m_tree->setObjectName("treeList");
        m_tree->setAccessibleName("tree list");
        m_tree->setGeometry(0, 50, 200, 120);
        m_tree->SetShowCheckBox(true);
        m_tree->SetNotifyWnd(this);
        addTreeItem(m_tree, 1, 0, "Root A");
        addTreeItem(m_tree, 2, 1, "A1");
        addTreeItem(m_tree, 3, 1, "A2");
        addTreeItem(m_tree, 4, 0, "Root B");
    }

    static void addTreeItem(CListBoxExt* list, long id, long parent, const char* text) {
        ST_LISTBOX_ITEM item;
        item.nItemID = id;
        item.pParent = list->GetItemByItemID(parent);
        item.bCanHaveChild = true;
        item.bCheckable = true;
        list->AddItem(item, text);
    }

    void buildCombo() {
        m_combo = new CComboBoxExt(this);
        m_combo->setObjectName("checkCombo");
        m_combo->setAccessibleName("check combo");
        m_combo->setGeometry(210, 50, 180, 24);
        m_combo->GetListBox()->SetShowCheckBox(true);
        m_combo->installEventFilter(this);
        for (const auto& [id, text] : {std::pair{11l, "甲"}, {12l, "乙"}, {13l, "丙"}}) {
            ST_LISTBOX_ITEM item;
            item.nItemID = id;
            item.bCheckable = true;
            m_combo->AddItem(item, text);
        }
    }

    void buildProgress() {
        m_progress = new CProgressCtrlExt(this);
        m_progress->setObjectName("progress");
        m_progress->setAccessibleName("progress");
        m_progress->setGeometry(0, 190, 400, 20);
        m_progress->setRange(0, 100);
        m_progress->setValue(50);
        m_progress->UpdatePercentText();
    }

    void at(const std::string& name, QWidget* widget, QPoint point) {
        const QPoint global = widget->mapToGlobal(point);
        const QPoint local = widget->mapTo(this, point);
        say("at " + name + " " + std::to_string(global.x()) + " " + std::to_string(global.y()) +
            " " + std::to_string(local.x()) + " " + std::to_string(local.y()));
    }

    void where() {
        for (int id : {1, 2, 3, 9}) {
            const QRect& item = m_host->pane.FindToolbarItem(id, 0)->rcItem;
            at("tool:" + std::to_string(id), m_host, item.center());
            at("tool:" + std::to_string(id) + ":corner", m_host, item.topLeft() + QPoint(2, 2));
        }
        at("tool:separator", m_host, m_host->pane.FindToolbarItem(-1, 0)->rcItem.center());
        for (int row = 0; row < m_tree->count(); ++row) {
            const ST_LISTBOX_ITEM* item = m_tree->GetItemByIndex(row);
            const int y = m_tree->visualItemRect(m_tree->item(row)).center().y();
            at("tree:check:" + std::to_string(row), m_tree->viewport(), QPoint(10, y));
            at("tree:button:" + std::to_string(row), m_tree->viewport(),
               QPoint(2 + 16 + item->nIndent + 8, y));
        }
        at("combo", m_combo, m_combo->rect().center());
        if (m_combo->view()->isVisible()) {
            QAbstractItemView* view = m_combo->view();
            for (int row = 0; row < m_combo->count(); ++row) {
                const int y = view->visualRect(view->model()->index(row, 0)).center().y();
                at("popup:check:" + std::to_string(row), view->viewport(), QPoint(10, y));
                at("popup:text:" + std::to_string(row), view->viewport(), QPoint(90, y));
            }
        }
        at("progress:filled", m_progress, QPoint(100, 3));
        at("progress:empty", m_progress, QPoint(300, 3));
        at("free", this, QPoint(300, 150));
        say("where done");
    }

    tarnel::test::ToolPaneHost* m_host = nullptr;
    CListBoxExt* m_tree = nullptr;
    CComboBoxExt* m_combo = nullptr;
    CProgressCtrlExt* m_progress = nullptr;
    QImage m_picture;
    ST_IMG_INFO m_image;
    ST_TOOLBAR_ITEM* m_lastHot = nullptr;
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    Gallery gallery;
    gallery.move(0, 0);
    gallery.show();
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    std::string pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[512];
        const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            QApplication::quit();
            return;
        }
        pending.append(buffer, std::size_t(got));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            gallery.command(line);
        }
    });
    say("ready");
    return application.exec();
}
