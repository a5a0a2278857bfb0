#include "ui/conversion_progress_window.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <climits>

namespace tarnel::ui {

namespace {

int barValue(std::size_t count) {
    return count > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(count);
}

} // namespace

ConversionProgressWindow::ConversionProgressWindow(QWidget* parent) : m_dialog(parent) {
    m_dialog.setObjectName("conversionProgress");
    m_dialog.setWindowTitle("Tarnel");
    m_dialog.setCancelButton(nullptr);
    m_dialog.setAutoClose(false);
    m_dialog.setAutoReset(false);
    m_dialog.setMinimumDuration(0);
    m_dialog.setWindowModality(Qt::NonModal);
    m_dialog.hide();
}

void ConversionProgressWindow::started(const std::string& text, std::size_t total) {
    m_dialog.setLabelText(QString::fromStdString(text));
    m_dialog.setAccessibleName(m_dialog.labelText());
    m_dialog.setRange(0, barValue(total == 0 ? 1 : total));
    m_dialog.setValue(0);
    m_dialog.show();
    repaint();
}

void ConversionProgressWindow::advanced(std::size_t done, std::size_t total) {
    m_dialog.setRange(0, barValue(total == 0 ? 1 : total));
    m_dialog.setValue(barValue(done));
    repaint();
}

void ConversionProgressWindow::repaint() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace tarnel::ui
