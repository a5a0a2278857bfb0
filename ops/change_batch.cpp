#include "ops/change_batch.h"

namespace tarnel::ops {

int saveOrTakeBack(OperationContext& context, ReversibleChange& change) {
    TouchedIndex touched;
    change.addTouched(touched);
    int rc = touched.save(context.base);
    if (rc != store::kOk) {
        change.undo();
        touched.saveBack(context.base);
    }
    return rc;
}

ChangeBatch::~ChangeBatch() {
    if (!m_done) {
        takeBack();
    }
}

void ChangeBatch::add(std::unique_ptr<ReversibleChange> change, std::string_view failureMessage) {
    m_entries.push_back({std::move(change), failureMessage});
}

TouchedIndex ChangeBatch::touched() const {
    TouchedIndex all;
    for (const Entry& entry : m_entries) {
        entry.change->addTouched(all);
    }
    return all;
}

std::string_view ChangeBatch::messageFor(const TouchedIndex::File& file) const {
    for (const Entry& entry : m_entries) {
        TouchedIndex own;
        entry.change->addTouched(own);
        if (own.contains(file)) {
            return entry.failureMessage;
        }
    }
    return {};
}

void ChangeBatch::takeBack() {
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
        it->change->undo();
    }
    m_done = true;
}

int ChangeBatch::failed(std::string_view message, int rc) {
    if (!message.empty()) {
        m_context.prompt.show(std::string(message), app::MessageIcon::Error);
    }
    return rc;
}

int ChangeBatch::commit() {
    TouchedIndex files = touched();
    TouchedIndex::File failedFile;
    if (int rc = files.save(m_context.base, &failedFile)) {
        takeBack();
        files.saveBack(m_context.base);
        return failed(messageFor(failedFile), rc);
    }
    for (const Entry& entry : m_entries) {
        if (int rc = entry.change->finish()) {
            takeBack();
            files.saveBack(m_context.base);
            return failed(entry.failureMessage, rc);
        }
    }
    for (const Entry& entry : m_entries) {
        entry.change->commit();
    }
    m_done = true;
    m_held.release();
    return store::kOk;
}

int ChangeBatch::abandon(std::string_view message, int rc) {
    takeBack();
    return failed(message, rc);
}

} // namespace tarnel::ops
