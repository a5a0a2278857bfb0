#pragma once

#include "lustra/list_box_ext.h"
#include "lustra/list_box_item.h"
#include "lustra/lustra_export.h"

#include <QComboBox>
#include <string>

namespace LUSTRA {

class ComboBoxAccessible;

// A combo box whose drop-down is a tree list (which it owns). With check boxes on, ticking keeps
// the drop-down open and the face lists the ticked items. Expand and collapse requests of the
// list go on to the combo's parent. Screen readers read the face's text as name and value.
class LUSTRA_API CComboBoxExt : public QComboBox {
    Q_OBJECT

public:
    explicit CComboBoxExt(QWidget* parent = nullptr);
    ~CComboBoxExt() override;

    CListBoxExt* GetListBox() { return m_pList; }

    int AddItem(ST_LISTBOX_ITEM& item, const char* text);
    int DeleteItemByItemID(long id);
    void UpdateItemText(long id, const char* text);
    void InvalidateIndex(int row);
    void InvalidateItem(ST_LISTBOX_ITEM* item);

    // The ticked items' texts in list order, each followed by "; ", trailing spaces removed;
    // the default text when nothing is ticked.
    std::string GetCheckText();

    void SetDefaultText(const char* text);
    // Colours of the face: state 0 normal, 1 focused, 2 disabled.
    void SetBkColor(int state, int color);
    void SetTextColor(int state, int color);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    friend class ComboBoxAccessible;

    // The ticked items or the current one, as the face shows it.
    QString faceText();
    void CheckChange();
    void SetCheckText();
    void showCheckText();
    int faceState() const;

    CListBoxExt* m_pList;
    std::string m_strDefaultText = "请选择";
    std::string m_strCheckText;
    int m_crBk[3];
    int m_crText[3];
};

} // namespace LUSTRA
