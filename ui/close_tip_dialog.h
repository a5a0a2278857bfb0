#pragma once

#include <QDialog>

class QCheckBox;
class QRadioButton;

namespace tarnel::ui {

// "关闭提示": what closing the main window does this time (hide it to the tray, or end the
// program), and whether to remember the choice.
class CloseTipDialog : public QDialog {
    Q_OBJECT

public:
    // The values CLOSE_TIP_SELECTION stores less one.
    enum class Choice { Hide = 0, Exit = 1 };

    explicit CloseTipDialog(QWidget* parent = nullptr);

    Choice choice() const;
    bool remember() const;

private:
    QRadioButton* m_hide;
    QRadioButton* m_exit;
    QCheckBox* m_remember;
};

} // namespace tarnel::ui
