#include "lustra/combo_box_ext.h"
#include "lustra/list_box_notify_event.h"
#include "tests/lustra/list_box_recorder.h"
#include "tests/support/eventually.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QImage>
#include <QMouseEvent>
#include <QStyleOptionComboBox>
#include <QTest>
#include <gtest/gtest.h>
#include <string>

namespace LUSTRA {
namespace {

using tarnel::test::ListBoxRecorder;

ST_LISTBOX_ITEM itemOf(long id, ST_LISTBOX_ITEM* parent = nullptr) {
    ST_LISTBOX_ITEM item;
    item.nItemID = id;
    item.pParent = parent;
    item.bCanHaveChild = true;
    item.bCheckable = true;
    return item;
}

class ComboTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner.resize(300, 200);
        combo.setGeometry(10, 10, 200, 24);
        combo.GetListBox()->SetShowCheckBox(true);
        add(1, 0, "A");
        add(2, 0, "B");
        add(3, 2, "B1");
        add(4, 0, "C");
    }
    int add(long id, long parent, const char* text) {
        ST_LISTBOX_ITEM item = itemOf(id, combo.GetListBox()->GetItemByItemID(parent));
        return combo.AddItem(item, text);
    }
    ST_LISTBOX_ITEM* byId(long id) { return combo.GetListBox()->GetItemByItemID(id); }

    ListBoxRecorder owner;
    CComboBoxExt combo{&owner};
};

TEST_F(ComboTest, RowsAreTheListsVisibleItems) {
    EXPECT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.itemText(1).toStdString(), "B");
    EXPECT_EQ(combo.GetListBox()->GetItemByIndex(2), byId(4));
    EXPECT_EQ(combo.DeleteItemByItemID(1), 0);
    EXPECT_EQ(combo.count(), 2);
    combo.UpdateItemText(4, "Cee");
    EXPECT_EQ(combo.itemText(1).toStdString(), "Cee");
}

TEST_F(ComboTest, TheCheckTextListsTheTickedItemsOrAsksForAChoice) {
    EXPECT_EQ(combo.GetCheckText(), "请选择");
    combo.GetListBox()->SetItemCheck(byId(4), true);
    combo.GetListBox()->SetItemCheck(byId(1), true);
    combo.GetListBox()->SetItemCheck(byId(3), true);
    EXPECT_EQ(combo.GetCheckText(), "A; B1; C;");
    combo.SetDefaultText("无");
    combo.GetListBox()->SetItemCheck(byId(1), false);
    combo.GetListBox()->SetItemCheck(byId(3), false);
    combo.GetListBox()->SetItemCheck(byId(4), false);
    EXPECT_EQ(combo.GetCheckText(), "无");
}

TEST_F(ComboTest, ReadersHearTheFacesTextAndReachTheDropDownRows) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&combo);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->role(), QAccessible::ComboBox);
    EXPECT_EQ(face->text(QAccessible::Name).toStdString(), "请选择");
    QAccessibleInterface* drop = face->child(0);
    ASSERT_NE(drop, nullptr);
    EXPECT_EQ(drop->object(), combo.GetListBox());
    EXPECT_EQ(drop->parent(), face);
    EXPECT_EQ(face->indexOfChild(drop), 0);
    EXPECT_EQ(drop->text(QAccessible::Name).toStdString(), "请选择") << "named after the combo";
    drop->child(0)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    drop->child(2)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(face->text(QAccessible::Value).toStdString(), "A; C;");
    EXPECT_EQ(face->text(QAccessible::Name).toStdString(), "A; C;");
    combo.setAccessibleName("Groups");
    EXPECT_EQ(face->text(QAccessible::Name).toStdString(), "Groups");
    EXPECT_EQ(face->text(QAccessible::Value).toStdString(), "A; C;");
}

TEST_F(ComboTest, ExpandRequestsGoOnToTheCombosParent) {
    CListBoxExt* list = combo.GetListBox();
    list->resize(200, 60);
    owner.answer = true;
    list->ClickList(QPoint(2 + 16 + 3, 16 + 4));
    EXPECT_EQ(combo.count(), 3) << "the parent handled it";
    owner.answer = false;
    list->ClickList(QPoint(2 + 16 + 3, 16 + 4));
    EXPECT_EQ(combo.count(), 4);
    EXPECT_EQ(combo.itemText(2).toStdString(), "B1");
    list->ClickList(QPoint(2 + 16 + 3, 16 + 4));
    EXPECT_EQ(owner.requests, (std::vector<std::string>{"1125 1", "1125 1", "1124 1"}));
    list->ClickList(QPoint(6, 4));
    EXPECT_EQ(owner.requests.size(), 3u) << "check changes stay with the combo";
}

QImage faceOf(CComboBoxExt& combo) {
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    const QRect face = combo.style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                     QStyle::SC_ComboBoxEditField, &combo);
    return combo.grab(face).toImage();
}

int pixelsOf(const QImage& image, QRgb color) {
    int found = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            found += image.pixel(x, y) == color ? 1 : 0;
        }
    }
    return found;
}

TEST_F(ComboTest, TheFaceTakesTheColoursOfItsState) {
    combo.SetBkColor(0, 0x00ff00);
    combo.SetBkColor(2, 0xff0000);
    const QImage normal = faceOf(combo);
    EXPECT_EQ(normal.pixel(normal.width() - 2, normal.height() / 2), 0xff00ff00);
    combo.setEnabled(false);
    const QImage disabled = faceOf(combo);
    EXPECT_EQ(disabled.pixel(disabled.width() - 2, disabled.height() / 2), 0xff0000ff);
}

TEST_F(ComboTest, ATickInTheOpenDropDownKeepsItOpenAndChangesTheFace) {
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    combo.SetTextColor(0, 0x0000ff);
    const QImage before = faceOf(combo);
    combo.showPopup();
    QAbstractItemView* view = combo.view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    const QRect row = view->visualRect(view->model()->index(2, 0));
    const QPoint onCheck(8, row.center().y());
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, onCheck);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, onCheck);
    EXPECT_TRUE(byId(4)->bChecked);
    EXPECT_TRUE(view->isVisible()) << "the drop-down stays open";
    EXPECT_EQ(combo.GetCheckText(), "C;");
    QTest::qWait(20);
    const QImage after = faceOf(combo);
    EXPECT_NE(pixelsOf(before, 0xffff0000), pixelsOf(after, 0xffff0000))
        << "the face shows the new text";
    const QPoint onText(80, row.center().y());
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, onText);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, onText);
    ASSERT_EVENTUALLY(!view->isVisible());
    EXPECT_TRUE(byId(4)->bChecked);
}

} // namespace
} // namespace LUSTRA
