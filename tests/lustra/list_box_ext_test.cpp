#include "lustra/image_loader.h"
#include "lustra/list_box_ext.h"
#include "lustra/list_box_notify_event.h"
#include "tests/lustra/list_box_recorder.h"
#include "tests/lustra/pixel_compare.h"

#include <QAccessible>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace LUSTRA {
namespace {

using tarnel::test::buildImage;
using tarnel::test::ListBoxRecorder;
using tarnel::test::samePixels;
using tarnel::test::solidImage;

ST_LISTBOX_ITEM itemOf(long id, ST_LISTBOX_ITEM* parent = nullptr, int key = 0) {
    ST_LISTBOX_ITEM item;
    item.nItemID = id;
    item.pParent = parent;
    item.bCanHaveChild = true;
    item.nSortKey = key;
    return item;
}

// Every item in list order as "text" with "+" when it has a later sibling, "~" when hidden.
std::string treeOf(CListBoxExt& list) {
    std::string tree;
    for (auto at = list.GetItorByIndex(0); at != list.ItemsEnd(); ++at) {
        tree += std::string(at->nIndent / 16, '.') + at->pszText + (at->bHasNext ? "+" : "") +
                (at->bVisible ? "" : "~") + " ";
    }
    return tree;
}

std::string rowsOf(CListBoxExt& list) {
    std::string rows;
    for (int row = 0; row < list.count(); ++row) {
        rows += list.item(row)->text().toStdString() + " ";
    }
    return rows;
}

struct Fill {
    long id;
    long parent; // 0 = top level
    int key;
    const char* text;
};

struct OrderCase {
    const char* name;
    bool sorted;
    bool appendOrAscending;
    std::vector<Fill> fills;
    const char* tree;
};

TEST(CListBoxExtTest, PlacesItemsByAppendOrderKeysAndTexts) {
    const OrderCase cases[] = {
        {"append",
         false,
         true,
         {{1, 0, 0, "r"}, {2, 1, 0, "b"}, {3, 1, 0, "a"}, {4, 0, 0, "s"}},
         "r+ .b+~ .a~ s "},
        {"prepend",
         false,
         false,
         {{1, 0, 0, "r"}, {2, 1, 0, "b"}, {3, 1, 0, "a"}, {4, 0, 0, "s"}},
         "s+ r .a+~ .b~ "},
        {"keys_ascending",
         true,
         true,
         {{1, 0, 3, "c"}, {2, 0, 1, "a"}, {3, 0, 2, "b"}},
         "a+ b+ c "},
        {"keys_descending",
         true,
         false,
         {{1, 0, 3, "c"}, {2, 0, 1, "a"}, {3, 0, 2, "b"}},
         "c+ b+ a "},
        {"texts_on_equal_keys",
         true,
         true,
         {{1, 0, 1, "中"}, {2, 0, 1, "啊"}, {3, 0, 0, "z"}},
         "z+ 啊+ 中 "},
        {"equal_new_goes_first", true, true, {{1, 0, 0, "x"}, {2, 0, 0, "x"}}, "x+ x "},
        {"sorted_children_keep_subtrees",
         true,
         true,
         {{1, 0, 0, "p"}, {2, 1, 0, "n"}, {3, 2, 0, "deep"}, {4, 1, 0, "m"}, {5, 0, 0, "a"}},
         "a+ p .m+~ .n~ ..deep~ "},
    };
    for (const OrderCase& c : cases) {
        CListBoxExt list;
        list.SetSortedInsert(c.sorted);
        list.SetAppendOrder(c.appendOrAscending);
        for (const Fill& fill : c.fills) {
            ST_LISTBOX_ITEM item = itemOf(fill.id, list.GetItemByItemID(fill.parent), fill.key);
            list.AddItem(item, fill.text);
        }
        EXPECT_EQ(treeOf(list), c.tree) << c.name;
    }
}

TEST(CListBoxExtTest, ACallbackDecidesTheSortedOrder) {
    CListBoxExt list;
    list.SetSortedInsert(true);
    list.SetCompareFunc([](CListBoxExt*, ST_LISTBOX_ITEM* added, ST_LISTBOX_ITEM* existing) {
        return int(existing->dwData) - int(added->dwData);
    });
    for (unsigned long data : {2ul, 9ul, 5ul}) {
        ST_LISTBOX_ITEM item = itemOf(long(data));
        item.dwData = data;
        list.AddItem(item, std::to_string(data).c_str());
    }
    EXPECT_EQ(treeOf(list), "9+ 5+ 2 ");
}

TEST(CListBoxExtTest, RefusedChildrenChangeNothing) {
    CListBoxExt list;
    ST_LISTBOX_ITEM leaf = itemOf(1);
    leaf.bCanHaveChild = false;
    EXPECT_EQ(list.AddItem(leaf, "leaf"), 0);
    ST_LISTBOX_ITEM child = itemOf(2, list.GetItemByItemID(1));
    EXPECT_EQ(list.AddItem(child, "child"), -1);
    ST_LISTBOX_ITEM stranger;
    ST_LISTBOX_ITEM orphan = itemOf(3, &stranger);
    EXPECT_EQ(list.AddItem(orphan, "orphan"), -1);
    EXPECT_EQ(list.GetItemCount(), 1);
    EXPECT_FALSE(list.GetItemByItemID(1)->bHasChild);
    EXPECT_EQ(rowsOf(list), "leaf ");
}

class TreeListTest : public ::testing::Test {
protected:
    // a { a1 { x }, a2 }, b ; everything collapsed
    void SetUp() override {
        add(1, 0, "a");
        add(2, 1, "a1");
        add(3, 2, "x");
        add(4, 1, "a2");
        add(5, 0, "b");
    }
    int add(long id, long parent, const char* text) {
        ST_LISTBOX_ITEM item = itemOf(id, list.GetItemByItemID(parent));
        return list.AddItem(item, text);
    }
    ST_LISTBOX_ITEM* byId(long id) { return list.GetItemByItemID(id); }

    ListBoxRecorder owner;
    CListBoxExt list{&owner};
};

TEST_F(TreeListTest, ChildrenOfACollapsedParentAreStoredButNotShown) {
    EXPECT_EQ(rowsOf(list), "a b ");
    EXPECT_EQ(list.GetItemCount(), 5);
    EXPECT_TRUE(byId(1)->bHasChild);
    EXPECT_EQ(byId(1)->nChildCount, 2);
    EXPECT_EQ(byId(3)->nIndent, 32);
    EXPECT_EQ(list.GetIndexByItemID(2), -1);
    EXPECT_EQ(list.GetIndexByItemID(99), -1);
    EXPECT_EQ(list.GetIndexByItemID(5), 1);
    EXPECT_EQ(list.GetItemByIndex(1), byId(5));
    EXPECT_EQ(list.GetItemByIndex(2), nullptr);
}

TEST_F(TreeListTest, ExpandAndCollapseCountTheRowsShownAndHidden) {
    EXPECT_EQ(list.ExpandItem(0), 2);
    EXPECT_EQ(rowsOf(list), "a a1 a2 b ");
    EXPECT_EQ(list.ExpandItem(0), 0);
    EXPECT_EQ(list.ExpandItem(2), 0) << "a2 has no children";
    EXPECT_EQ(list.ExpandItem(1), 1);
    EXPECT_EQ(rowsOf(list), "a a1 x a2 b ");
    EXPECT_EQ(list.CollapseItem(0), 3);
    EXPECT_EQ(rowsOf(list), "a b ");
    EXPECT_EQ(list.CollapseItem(0), 0);
    EXPECT_EQ(list.ExpandItem(0), 3) << "a1 stayed expanded";
    EXPECT_EQ(rowsOf(list), "a a1 x a2 b ");
    EXPECT_EQ(list.GetIndexByItemID(3), 2);
}

TEST_F(TreeListTest, ChildrenAddedUnderAnOpenParentAppearInPlace) {
    list.ExpandItem(0);
    EXPECT_EQ(add(6, 1, "a3"), 3);
    EXPECT_EQ(rowsOf(list), "a a1 a2 a3 b ");
    EXPECT_TRUE(byId(4)->bHasNext);
    EXPECT_FALSE(byId(6)->bHasNext);
}

TEST_F(TreeListTest, DeletionTakesTheSubtreeAndMendsTheNeighbours) {
    list.ExpandItem(0);
    list.ExpandItem(1);
    EXPECT_EQ(list.DeleteItemByItemID(4), 3) << "a2 was row 3";
    EXPECT_FALSE(byId(2)->bHasNext) << "a1 is the last child now";
    EXPECT_EQ(list.DeleteItemByItemID(2), 1);
    EXPECT_EQ(byId(3), nullptr) << "x went with a1";
    EXPECT_FALSE(byId(1)->bHasChild);
    EXPECT_EQ(byId(1)->nChildCount, 0);
    EXPECT_EQ(rowsOf(list), "a b ");
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(list.DeleteItemByItemID(99), -1);
    EXPECT_EQ(list.ExpandItem(0), 0) << "no button any more";
}

TEST_F(TreeListTest, DeletingAHiddenItemRemovesNoRow) {
    EXPECT_EQ(list.DeleteItemByItemID(3), -1);
    EXPECT_FALSE(byId(2)->bHasChild);
    EXPECT_EQ(rowsOf(list), "a b ");
    EXPECT_EQ(list.GetItemCount(), 4);
}

TEST_F(TreeListTest, SetItemVisableOpensTheAncestorsFromTheTop) {
    EXPECT_EQ(list.SetItemVisable(byId(3)), 2);
    EXPECT_EQ(rowsOf(list), "a a1 x a2 b ");
    EXPECT_EQ(list.SetItemVisable(nullptr), -1);
    ST_LISTBOX_ITEM stranger;
    EXPECT_EQ(list.SetItemVisable(&stranger), -1);
}

TEST_F(TreeListTest, ExpandAllShowsEveryItemAndReleaseLeavesNoRow) {
    list.ExpandAllItem();
    EXPECT_EQ(rowsOf(list), "a a1 x a2 b ");
    EXPECT_TRUE(byId(2)->bExpanded);
    list.ReleaseItem();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.GetItemByIndex(0), nullptr);
    EXPECT_EQ(add(7, 0, "again"), 0);
}

TEST_F(TreeListTest, UpdateItemTextRenamesTheRow) {
    list.UpdateItemText(5, "bee");
    list.UpdateItemText(3, "hidden x");
    EXPECT_EQ(rowsOf(list), "a bee ");
    EXPECT_STREQ(byId(3)->pszText, "hidden x");
}

TEST_F(TreeListTest, TheWindowGrowsAndShrinksAroundEightyPixels) {
    list.resize(100, 32);
    list.ExpandItem(0);
    EXPECT_EQ(list.height(), 64);
    list.ExpandItem(1);
    EXPECT_EQ(list.height(), 80);
    list.CollapseItem(1);
    EXPECT_EQ(list.height(), 80) << "64 would not stay above 80";
    list.resize(100, 112);
    list.CollapseItem(0);
    EXPECT_EQ(list.height(), 112) << "80 would not stay above 80";
    list.ExpandItem(0);
    list.resize(100, 120);
    list.CollapseItem(0);
    EXPECT_EQ(list.height(), 120 - 32);
    list.resize(100, 150);
    list.ExpandItem(0);
    EXPECT_EQ(list.height(), 150);
}

TEST_F(TreeListTest, AListInALayoutKeepsTheHeightTheLayoutGaveIt) {
    auto* rows = new QVBoxLayout(&owner);
    auto* nested = new QHBoxLayout;
    rows->addLayout(nested);
    nested->addWidget(&list);
    list.resize(100, 120);
    list.ExpandItem(0);
    list.CollapseItem(0);
    EXPECT_EQ(list.height(), 120);
    nested->removeWidget(&list);
    list.ExpandItem(0);
    list.CollapseItem(0);
    EXPECT_EQ(list.height(), 120 - 32);
}

struct ClickCase {
    int x;
    bool ticks;
};

TEST_F(TreeListTest, TheCheckColumnTicksFromFourToEighteen) {
    list.SetShowCheckBox(true);
    byId(5)->bCheckable = true;
    list.resize(120, 80);
    const ClickCase cases[] = {{3, false}, {4, true}, {18, true}, {19, false}};
    for (const ClickCase& c : cases) {
        owner.requests.clear();
        const bool before = byId(5)->bChecked;
        EXPECT_EQ(list.ClickList(QPoint(c.x, 16 + 5)), 1);
        EXPECT_EQ(byId(5)->bChecked != before, c.ticks) << "x = " << c.x;
        EXPECT_EQ(owner.requests,
                  c.ticks ? std::vector<std::string>{"1126 1"} : std::vector<std::string>{})
            << "x = " << c.x;
    }
    byId(1)->bCheckable = false;
    EXPECT_EQ(list.ClickList(QPoint(10, 5)), 0);
    EXPECT_FALSE(byId(1)->bChecked);
}

TEST_F(TreeListTest, AButtonClickAsksTheOwnerAndExpandsUnlessHandled) {
    list.resize(120, 80);
    EXPECT_EQ(list.ClickList(QPoint(1, 5)), 0);
    EXPECT_EQ(rowsOf(list), "a b ") << "x = 1 is left of the button";
    owner.answer = true;
    list.ClickList(QPoint(2, 5));
    EXPECT_EQ(rowsOf(list), "a b ") << "the owner handled it";
    owner.answer = false;
    list.ClickList(QPoint(17, 5));
    EXPECT_EQ(rowsOf(list), "a a1 a2 b ");
    list.ClickList(QPoint(2 + 16 + 8, 16 + 5)); // a1's button
    list.ClickList(QPoint(8, 5));
    EXPECT_EQ(rowsOf(list), "a b ");
    list.ClickList(QPoint(18, 5));
    EXPECT_EQ(rowsOf(list), "a b ") << "x = 18 is the icon";
    EXPECT_EQ(owner.requests, (std::vector<std::string>{"1125 0", "1125 0", "1125 1", "1124 0"}));
    EXPECT_EQ(list.ClickList(QPoint(5, -1)), -1);
    EXPECT_EQ(list.ClickList(QPoint(5, 16 * 3)), -1);
}

TEST_F(TreeListTest, AnOwnerThatChangesTheListDuringTheRequestIsSafe) {
    list.resize(120, 80);
    owner.onRequest = [&](const CListBoxNotifyEvent& request) {
        request.list()->DeleteItemByItemID(1);
    };
    list.ClickList(QPoint(8, 5));
    EXPECT_EQ(rowsOf(list), "b ");
    EXPECT_EQ(list.GetItemCount(), 1);
}

// A reader sees the rows as tree items; its toggle, expand and collapse act as the clicks do,
// with the same requests to the owner.
TEST_F(TreeListTest, RowsAreAccessibleTreeItemsWhoseActionsClickForTheReader) {
    list.SetShowCheckBox(true);
    byId(5)->bCheckable = true;
    list.resize(120, 80);
    QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(&list);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->role(), QAccessible::Tree);
    ASSERT_EQ(tree->childCount(), 2);
    QAccessibleInterface* a = tree->child(0);
    QAccessibleInterface* b = tree->child(1);
    EXPECT_EQ(a->text(QAccessible::Name).toStdString(), "a");
    EXPECT_EQ(b->role(), QAccessible::TreeItem);
    EXPECT_EQ(b->parent(), tree);
    const QRect row = list.visualItemRect(list.item(1));
    EXPECT_EQ(b->rect(), QRect(list.viewport()->mapToGlobal(row.topLeft()), row.size()));
    EXPECT_TRUE(a->state().expandable && a->state().collapsed && !a->state().expanded);
    EXPECT_FALSE(a->state().checkable);
    EXPECT_TRUE(b->state().checkable && !b->state().checked && !b->state().expandable);
    EXPECT_EQ(b->actionInterface()->actionNames(),
              QStringList{QAccessibleActionInterface::toggleAction()});
    EXPECT_EQ(a->actionInterface()->actionNames(), QStringList{"expand"});

    b->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(byId(5)->bChecked);
    EXPECT_TRUE(b->state().checked);
    a->actionInterface()->doAction("expand");
    EXPECT_EQ(rowsOf(list), "a a1 a2 b ");
    EXPECT_EQ(tree->childCount(), 4);
    EXPECT_EQ(tree->indexOfChild(b), 3) << "the interface follows its row";
    EXPECT_TRUE(a->state().expanded && !a->state().collapsed);
    QAccessibleInterface* a1 = tree->child(1);
    EXPECT_EQ(a1->text(QAccessible::Name).toStdString(), "a1");
    owner.answer = true;
    a->actionInterface()->doAction("collapse");
    EXPECT_EQ(rowsOf(list), "a a1 a2 b ") << "the owner handled it";
    owner.answer = false;
    const QAccessible::Id a1Id = QAccessible::uniqueId(a1);
    a->actionInterface()->doAction("collapse");
    EXPECT_EQ(rowsOf(list), "a b ");
    EXPECT_EQ(QAccessible::accessibleInterface(a1Id), nullptr) << "gone with its row";
    EXPECT_EQ(owner.requests, (std::vector<std::string>{"1126 1", "1125 0", "1124 0", "1124 0"}));
    list.AddString("plain");
    EXPECT_EQ(tree->child(2)->role(), QAccessible::ListItem);
    EXPECT_EQ(tree->child(2)->text(QAccessible::Name).toStdString(), "plain");
}

TEST(CListBoxExtTest, ASimpleComboListReportsEveryRelease) {
    ListBoxRecorder owner;
    CListBoxExt list(&owner);
    list.SetSimpleComboList(true);
    ST_LISTBOX_ITEM item = itemOf(1);
    list.AddItem(item, "one");
    list.resize(100, 40);
    list.show();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(60, 5), QPointF(60, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(60, 5), QPointF(60, 5), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &press);
    QCoreApplication::sendEvent(list.viewport(), &release);
    EXPECT_EQ(owner.requests, std::vector<std::string>{"1127 0"});
}

TEST(CListBoxExtTest, PlainStringsSortByTheirGb18030Bytes) {
    CListBoxExt list;
    list.SetSortedInsert(true);
    for (const char* text : {"中", "b", "啊", "a"}) {
        list.AddString(text);
    }
    EXPECT_EQ(rowsOf(list), "a b 啊 中 ");
    EXPECT_LT(list.CompareItem("啊", "中"), 0);
    EXPECT_GT(list.CompareItem("ab", "a"), 0);
    list.SetAppendOrder(false);
    EXPECT_GT(list.CompareItem("啊", "中"), 0);
    EXPECT_EQ(list.DeleteString(0), 3);
}

// Row pictures: what lands on each pixel of one 16-pixel row.
constexpr QRgb kWhite = 0xffffffff;
constexpr QRgb kDot = 0xff919191;

QImage rowImage(CListBoxExt& list, int row, int state, int width = 120) {
    QImage image(width, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(0xff000000);
    QPainter painter(&image);
    list.DrawItem(&painter, QRect(0, 0, width, 16), row, state);
    return image;
}

// The expected row: background, then dots at (x + y) even, then pictures over them.
struct RowPicture {
    QRgb background = kWhite;
    std::vector<QRect> dotted; // one-pixel-wide or -high runs
    std::vector<std::pair<QPoint, QImage>> pictures;
};

QImage expectedRow(const RowPicture& picture, int width = 120) {
    QImage image = buildImage(width, 16, [&](int x, int y) {
        for (const QRect& run : picture.dotted) {
            if (run.contains(x, y) && (x + y) % 2 == 0) {
                return kDot;
            }
        }
        return picture.background;
    });
    for (const auto& [at, over] : picture.pictures) {
        for (int y = 0; y < over.height(); ++y) {
            for (int x = 0; x < over.width(); ++x) {
                const QRgb pixel = over.pixel(x, y);
                if (qAlpha(pixel) == 255) {
                    image.setPixel(at.x() + x, at.y() + y, pixel);
                }
            }
        }
    }
    return image;
}

QImage resource(unsigned id) {
    std::unique_ptr<QImage> picture(LoadImageFromRes(id, "PNG"));
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const int alpha = qAlpha(picture->pixel(x, y));
            EXPECT_TRUE(alpha == 0 || alpha == 255) << "resource " << id << " is not two-level";
        }
    }
    return *picture;
}

TEST_F(TreeListTest, RowsDrawTheirButtonIconAndTreeLinesInTheirColumns) {
    QImage icon = solidImage(16, 16, 0xff3366cc);
    ST_IMG_INFO iconInfo{&icon, 0, 0, 16, 16, 0, 0};
    byId(2)->pImgCollapse = &iconInfo;
    for (long id : {1l, 2l, 4l, 5l}) {
        list.UpdateItemText(id, "");
    }
    list.ExpandItem(0); // rows: a, a1, a2, b
    // a: top level, expanded, a later sibling: its button over the lines
    RowPicture a;
    a.dotted = {{10, 8, 8, 1}, {10, 0, 1, 16}, {26, 8, 1, 8}};
    a.pictures = {{{2, 0}, resource(1006)}};
    EXPECT_TRUE(samePixels(rowImage(list, 0, 0), expectedRow(a), "row_expanded_parent"));
    // a1: indented, collapsed with a child, a later sibling, an icon
    RowPicture a1;
    a1.dotted = {{26, 8, 8, 1}, {10, 0, 1, 16}, {26, 0, 1, 16}};
    a1.pictures = {{{18, 0}, resource(1005)}, {{34, 0}, icon}};
    EXPECT_TRUE(samePixels(rowImage(list, 1, 0), expectedRow(a1), "row_collapsed_child"));
    // a2: the last child: its own line stops at the middle
    RowPicture a2;
    a2.dotted = {{26, 8, 8, 1}, {10, 0, 1, 16}, {26, 0, 1, 9}};
    EXPECT_TRUE(samePixels(rowImage(list, 2, 0), expectedRow(a2), "row_last_child"));
    // b: the last top-level item without children
    RowPicture b;
    b.dotted = {{10, 0, 1, 9}};
    EXPECT_TRUE(samePixels(rowImage(list, 3, 0), expectedRow(b), "row_last_top"));
}

TEST_F(TreeListTest, CheckBoxesShiftTheTreeAndShowTheirState) {
    list.SetShowCheckBox(true);
    list.SetShowTreeLine(false);
    byId(5)->bCheckable = true;
    byId(5)->bChecked = true;
    list.UpdateItemText(5, "");
    list.UpdateItemText(1, "");
    RowPicture b;
    b.pictures = {{{2, 0}, resource(1008)}};
    EXPECT_TRUE(samePixels(rowImage(list, 1, 0), expectedRow(b), "row_checked"));
    byId(5)->bChecked = false;
    b.pictures = {{{2, 0}, resource(1007)}};
    EXPECT_TRUE(samePixels(rowImage(list, 1, 0), expectedRow(b), "row_unchecked"));
    RowPicture a;
    a.pictures = {{{18, 0}, resource(1005)}};
    EXPECT_TRUE(samePixels(rowImage(list, 0, 0), expectedRow(a), "row_not_checkable"));
}

TEST_F(TreeListTest, EachStateHasItsBackgroundFrameAndTextColour) {
    list.SetShowTreeLine(false);
    list.SetShowButton(false);
    list.UpdateItemText(5, "");
    list.SetFrameColor(2, 0x0000ff);
    RowPicture selected;
    selected.background = 0xffc8f0b4; // 11858120: red 200, green 240, blue 180
    QImage expected = expectedRow(selected);
    for (int x = 0; x < 120; ++x) {
        expected.setPixel(x, 0, 0xffff0000);
        expected.setPixel(x, 15, 0xffff0000);
    }
    for (int y = 0; y < 16; ++y) {
        expected.setPixel(0, y, 0xffff0000);
        expected.setPixel(119, y, 0xffff0000);
    }
    EXPECT_TRUE(samePixels(rowImage(list, 1, 2), expected, "row_state_2"));
    list.SetBkColor(1, -1);
    QImage unfilled = rowImage(list, 1, 1);
    EXPECT_EQ(unfilled.pixel(50, 8), 0xff000000) << "-1 leaves the background";

    list.SetTextColor(0, 0x0000ff);
    list.UpdateItemText(5, "Text");
    const QImage row = rowImage(list, 1, 0);
    const QRect area(2 + 2, 0, 120 - 4, 16);
    const QRect text =
        QFontMetrics(list.font())
            .boundingRect(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, "Text");
    int inked = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 120; ++x) {
            const QRgb pixel = row.pixel(x, y);
            if (pixel == kWhite) {
                continue;
            }
            ASSERT_TRUE(text.adjusted(-1, -1, 1, 1).contains(x, y))
                << "ink at " << x << ", " << y << " outside the text";
            inked += qRed(pixel) == 255 && qGreen(pixel) < 128 && qGreen(pixel) == qBlue(pixel);
        }
    }
    EXPECT_GT(inked, 4) << "text drawn in the state's colour";
}

TEST_F(TreeListTest, LongTextsEndInAnEllipsisInsideTheRow) {
    list.SetShowTreeLine(false);
    list.UpdateItemText(5, std::string(200, 'W').c_str());
    const QImage row = rowImage(list, 1, 0, 60);
    for (int y = 0; y < 16; ++y) {
        EXPECT_EQ(row.pixel(59, y), kWhite) << "the cut text leaves the last column";
    }
}

} // namespace
} // namespace LUSTRA
