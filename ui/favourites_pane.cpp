#include "ui/favourites_pane.h"

#include <QTreeWidgetItemIterator>

namespace tarnel::ui {
namespace {

constexpr int kUrlRole = Qt::UserRole;
constexpr int kFolderRole = Qt::UserRole + 1;

bool isOpenable(const QUrl& url) {
    static const QStringList schemes{"http", "https", "file"};
    return url.isValid() && schemes.contains(url.scheme().toLower()) &&
           (url.isLocalFile() || !url.host().isEmpty());
}

} // namespace

CFavouritesPane::CFavouritesPane(Services services, std::filesystem::path folder, QWidget* parent)
    : QTreeWidget(parent), m_services(std::move(services)), m_folder(std::move(folder)) {
    setObjectName("favouritesTree");
    setAccessibleName("收藏夹");
    setHeaderHidden(true);
    QPalette white = palette();
    white.setColor(QPalette::Base, Qt::white);
    setPalette(white);
    connect(this, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { openItem(item); });
}

void CFavouritesPane::refill() {
    m_filled = true;
    clear();
    ops::FavouritesTree tree = ops::readFavourites(*m_services.fileSystem, m_folder);
    auto* root = new QTreeWidgetItem(this, QStringList{QString::fromStdString(tree.root.label)});
    root->setData(0, kFolderRole, true);
    if (!tree.error.empty()) {
        root->setToolTip(0, QString::fromStdString(tree.error));
    }
    addChildren(root, tree.root);
    showIcons();
    root->setExpanded(true);
}

void CFavouritesPane::addChildren(QTreeWidgetItem* parent, const ops::FavouriteItem& folder) {
    for (const ops::FavouriteItem& child : folder.children) {
        auto* item = new QTreeWidgetItem(parent, QStringList{QString::fromStdString(child.label)});
        item->setData(0, kFolderRole, child.isFolder);
        if (child.isFolder) {
            addChildren(item, child);
        } else {
            QString url = QString::fromStdString(child.url);
            item->setData(0, kUrlRole, url);
            item->setToolTip(0, url);
        }
    }
}

void CFavouritesPane::showIcons() {
    if (!m_services.images) {
        return;
    }
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        bool folder = (*it)->data(0, kFolderRole).toBool();
        (*it)->setIcon(0,
                       m_services.images->icon(folder ? skin::ICON_FOLDER_CLOSE : skin::ICON_WEB));
    }
}

void CFavouritesPane::openItem(QTreeWidgetItem* item) {
    if (!item || item->data(0, kFolderRole).toBool()) {
        return;
    }
    QString text = item->data(0, kUrlRole).toString();
    QUrl url(text, QUrl::StrictMode);
    if (!isOpenable(url)) {
        m_services.prompt->show(QString::fromUtf8(kBadAddress).arg(text).toStdString(),
                                app::MessageIcon::Error);
        return;
    }
    m_services.open(url);
}

} // namespace tarnel::ui
