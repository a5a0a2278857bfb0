#pragma once

#include <QPointer>
#include <QWidget>

namespace tarnel::ui {

// Shows a view that another window owns, so that a form can show a page without loading it a
// second time. While the host is shown the view is its child, filling it; the owner takes it back
// when the owner is shown again, and the host hands it back when the host goes. The view may go
// first (its owner closed): the host says so then. User-interface thread only.
class CPageHost : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kViewGone = "网页窗口已经关闭，此网页无法再保存。";

    CPageHost(QPointer<QWidget> view, QPointer<QWidget> owner, QWidget* parent = nullptr);
    ~CPageHost() override;

    // True while the view is the host's child.
    bool holdsView() const;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QWidget> m_view;
    QPointer<QWidget> m_owner;
};

} // namespace tarnel::ui
