#pragma once

#include "app/prompt.h"
#include "ops/favourites_tree.h"
#include "platform/file_system.h"
#include "ui/main_image_list.h"

#include <QTreeWidget>
#include <QUrl>
#include <filesystem>
#include <functional>

namespace tarnel::ui {

// The workspace pane "收 藏 夹": the favourites folder as a tree under the root "IE收藏夹", in the
// folder's name order. Opening a favourite (double-click or
// Enter) hands its address to open; an address that is no web or file address is refused with a
// message. The main window owns it; user-interface thread only.
class CFavouritesPane : public QTreeWidget {
    Q_OBJECT

public:
    static constexpr const char* kBadAddress = "无法打开此收藏的网址:“%1”";

    struct Services {
        const platform::FileSystem* fileSystem = &platform::realFileSystem();
        app::Prompt* prompt = nullptr;
        const MainImageList* images = nullptr;
        std::function<void(const QUrl&)> open;
    };

    CFavouritesPane(Services services, std::filesystem::path folder, QWidget* parent = nullptr);

    // Reads the folder again and shows it; the root is expanded. A folder that could not be read
    // to its end keeps what was read, and the root's tooltip tells why.
    void refill();
    // True once refill() ran.
    bool isFilled() const { return m_filled; }
    // The skin's icons on every item again.
    void showIcons();
    // Opens the favourite of that item; folders open nothing.
    void openItem(QTreeWidgetItem* item);

private:
    void addChildren(QTreeWidgetItem* parent, const ops::FavouriteItem& folder);

    Services m_services;
    std::filesystem::path m_folder;
    bool m_filled = false;
};

} // namespace tarnel::ui
