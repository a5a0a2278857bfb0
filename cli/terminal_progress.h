#pragma once

#include "ops/folder_walk.h"
#include "platform/interrupt_catcher.h"

#include <mutex>
#include <ostream>
#include <string>

namespace tarnel::cli {

// The progress of a long copy (a folder walk, an export) on the terminal: one line, rewritten in
// place, when standard error is a terminal; Ctrl-C asks the work to stop before its next entry.
class TerminalProgress : public ops::WalkProgress {
public:
    explicit TerminalProgress(std::ostream& err);

    void status(const std::string& text) override;
    void done() override;
    bool cancelRequested() const override;

private:
    std::ostream& m_err;
    bool m_shown;
    std::mutex m_mutex;
    platform::InterruptCatcher m_interrupt;
};

} // namespace tarnel::cli
