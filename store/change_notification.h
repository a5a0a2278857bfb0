#pragma once

#include <cstdint>
#include <vector>

// The change notifications an operation reports after it changed the knowledge base; the main
// window passes them to every view. The store primitives report to the same sink.
namespace tarnel::store {

namespace change {
inline constexpr int kCategoryAdded = 1;
inline constexpr int kPointAdded = 2;
inline constexpr int kAttachmentAdded = 3;
inline constexpr int kCategoryChanged = 4;
inline constexpr int kPointChanged = 5;
inline constexpr int kCategoryRemoved = 7;
inline constexpr int kPointRemoved = 8;
inline constexpr int kAttachmentRemoved = 9;
inline constexpr int kCategoryMoved = 11;
inline constexpr int kTagAdded = 30;
inline constexpr int kTagMoved = 31;
inline constexpr int kTagRemoved = 32;
inline constexpr int kTagChanged = 33;
inline constexpr int kPointAddedToTag = 34;
inline constexpr int kPointRemovedFromTag = 35;
} // namespace change

// Which of the knowledge base's stores a record belongs to.
enum class StoreKind { Category = 0, Recycle = 1, Tag = 2 };

// A code and the records concerned, by id (records may be gone when the notification is read).
// id is the record the code names (category, point, attachment or tag); relatedId is its owner:
// the category of a point (2, 5, 8), the point of an attachment (3, 9), the tag a point joined or
// left (34, 35); 0 otherwise. store is the store of the category or tag named by id; for points
// and attachments the store of their category.
struct ChangeNotification {
    int code = 0;
    StoreKind store = StoreKind::Category;
    long long id = 0;
    long long relatedId = 0;

    bool operator==(const ChangeNotification&) const = default;
};

// Receives notifications on the user-interface thread, in the order the changes were made.
class ChangeSink {
public:
    virtual ~ChangeSink() = default;
    virtual void notify(const ChangeNotification& notification) = 0;
};

// Passes every notification on and counts them, so that a reader can tell whether anything
// changed since it last looked.
class CountingChangeSink final : public ChangeSink {
public:
    explicit CountingChangeSink(ChangeSink& next) : m_next(next) {}
    void notify(const ChangeNotification& notification) override {
        ++m_count;
        m_next.notify(notification);
    }
    std::uint64_t count() const { return m_count; }
    // Counts a change that sends no notification (the whole base read again).
    void countChange() { ++m_count; }

private:
    ChangeSink& m_next;
    std::uint64_t m_count = 0;
};

// A sink that drops everything, for callers that do not listen.
class NullChangeSink final : public ChangeSink {
public:
    void notify(const ChangeNotification&) override {}
};

// A sink that keeps everything, in order (tests, and the command line's reports).
class RecordingChangeSink final : public ChangeSink {
public:
    void notify(const ChangeNotification& notification) override {
        m_received.push_back(notification);
    }
    const std::vector<ChangeNotification>& received() const { return m_received; }
    void clear() { m_received.clear(); }

private:
    std::vector<ChangeNotification> m_received;
};

} // namespace tarnel::store
