#include "cli/terminal_progress.h"

#include <unistd.h>

namespace tarnel::cli {

TerminalProgress::TerminalProgress(std::ostream& err) : m_err(err), m_shown(::isatty(2) == 1) {}

void TerminalProgress::status(const std::string& text) {
    std::lock_guard lock(m_mutex);
    if (m_shown) {
        m_err << '\r' << text << " (Ctrl-C cancels)\x1b[K" << std::flush;
    }
}

void TerminalProgress::done() {
    std::lock_guard lock(m_mutex);
    if (m_shown) {
        m_err << "\r\x1b[K" << std::flush;
    }
}

bool TerminalProgress::cancelRequested() const {
    return m_interrupt.caught() || WalkProgress::cancelRequested();
}

} // namespace tarnel::cli
