#pragma once

#include "ops/operation_context.h"
#include "ops/touched_index.h"
#include "store/change_gate.h"

#include <memory>
#include <string_view>
#include <vector>

namespace tarnel::ops {

// A change already made on disk and in memory that remembers how to take itself back, so that
// several can be saved together and undone together.
class ReversibleChange {
public:
    virtual ~ReversibleChange() = default;

    // The index files the change needs written.
    virtual void addTouched(TouchedIndex& touched) const = 0;
    // What follows the saves and may still fail (the desktop's Trash): 0 or its error.
    virtual int finish() { return 0; }
    // The files that go for good once everything was saved and finished.
    virtual void commit() {}
    // Puts disk and memory back as they stood, a finished change included.
    virtual void undo() = 0;
};

// Writes what one applied change touched; when a write fails the change is taken back, the files
// are written back and the write's error is returned.
int saveOrTakeBack(OperationContext& context, ReversibleChange& change);

// The changes of one command: applied one after the other, then every index file they touched
// written once, finished and committed together. Notifications are held from construction until
// the commit and forgotten when the batch is taken back, so the views hear only what stays.
class ChangeBatch {
public:
    explicit ChangeBatch(OperationContext& context)
        : m_context(context), m_held(context.base.sink()) {}
    ChangeBatch(const ChangeBatch&) = delete;
    ChangeBatch& operator=(const ChangeBatch&) = delete;
    // Takes back what was neither committed nor abandoned.
    ~ChangeBatch();

    // An applied change; failureMessage (none when empty) is shown when a file it touched first
    // cannot be written or when it cannot be finished.
    void add(std::unique_ptr<ReversibleChange> change, std::string_view failureMessage);

    // Writes every touched file once, finishes and commits every change and passes the
    // notifications on: 0. On a failure every change is taken back in reverse order and the files
    // are written back, so that disk and index are as they stood; the message is shown and the
    // error returned.
    int commit();

    // A change could not be applied (and took itself back): the applied ones are taken back in
    // reverse order, the message is shown and rc returned.
    int abandon(std::string_view message, int rc);

private:
    struct Entry {
        std::unique_ptr<ReversibleChange> change;
        std::string_view failureMessage;
    };

    TouchedIndex touched() const;
    std::string_view messageFor(const TouchedIndex::File& file) const;
    void takeBack();
    int failed(std::string_view message, int rc);

    OperationContext& m_context;
    store::HeldChanges m_held;
    std::vector<Entry> m_entries;
    bool m_done = false;
};

} // namespace tarnel::ops
