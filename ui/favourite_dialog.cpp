#include "ui/favourite_dialog.h"

#include "ops/favourite_writer.h"
#include "ops/favourites_tree.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace tarnel::ui {
namespace {

void addFolderItems(QComboBox& box, const ops::FavouriteItem& folder, const QString& relative,
                    int depth) {
    for (const ops::FavouriteItem& child : folder.children) {
        if (!child.isFolder) {
            continue;
        }
        QString path = relative.isEmpty() ? QString::fromStdString(child.label)
                                          : relative + '/' + QString::fromStdString(child.label);
        box.addItem(QString(depth * 2, ' ') + QString::fromStdString(child.label), path);
        addFolderItems(box, child, path, depth + 1);
    }
}

} // namespace

CFavouriteDialog::CFavouriteDialog(const QString& title, const QString& url,
                                   std::filesystem::path favourites, app::Prompt& prompt,
                                   QWidget* parent, const platform::FileSystem& fileSystem)
    : QDialog(parent), m_url(url), m_favourites(std::move(favourites)), m_prompt(prompt),
      m_fileSystem(fileSystem), m_name(new QLineEdit(title, this)), m_folder(new QComboBox(this)) {
    setObjectName("favouriteDialog");
    setWindowTitle("添加到收藏夹");
    m_name->setObjectName("favouriteName");
    m_folder->setObjectName("favouriteFolder");
    m_folder->addItem(kTopFolder, QString());
    addFolderItems(*m_folder, ops::readFavourites(m_fileSystem, m_favourites).root, QString(), 1);
    auto* form = new QFormLayout(this);
    form->addRow("名称(&N):", m_name);
    form->addRow("创建到(&F):", m_folder);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText("确定");
    buttons->button(QDialogButtonBox::Ok)->setObjectName("favouriteOk");
    buttons->button(QDialogButtonBox::Cancel)->setText("取消");
    connect(buttons, &QDialogButtonBox::accepted, this, &CFavouriteDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CFavouriteDialog::reject);
    form->addRow(buttons);
}

void CFavouriteDialog::accept() {
    ops::FavouriteAdded added = ops::addFavourite(
        m_fileSystem, m_favourites, m_folder->currentData().toString().toStdString(),
        m_name->text().toStdString(), m_url.toStdString());
    if (added.code != 0) {
        m_prompt.show(kWriteFailed, app::MessageIcon::Error);
        m_name->setFocus();
        return;
    }
    m_written = added.file;
    QDialog::accept();
}

} // namespace tarnel::ui
