#include "tests/ui/frame_fixture.h"

#include "app/settings_file.h"
#include "store/attribute_tables.h"
#include "tests/support/eventually.h"
#include "ui/knowledge_tree_model.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <sstream>

namespace tarnel::test {

void FrameTest::writeSettings(const std::string& bytes) {
    writeBytes(program / "tarnel.ini", bytes);
}

void FrameTest::makeCategories(const std::vector<std::string>& paths) {
    store::NullChangeSink sink;
    store::KnowledgeStore base(platform::realFileSystem(), sink);
    ASSERT_EQ(base.open(data()), 0);
    for (const std::string& path : paths) {
        store::CategoryRecord* parent = base.categories().root();
        std::istringstream names(path);
        std::string name;
        while (std::getline(names, name, '/')) {
            store::CategoryRecord* found = nullptr;
            for (store::CategoryRecord* child : base.categories().children(parent)) {
                if (child->name() == name) {
                    found = child;
                }
            }
            if (!found) {
                auto record = std::make_unique<store::CategoryRecord>();
                record->values.setValue(store::category::kName, name);
                record->values.setInteger(store::category::kStarNum, 1);
                record->values.setInteger(store::category::kState, 1);
                record->values.setValue(store::category::kCreateDate, "2024-05-06 07:08:09");
                found = record.get();
                ASSERT_EQ(base.categories().add(std::move(record), parent), 0);
            }
            parent = found;
        }
    }
    ASSERT_EQ(base.saveAll(), 0);
}

void FrameTest::start() {
    app::SettingsFile file;
    file.firstRead(settings, program.path());
    file.versionBookkeeping(settings);
    ui::CMainFrame::Services services;
    services.opener = &opener;
    services.fileSystem = fileSystem;
    services.launcher = launcher;
    services.prompt = messageBoxes ? nullptr : &prompt;
    services.builtInSkin = builtInSkin;
    services.webWindows = webWindows;
    frame = std::make_unique<ui::CMainFrame>(settings, QIcon(":/tarnel/tarnel.svg"), services);
    frame->load_skin(true);
    frame->showMaximized();
    frame->initialUpdate();
    frame->postMessage(ui::FrameMessage::OpenBase);
    ASSERT_EVENTUALLY(frame->base() != nullptr);
}

ui::KnowledgeTreeModel& FrameTest::tree() {
    return *frame->treeModel();
}

QModelIndex FrameTest::categoryIndex(const std::string& path) {
    QModelIndex at = tree().categoryRootIndex();
    std::istringstream names(path);
    std::string name;
    while (std::getline(names, name, '/')) {
        QModelIndex found;
        for (int row = 0; row < tree().rowCount(at); ++row) {
            QModelIndex child = tree().index(row, 0, at);
            store::CategoryRecord* record = tree().categoryAt(child);
            if (record && record->name() == name) {
                found = child;
            }
        }
        if (!found.isValid()) {
            return {};
        }
        at = found;
    }
    return at;
}

store::CategoryRecord* FrameTest::category(const std::string& path) {
    return tree().categoryAt(categoryIndex(path));
}

void FrameTest::TearDown() {
    frame.reset();
    EXPECT_EQ(prompt.answersLeft(), 0u);
}

void whenShown(std::function<QWidget*()> find, std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, find, act] {
        if (QWidget* shown = find()) {
            timer->stop();
            timer->deleteLater();
            act(shown);
        }
    });
    timer->start();
}

void whenModal(std::function<void(QWidget*)> act) {
    whenShown([] { return QApplication::activeModalWidget(); }, std::move(act));
}

void whenMessageBox(std::function<void(QMessageBox&)> act) {
    whenShown([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); },
              [act](QWidget* box) { act(static_cast<QMessageBox&>(*box)); });
}

std::vector<std::string> entriesOf(const QMenu& menu) {
    std::vector<std::string> entries;
    for (QAction* action : menu.actions()) {
        entries.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    }
    return entries;
}

} // namespace tarnel::test
