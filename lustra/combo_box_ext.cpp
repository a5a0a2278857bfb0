#include "lustra/combo_box_ext.h"

#include "accessible_factory.h"
#include "color_ref.h"
#include "lustra/image_drawing.h"
#include "lustra/list_box_notify_event.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace LUSTRA {
namespace {

int refOf(const QColor& color) {
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

} // namespace

CComboBoxExt::CComboBoxExt(QWidget* parent)
    : QComboBox(parent), m_pList(new CListBoxExt(this)),
      m_crBk{16777215, refOf(QApplication::palette().color(QPalette::Highlight)), 12632256},
      m_crText{0, refOf(QApplication::palette().color(QPalette::HighlightedText)), 0} {
    InstallAccessibleFactory();
    m_pList->SetNoWindowStrings(true);
    m_pList->SetNotifyWnd(this);
    QAbstractItemDelegate* delegate = m_pList->itemDelegate();
    setModel(m_pList->model());
    setView(m_pList);
    setItemDelegate(delegate);
    // Installed after the drop-down's own filter, so it sees releases first: a release on a
    // check box or button acts in the list and keeps the drop-down open.
    m_pList->viewport()->installEventFilter(this);
}

CComboBoxExt::~CComboBoxExt() {
    m_pList->viewport()->removeEventFilter(this);
}

int CComboBoxExt::AddItem(ST_LISTBOX_ITEM& item, const char* text) {
    const CListBoxExt::Placed placed = m_pList->addItem(item, text);
    if (placed.row >= 0) {
        m_pList->insertRow(placed.row, &*placed.at);
    }
    return placed.row;
}

int CComboBoxExt::DeleteItemByItemID(long id) {
    const int row = m_pList->DeleteItemByItemID(id);
    update();
    return row;
}

void CComboBoxExt::UpdateItemText(long id, const char* text) {
    m_pList->UpdateItemText(id, text);
    update();
}

void CComboBoxExt::InvalidateIndex(int row) {
    m_pList->InvalidateIndex(row);
    update();
}

void CComboBoxExt::InvalidateItem(ST_LISTBOX_ITEM* item) {
    m_pList->InvalidateItem(item);
    update();
}

std::string CComboBoxExt::GetCheckText() {
    std::string text;
    for (auto at = m_pList->m_items.begin(); at != m_pList->m_items.end(); ++at) {
        if (at->bChecked) {
            text += at->pszText;
            text += "; ";
        }
    }
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text.empty() ? m_strDefaultText : text;
}

void CComboBoxExt::SetDefaultText(const char* text) {
    m_strDefaultText = text ? text : "";
    update();
}

void CComboBoxExt::SetBkColor(int state, int color) {
    if (state >= 0 && state < 3) {
        m_crBk[state] = color;
        update();
    }
}

void CComboBoxExt::SetTextColor(int state, int color) {
    if (state >= 0 && state < 3) {
        m_crText[state] = color;
        update();
    }
}

bool CComboBoxExt::event(QEvent* event) {
    if (event->type() != CListBoxNotifyEvent::eventType()) {
        return QComboBox::event(event);
    }
    auto* request = static_cast<CListBoxNotifyEvent*>(event);
    switch (request->message()) {
    case LBEN_COLLAPSE:
    case LBEN_EXPAND:
        if (QWidget* owner = parentWidget()) {
            CListBoxNotifyEvent passed(request->message(), request->row(), request->list());
            return QCoreApplication::sendEvent(owner, &passed);
        }
        return false;
    case LBEN_CHECKCHANGE:
        CheckChange();
        return true;
    case LBEN_LISTUP:
        SetCheckText();
        return true;
    default:
        return false;
    }
}

void CComboBoxExt::CheckChange() {
    m_strCheckText = GetCheckText();
    showCheckText();
}

void CComboBoxExt::SetCheckText() {
    if (m_pList->IsShowCheckBox()) {
        showCheckText();
    }
}

void CComboBoxExt::showCheckText() {
    if (QLineEdit* edit = lineEdit()) {
        edit->setText(QString::fromStdString(m_strCheckText));
    }
    update();
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent changed(this, faceText());
        QAccessible::updateAccessibility(&changed);
        QAccessibleEvent renamed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&renamed);
    }
}

QString CComboBoxExt::faceText() {
    if (const QLineEdit* edit = lineEdit()) {
        return edit->text();
    }
    if (m_pList->IsShowCheckBox()) {
        return QString::fromStdString(GetCheckText());
    }
    return currentIndex() >= 0 ? currentText() : QString();
}

bool CComboBoxExt::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pList->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint point = mouse->position().toPoint();
        if (mouse->button() == Qt::LeftButton && m_pList->hitsControl(point)) {
            m_pList->m_bPressed = true;
            m_pList->releaseAt(point);
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

int CComboBoxExt::faceState() const {
    if (!isEnabled()) {
        return 2;
    }
    return hasFocus() ? 1 : 0;
}

void CComboBoxExt::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (lineEdit()) {
        return;
    }
    const QRect face =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const int state = faceState();
    if (m_crBk[state] != kNoColor) {
        painter.fillRect(face, colorFromRef(m_crBk[state]));
    }
    painter.setPen(colorFromRef(m_crText[state]));
    const QString text = faceText();
    int left = face.x() + 2;
    if (m_pList->IsShowCheckBox()) {
        left = face.x() + m_pList->GetLeftMargin();
    } else if (currentIndex() >= 0) {
        const ST_LISTBOX_ITEM* item = m_pList->GetItemByIndex(currentIndex());
        const ST_IMG_INFO* icon =
            item ? (item->bExpanded ? item->pImgExpand : item->pImgCollapse) : nullptr;
        if (m_pList->IsShowIcon() && icon && icon->pBitmap) {
            DrawImage(&painter, icon->pBitmap, QRect(face.x() + 2, face.y(), 16, face.height()),
                      DM_FIT);
            left = face.x() + 20;
        }
    }
    const QRect area(left, face.y(), face.x() + face.width() - left, face.height());
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     painter.fontMetrics().elidedText(text, Qt::ElideRight, area.width()));
}

} // namespace LUSTRA
