#pragma once

#include "updater/update_application.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace tarnel::updater {

// Opens the update program's wizard without a modal loop and drives it by its controls' names.
class WizardDriver {
public:
    UpdateWizard& open(const UpdateApplication::Options& options) {
        m_application = std::make_unique<UpdateApplication>(options);
        EXPECT_TRUE(m_application->start());
        m_finished = std::make_unique<QSignalSpy>(&wizard(), &QDialog::finished);
        wizard().show();
        return wizard();
    }

    UpdateWizard& wizard() { return m_application->wizard(); }

    template <typename T = QWidget> T* child(const char* name) {
        T* widget = wizard().findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    void next() { child<QPushButton>("nextButton")->click(); }

    // False when the wizard closed first or did not get there in time.
    bool waitForPage(int page) {
        return QTest::qWaitFor([&] { return wizard().currentPage() == page || ended(); }, 60000) &&
               !ended() && wizard().currentPage() == page;
    }

    bool waitForEnd() {
        return QTest::qWaitFor([&] { return ended(); }, 60000);
    }
    bool ended() const { return m_finished && m_finished->count() > 0; }
    int finishedCount() const { return m_finished ? static_cast<int>(m_finished->count()) : 0; }
    // The wizard's result; -1 while it is open.
    int result() const { return ended() ? m_finished->at(0).at(0).toInt() : -1; }

private:
    std::unique_ptr<UpdateApplication> m_application;
    std::unique_ptr<QSignalSpy> m_finished;
};

} // namespace tarnel::updater
