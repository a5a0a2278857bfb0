#include "lustra/tool_pane_ext.h"
#include "tests/lustra/pixel_compare.h"
#include "tests/lustra/tool_pane_host.h"
#include "tests/support/eventually.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace LUSTRA {
namespace {

using tarnel::test::buildImage;
using tarnel::test::samePixels;
using tarnel::test::solidImage;
using tarnel::test::ToolPaneHost;

ST_TOOLBAR_ITEM button(int id, int width, bool left = true) {
    ST_TOOLBAR_ITEM item;
    item.nID = id;
    item.nWidth = width;
    item.nHeight = 20;
    item.bEnabled = true;
    item.bLeftGroup = left;
    return item;
}

class ToolPaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.resize(220, 40); // pane (10, 5, 200, 30)
        picture = solidImage(16, 16, 0xff2050a0);
        image = ST_IMG_INFO{&picture, 0, 0, 16, 16, 0, 0};
    }
    ST_TOOLBAR_ITEM* addPictureButton(int id) {
        ST_TOOLBAR_ITEM item = button(id, 40);
        item.nGapBefore = 3;
        item.nGapAfter = 2;
        item.nTopMargin = 2;
        item.nPadding = 4;
        item.nImgWidth = 16;
        item.nImgHeight = 16;
        item.pImg[0] = item.pImg[1] = &image;
        SetToolbarItemText(item, "Picture");
        return pane().AddToolbarItem(item);
    }
    CToolPaneExt& pane() { return host.pane; }

    ToolPaneHost host;
    QImage picture;
    ST_IMG_INFO image;
};

TEST_F(ToolPaneTest, LaysOutTheLeftGroupInOrderAndTheRightGroupLastFirst) {
    ST_TOOLBAR_ITEM* a = addPictureButton(1);
    ST_TOOLBAR_ITEM separator = button(-1, 6);
    separator.nHeight = -1;
    separator.nTopMargin = 2;
    ST_TOOLBAR_ITEM* s = pane().AddToolbarItem(separator);
    ST_TOOLBAR_ITEM text = button(2, -1);
    text.nPadding = 4;
    text.bShowText = true;
    SetToolbarItemText(text, "Go");
    ST_TOOLBAR_ITEM* b = pane().AddToolbarItem(text);
    ST_TOOLBAR_ITEM* r2 = pane().AddToolbarItem(button(4, 20, false));
    ST_TOOLBAR_ITEM right = button(3, 30, false);
    right.nGapBefore = 1;
    right.nGapAfter = 5;
    ST_TOOLBAR_ITEM* r = pane().AddToolbarItem(right);
    ST_TOOLBAR_ITEM off = button(5, 30);
    off.bEnabled = false;
    ST_TOOLBAR_ITEM* disabled = pane().AddToolbarItem(off);
    pane().ResizeToolbar(host.paneRect());

    EXPECT_EQ(a->rcItem, QRect(13, 10, 40, 20));
    EXPECT_EQ(a->rcImage, QRect(17, 12, 16, 16));
    EXPECT_EQ(s->rcItem, QRect(55, 7, 6, 26));
    const int go = QFontMetrics(host.font()).horizontalAdvance("Go");
    EXPECT_EQ(b->rcText, QRect(65, 10, go, 20));
    EXPECT_EQ(b->rcItem, QRect(61, 10, 4 + go + 4, 20));
    EXPECT_TRUE(b->bTextShown);
    EXPECT_EQ(r->rcItem, QRect(175, 10, 30, 20));
    EXPECT_EQ(r2->rcItem, QRect(154, 10, 20, 20));
    for (ST_TOOLBAR_ITEM* item : {a, s, b, r, r2}) {
        EXPECT_TRUE(item->bInPane) << item->nID;
    }
    EXPECT_FALSE(disabled->bInPane);
}

TEST_F(ToolPaneTest, VerticalAlignmentsAndTheFullHeight) {
    ST_TOOLBAR_ITEM item = button(1, 10);
    item.nTopMargin = 3;
    ST_TOOLBAR_ITEM* fixed = pane().AddToolbarItem(item);
    item.nHeight = -1;
    ST_TOOLBAR_ITEM* full = pane().AddToolbarItem(item);
    const int tops[] = {5 + 3, 5 + 5, 5 + 30 - 3 - 20};
    for (int align = 0; align < 3; ++align) {
        pane().SetVerticalAlign(align);
        pane().ResizeToolbar(host.paneRect());
        EXPECT_EQ(fixed->rcItem, QRect(10, tops[align], 10, 20)) << align;
        EXPECT_EQ(full->rcItem, QRect(20, 8, 10, 24)) << align;
    }
    ST_TOOLBAR_ITEM tall = button(2, 10);
    tall.nHeight = 28;
    tall.nTopMargin = 3;
    pane().SetVerticalAlign(1);
    EXPECT_EQ(pane().AddToolbarItem(tall)->rcItem.y(), 5 + 3) << "never above the margin";
}

TEST_F(ToolPaneTest, ANarrowPaneDropsEveryItemFromTheFirstThatDoesNotFit) {
    host.resize(100, 40); // pane (10, 5, 80, 30)
    ST_TOOLBAR_ITEM* a = addPictureButton(1);
    ST_TOOLBAR_ITEM* b = pane().AddToolbarItem(button(2, 40));
    ST_TOOLBAR_ITEM* c = pane().AddToolbarItem(button(3, 10));
    ST_TOOLBAR_ITEM* d = pane().AddToolbarItem(button(4, 0));
    pane().ResizeToolbar(host.paneRect());
    EXPECT_TRUE(a->bInPane);
    EXPECT_TRUE(b->bInPane) << "its left edge 55 is inside";
    EXPECT_FALSE(c->bInPane) << "its left edge 95 is past 90";
    EXPECT_FALSE(d->bInPane);
    EXPECT_EQ(pane().HitTest(QPoint(96, 15)), nullptr);
    host.resize(200, 40);
    pane().ResizeToolbar(host.paneRect());
    EXPECT_TRUE(c->bInPane);
    EXPECT_EQ(pane().HitTest(QPoint(96, 15)), c);
}

TEST_F(ToolPaneTest, EmbeddedWindowsFollowTheLayout) {
    QLineEdit edit(&host);
    ST_TOOLBAR_ITEM item = button(1, -1);
    item.pWnd = &edit;
    item.nWndWidth = -1;
    item.nWndHeight = 14;
    item.nPadding = 2;
    item.nGapAfter = 4;
    ST_TOOLBAR_ITEM* field = pane().AddToolbarItem(item);
    pane().AddToolbarItem(button(2, 30, false));
    host.show();
    pane().ResizeToolbar(host.paneRect());
    EXPECT_EQ(edit.geometry(), QRect(12, 13, 180 - 4 - 12, 14));
    EXPECT_EQ(field->rcItem, QRect(10, 10, 2 + 164 + 2, 20));
    EXPECT_TRUE(edit.isVisible());
    pane().ShowToolbar(false);
    EXPECT_FALSE(edit.isVisible());
    EXPECT_EQ(pane().HitTest(QPoint(20, 15)), nullptr) << "a hidden pane is not hit";
    pane().ShowToolbar(true);
    EXPECT_TRUE(edit.isVisible());
    EXPECT_FALSE(pane().OnSetCursor(QPoint(20, 15))) << "no hand over an embedded window";
}

TEST_F(ToolPaneTest, LabelsThatDoNotFitAreCutAndBecomeTooltips) {
    QLabel tooltip;
    pane().SetToolTipCtrl(&tooltip);
    ST_TOOLBAR_ITEM item = button(1, 30);
    item.bShowText = true;
    SetToolbarItemText(item, "A much longer label");
    ST_TOOLBAR_ITEM* cut = pane().AddToolbarItem(item);
    item.nID = 2;
    item.nWidth = -1;
    SetToolbarItemText(item, "Fits");
    ST_TOOLBAR_ITEM* whole = pane().AddToolbarItem(item);
    item.nID = 3;
    item.nWidth = 20;
    item.bShowText = false;
    SetToolbarItemText(item, "Hidden label");
    ST_TOOLBAR_ITEM* unlabelled = pane().AddToolbarItem(item);
    pane().ResizeToolbar(host.paneRect());
    EXPECT_FALSE(cut->bTextShown);
    EXPECT_EQ(cut->rcText.x() + cut->rcText.width(), 40);
    EXPECT_TRUE(whole->bTextShown);
    EXPECT_FALSE(unlabelled->bTextShown);
    const std::pair<ST_TOOLBAR_ITEM*, const char*> cases[] = {
        {cut, "A much longer label"}, {whole, ""}, {unlabelled, "Hidden label"}};
    for (const auto& [target, tip] : cases) {
        pane().OnSetCursor(target->rcItem.center());
        EXPECT_EQ(tooltip.toolTip().toStdString(), tip) << target->nID;
    }
    pane().OnMouseLeave();
    EXPECT_EQ(tooltip.toolTip().toStdString(), "");
    pane().SetToolbarAlign(0);
    pane().OnSetCursor(whole->rcItem.center());
    EXPECT_EQ(tooltip.toolTip().toStdString(), "Fits") << "alignment 0 always shows tooltips";
}

TEST(ToolbarItemTextTest, LabelsAreCutToNineteenGb18030BytesAtACharacter) {
    const std::pair<const char*, const char*> cases[] = {
        {"一二三四五六七八九十", "一二三四五六七八九"},
        {"a一二三四五六七八九十", "a一二三四五六七八九"},
        {"abcdefghijklmnopqrstuvwxyz", "abcdefghijklmnopqrs"},
        {"", ""},
        {nullptr, ""},
    };
    for (const auto& [text, stored] : cases) {
        ST_TOOLBAR_ITEM item;
        SetToolbarItemText(item, text);
        EXPECT_STREQ(item.szText, stored);
    }
    ToolPaneHost host;
    ST_TOOLBAR_ITEM full;
    std::fill(std::begin(full.szText), std::end(full.szText), 'x');
    EXPECT_STREQ(host.pane.AddToolbarItem(full)->szText, std::string(19, 'x').c_str());
}

TEST_F(ToolPaneTest, HotPressAndReleaseFollowTheItems) {
    ST_TOOLBAR_ITEM* a = addPictureButton(1);
    ST_TOOLBAR_ITEM* b = pane().AddToolbarItem(button(2, 20));
    ST_TOOLBAR_ITEM* s = pane().AddToolbarItem(button(-1, 10));
    ST_TOOLBAR_ITEM* locked = pane().AddToolbarItem(button(3, 20));
    locked->nState = 3;
    pane().ResizeToolbar(host.paneRect());
    EXPECT_TRUE(pane().OnSetCursor(QPoint(20, 15)));
    EXPECT_EQ(a->nState, 1);
    EXPECT_EQ(pane().GetHotItem(), a);
    EXPECT_TRUE(pane().OnSetCursor(b->rcItem.center()));
    EXPECT_EQ(a->nState, 0);
    EXPECT_EQ(b->nState, 1);
    EXPECT_FALSE(pane().OnSetCursor(s->rcItem.center())) << "a separator is never hot";
    EXPECT_EQ(pane().GetHotItem(), nullptr);
    EXPECT_EQ(b->nState, 0);
    EXPECT_EQ(s->nState, 0);
    pane().OnSetCursor(locked->rcItem.center());
    EXPECT_EQ(locked->nState, 3);
    pane().OnSetCursor(a->rcItem.center());
    EXPECT_EQ(locked->nState, 3) << "a state set by the owner stays";
    // a hot item that the owner set to 2 keeps it when the mouse moves on
    a->nState = 2;
    pane().OnSetCursor(b->rcItem.center());
    EXPECT_EQ(a->nState, 2);

    QSignalSpy clicks(&pane(), &CToolPaneExt::ToolbarItemClicked);
    std::vector<int> handled;
    host.onClick = [&](ST_TOOLBAR_ITEM* item) { handled.push_back(item->nID); };
    EXPECT_TRUE(pane().OnLButtonDown(a->rcItem.center()));
    EXPECT_FALSE(pane().OnLButtonUp(b->rcItem.center())) << "released on another item";
    EXPECT_FALSE(pane().OnLButtonUp(a->rcItem.center())) << "the press was forgotten";
    pane().OnLButtonDown(a->rcItem.center());
    EXPECT_TRUE(pane().OnLButtonUp(a->rcItem.center()));
    pane().OnLButtonDown(locked->rcItem.center());
    EXPECT_FALSE(pane().OnLButtonUp(locked->rcItem.center())) << "state 3 reports no click";
    EXPECT_FALSE(pane().OnLButtonDown(s->rcItem.center()));
    EXPECT_FALSE(pane().OnLButtonUp(s->rcItem.center()));
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).value<ST_TOOLBAR_ITEM*>(), a);
}

TEST_F(ToolPaneTest, RemovingTheHotOrPressedItemForgetsIt) {
    addPictureButton(7);
    ST_TOOLBAR_ITEM* second = addPictureButton(7);
    ST_TOOLBAR_ITEM* third = addPictureButton(7);
    pane().AddToolbarItem(button(8, 20));
    pane().ResizeToolbar(host.paneRect());
    pane().OnSetCursor(second->rcItem.center());
    pane().OnLButtonDown(second->rcItem.center());
    pane().RemoveToolbarItem(7, 1);
    EXPECT_EQ(pane().GetHotItem(), nullptr);
    EXPECT_EQ(pane().FindToolbarItem(7, 1), third);
    EXPECT_EQ(pane().FindToolbarItem(7, 2), nullptr);
    EXPECT_FALSE(pane().OnLButtonUp(QPoint(60, 15)));
    pane().OnMouseLeave();
    pane().RemoveToolbarItem(7, -1);
    EXPECT_EQ(pane().FindToolbarItem(7, 0), nullptr);
    ASSERT_NE(pane().FindToolbarItem(8, 0), nullptr);
    EXPECT_EQ(pane().FindToolbarItem(8, 0)->rcItem.x(), 10) << "laid out again";
}

TEST_F(ToolPaneTest, StatesSeparatorsAndFramesArePaintedInTheirRectangles) {
    ST_TOOLBAR_ITEM* a = addPictureButton(1);
    ST_TOOLBAR_ITEM separator = button(-1, 7);
    separator.nHeight = -1;
    ST_TOOLBAR_ITEM* s = pane().AddToolbarItem(separator);
    ST_TOOLBAR_ITEM* b = pane().AddToolbarItem(button(2, 20));
    ST_TOOLBAR_ITEM* custom = pane().AddToolbarItem(button(3, 10));
    custom->pfnDraw = [](QPainter* painter, ST_TOOLBAR_ITEM* item) {
        painter->fillRect(item->rcItem, QColor(0, 0, 0));
    };
    pane().SetBkColor(0, 0x00ff00);
    pane().SetBkColor(1, 0xff0000);
    pane().SetFrameColor(1, 0x0000ff);
    pane().ResizeToolbar(host.paneRect());
    b->nState = 1;
    QImage actual(220, 40, QImage::Format_ARGB32_Premultiplied);
    actual.fill(Qt::white);
    QPainter painter(&actual);
    EXPECT_TRUE(pane().OnEraseBkgnd(&painter));
    painter.end();
    const QRect sepLine(s->rcItem.x() + 3, s->rcItem.y() + 30 / 5, 1, 4 * 30 / 5 - 30 / 5);
    const QImage expected = buildImage(220, 40, [&](int x, int y) -> QRgb {
        if (a->rcImage.contains(x, y)) {
            return 0xff2050a0;
        }
        if (a->rcItem.contains(x, y)) {
            return 0xff00ff00;
        }
        if (s->rcItem.contains(x, y)) {
            return sepLine.contains(x, y) ? 0xffa8a8a8 : 0xff00ff00;
        }
        if (b->rcItem.contains(x, y)) {
            const QRect& r = b->rcItem;
            const bool edge = x == r.x() || y == r.y() || x == r.x() + r.width() - 1 ||
                              y == r.y() + r.height() - 1;
            return edge ? 0xffff0000 : 0xff0000ff;
        }
        if (custom->rcItem.contains(x, y)) {
            return 0xff000000;
        }
        return 0xffffffff;
    });
    EXPECT_EQ(s->rcItem, QRect(55, 5, 7, 30));
    EXPECT_TRUE(samePixels(actual, expected, "tool_pane_states"));

    pane().ShowToolbar(false);
    QImage hidden(220, 40, QImage::Format_ARGB32_Premultiplied);
    hidden.fill(Qt::white);
    QPainter hiddenPainter(&hidden);
    EXPECT_FALSE(pane().OnEraseBkgnd(&hiddenPainter));
    hiddenPainter.end();
    EXPECT_TRUE(samePixels(hidden, buildImage(220, 40, [](int, int) { return 0xffffffffu; }),
                           "tool_pane_hidden"));
}

QRect onScreen(const QWidget& host, const QRect& rect) {
    return QRect(host.mapToGlobal(rect.topLeft()), rect.size());
}

// What a screen reader finds on the host: its own widgets, then the items drawn in the pane.
TEST_F(ToolPaneTest, TheShownItemsAreAccessibleButtonsThatPressLikeAClick) {
    QLineEdit edit(&host);
    ST_TOOLBAR_ITEM* a = addPictureButton(1);
    ST_TOOLBAR_ITEM* s = pane().AddToolbarItem(button(-1, 6));
    ST_TOOLBAR_ITEM text = button(2, -1);
    text.bShowText = true;
    SetToolbarItemText(text, "Go");
    ST_TOOLBAR_ITEM* b = pane().AddToolbarItem(text);
    ST_TOOLBAR_ITEM locked = button(3, 20);
    locked.nState = 3;
    SetToolbarItemText(locked, "Locked");
    ST_TOOLBAR_ITEM* c = pane().AddToolbarItem(locked);
    ST_TOOLBAR_ITEM field = button(4, 40);
    field.pWnd = &edit;
    pane().AddToolbarItem(field);
    ST_TOOLBAR_ITEM off = button(5, 20);
    off.bEnabled = false;
    pane().AddToolbarItem(off);
    ST_TOOLBAR_ITEM* wide = pane().AddToolbarItem(button(6, 100));
    ST_TOOLBAR_ITEM* beyond = pane().AddToolbarItem(button(7, 10));
    host.move(30, 40);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    pane().ResizeToolbar(host.paneRect());
    ASSERT_FALSE(beyond->bInPane);

    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&host);
    ASSERT_NE(face, nullptr);
    ASSERT_EQ(face->childCount(), 1 + 5) << "the edit, then a, s, b, c and wide";
    EXPECT_EQ(face->child(0)->object(), &edit) << "an embedded window stands for itself";
    const std::vector<std::pair<ST_TOOLBAR_ITEM*, std::string>> shown = {
        {a, "Picture"}, {s, ""}, {b, "Go"}, {c, "Locked"}, {wide, ""}};
    for (int i = 0; i < 5; ++i) {
        QAccessibleInterface* child = face->child(1 + i);
        EXPECT_EQ(child->text(QAccessible::Name).toStdString(), shown[i].second) << i;
        EXPECT_EQ(child->role(), i == 1 ? QAccessible::Separator : QAccessible::PushButton) << i;
        EXPECT_EQ(child->rect(), onScreen(host, shown[i].first->rcItem)) << i;
        EXPECT_EQ(child->parent(), face);
        EXPECT_EQ(face->indexOfChild(child), 1 + i);
        EXPECT_EQ(child->state().disabled, i == 3) << i;
    }
    QAccessibleInterface* go = face->child(3);
    EXPECT_EQ(face->childAt(onScreen(host, b->rcItem).center().x(),
                            onScreen(host, b->rcItem).center().y()),
              go);
    b->nState = 2;
    pane().InvalidateItem(b);
    EXPECT_TRUE(go->state().pressed);
    QTest::mouseMove(&host, a->rcItem.center());
    ASSERT_EVENTUALLY(face->child(1)->state().hotTracked);
    EXPECT_FALSE(go->state().hotTracked);

    QSignalSpy clicks(&pane(), &CToolPaneExt::ToolbarItemClicked);
    std::vector<int> handled;
    host.onClick = [&](ST_TOOLBAR_ITEM* item) { handled.push_back(item->nID); };
    EXPECT_EQ(face->child(1)->actionInterface()->actionNames(),
              QStringList{QAccessibleActionInterface::pressAction()});
    EXPECT_TRUE(face->child(2)->actionInterface()->actionNames().isEmpty()) << "a separator";
    face->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    face->child(4)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTest::mouseClick(&host, Qt::LeftButton, Qt::NoModifier, a->rcItem.center());
    ASSERT_EQ(clicks.count(), 2) << "state 3 takes no press";
    EXPECT_EQ(clicks.at(0).at(0).value<ST_TOOLBAR_ITEM*>(), a);
    EXPECT_EQ(clicks.at(1).at(0).value<ST_TOOLBAR_ITEM*>(), a) << "the click's own signal";
    EXPECT_EQ(handled, (std::vector<int>{1, 1})) << "the host acts on the press as on the click";

    const QAccessible::Id goId = QAccessible::uniqueId(go);
    pane().RemoveToolbarItem(2, -1);
    EXPECT_EQ(QAccessible::accessibleInterface(goId), nullptr) << "gone with its item";
    EXPECT_EQ(face->childCount(), 1 + 4);
    pane().ShowToolbar(false);
    EXPECT_EQ(face->childCount(), 1) << "a hidden pane shows no item";

    QWidget bare; // drives its pane by calls and passes no mouse event on
    ASSERT_EQ(QAccessible::queryAccessibleInterface(&bare)->childCount(), 0) << "read before";
    CToolPaneExt called(&bare);
    called.AddToolbarItem(button(8, 20));
    called.ResizeToolbar(QRect(0, 0, 100, 30));
    QSignalSpy pressed(&called, &CToolPaneExt::ToolbarItemClicked);
    QAccessible::queryAccessibleInterface(&bare)->child(0)->actionInterface()->doAction(
        QAccessibleActionInterface::pressAction());
    EXPECT_EQ(pressed.count(), 1);
}

TEST_F(ToolPaneTest, MouseEventsOnTheHostDriveThePane) {
    ST_TOOLBAR_ITEM* a = addPictureButton(1);
    ST_TOOLBAR_ITEM* b = pane().AddToolbarItem(button(2, 20));
    std::vector<int> clicked;
    host.onClick = [&](ST_TOOLBAR_ITEM* item) { clicked.push_back(item->nID); };
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    QTest::mouseMove(&host, a->rcItem.center());
    ASSERT_EVENTUALLY_EQ(a->nState, 1);
    EXPECT_EQ(host.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(&host, Qt::LeftButton, Qt::NoModifier, a->rcItem.center());
    QTest::mousePress(&host, Qt::LeftButton, Qt::NoModifier, a->rcItem.center());
    QTest::mouseMove(&host, b->rcItem.center());
    QTest::mouseRelease(&host, Qt::LeftButton, Qt::NoModifier, b->rcItem.center());
    QTest::mouseClick(&host, Qt::LeftButton, Qt::NoModifier, b->rcItem.center());
    EXPECT_EQ(clicked, (std::vector<int>{1, 2}));
    QTest::mouseMove(&host, QPoint(215, 38));
    ASSERT_EVENTUALLY_EQ(b->nState, 0);
    EXPECT_EQ(host.cursor().shape(), Qt::ArrowCursor);
}

} // namespace
} // namespace LUSTRA
