#pragma once

#include "store/legacy_conversion.h"

#include <QProgressDialog>

namespace tarnel::ui {

// The progress window of converting an older base. The conversion runs on the user-interface
// thread before any store loads, so the window repaints itself between files but takes no input:
// nothing else may touch the data directory meanwhile.
class ConversionProgressWindow : public store::ConversionProgress {
public:
    explicit ConversionProgressWindow(QWidget* parent);

    void started(const std::string& text, std::size_t total) override;
    void advanced(std::size_t done, std::size_t total) override;

    QProgressDialog& dialog() { return m_dialog; }

private:
    void repaint();

    QProgressDialog m_dialog;
};

} // namespace tarnel::ui
