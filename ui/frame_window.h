#pragma once

#include "store/change_notification.h"

#include <optional>
#include <string>

class QWidget;

namespace tarnel::ui {

// The kinds of the windows in the main window's window area, numbered as the menus know them.
enum class WindowKind : int { Web = 3, Category = 4, Tag = 5, Point = 6, Search = 7, NewPoint = 8 };

// The object a category or tag window shows: the data source, the store and the record. Kept
// whole, so that large ids and the two root records (id 0 in each store) never collide.
struct ObjectIdentity {
    int source = 0;
    store::StoreKind store = store::StoreKind::Category;
    long long id = 0;

    bool operator==(const ObjectIdentity&) const = default;
};

// One window of the window area (one tab). The main window owns it and shows its panes: the
// upper pane (a list above a reading area) only when the window has one. User-interface thread
// only.
class FrameWindow {
public:
    virtual ~FrameWindow() = default;

    virtual WindowKind kind() const = 0;
    // The shown object for category and tag windows; none for the other kinds.
    virtual std::optional<ObjectIdentity> identity() const { return std::nullopt; }
    // The tab text, the window list's label and the caption's window name.
    virtual std::string name() const = 0;

    // The tab's image: an index of the main image list, or -1 for none.
    virtual int tabImage() const { return -1; }

    virtual QWidget* upperPane() { return nullptr; }
    virtual QWidget* lowerPane() = 0;

    // A new knowledge point that was never saved (kind NewPoint).
    virtual bool isUnsavedNewPoint() const { return false; }
    // Content or a comment edited but not saved.
    virtual bool hasUnsavedContent() const { return false; }
    // Asks whether to save the unsaved content and does what the user chose; false when the user
    // cancelled, so that the close or exit stops.
    virtual bool runSavePrompt() { return true; }

    // True when the notification may change the window's name: by default one about its object.
    virtual bool isNamedBy(const store::ChangeNotification& notification) const {
        return identity() == ObjectIdentity{0, notification.store, notification.id};
    }
    // A change notification, in order; the window refreshes what it shows.
    virtual void applyChange(const store::ChangeNotification&) {}
    // True when the shown object no longer exists where the window found it.
    virtual bool objectGone() const { return false; }
};

} // namespace tarnel::ui
