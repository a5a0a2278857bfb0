// Lustra's drawing and tree list against Qt's own ways of doing the same, in one run (run by
// hand; not part of ctest). Each line prints the ratio of our time to the baseline's.
#include "lustra/image_drawing.h"
#include "lustra/list_box_ext.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace {

using namespace LUSTRA;
using Clock = std::chrono::steady_clock;

// The best of several runs, in milliseconds.
double best(int runs, const std::function<void()>& work) {
    double fastest = 1e300;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        work();
        fastest = std::min(fastest,
                           std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return fastest;
}

void report(const char* what, double ours, double baseline, double target) {
    const double ratio = ours / baseline;
    std::printf("%-52s %9.2f ms vs %9.2f ms  ratio %5.2f (target <= %.0f) %s\n", what, ours,
                baseline, ratio, target, ratio <= target ? "ok" : "OVER");
}

QImage coded(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb(x * 16, y * 16, 100));
        }
    }
    return image;
}

void tiles(int size) {
    QImage tile = coded(size, size);
    const QPixmap pixmap = QPixmap::fromImage(tile);
    QImage ours(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    QImage theirs(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    const QRect area(0, 0, 1920, 1080);
    auto drawOurs = [&] {
        QPainter painter(&ours);
        DrawImage(&painter, &tile, area, DM_TILE);
    };
    auto drawTheirs = [&] {
        QPainter painter(&theirs);
        painter.drawTiledPixmap(area, pixmap);
    };
    const double ourTime = best(20, drawOurs);
    const double theirTime = best(20, drawTheirs);
    const std::string what = "DM_TILE " + std::to_string(size) + "x" + std::to_string(size) +
                             " over 1920x1080 / drawTiledPixmap";
    report(what.c_str(), ourTime, theirTime, 2);
    if (ours != theirs) {
        std::printf("  the tiled pictures differ\n");
    }
}

void threePart() {
    QImage source = coded(21, 24);
    ST_IMG_INFO info{&source, 0, 0, 21, 24, 10, 10};
    QImage target(1920, 24, QImage::Format_ARGB32_Premultiplied);
    const QRect area(0, 0, 1920, 24);
    const double ourTime = best(200, [&] {
        QPainter painter(&target);
        DrawImage(&painter, &info, area);
    });
    const double theirTime = best(200, [&] {
        QPainter painter(&target);
        painter.drawImage(area, source);
    });
    report("three-part, one-column middle, 1920 / one drawImage", ourTime, theirTime, 2);
}

// 10,000 items: 10 top-level, 100 under each, 9 under each of those, in shuffled text order.
std::string nameOf(int n) {
    return "item " + std::to_string((n * 7919) % 10007);
}

void treeList() {
    const double ourTime = best(3, [] {
        CListBoxExt list;
        list.SetSortedInsert(true);
        int n = 0;
        for (int top = 0; top < 10; ++top) {
            ST_LISTBOX_ITEM item;
            item.nItemID = ++n;
            item.bCanHaveChild = true;
            list.AddItem(item, nameOf(n).c_str());
            ST_LISTBOX_ITEM* topItem = list.GetItemByItemID(n);
            for (int middle = 0; middle < 100; ++middle) {
                ST_LISTBOX_ITEM child;
                child.nItemID = ++n;
                child.pParent = topItem;
                child.bCanHaveChild = true;
                list.AddItem(child, nameOf(n).c_str());
                ST_LISTBOX_ITEM* middleItem = list.GetItemByItemID(n);
                for (int leaf = 0; leaf < 9; ++leaf) {
                    ST_LISTBOX_ITEM grandchild;
                    grandchild.nItemID = ++n;
                    grandchild.pParent = middleItem;
                    list.AddItem(grandchild, nameOf(n).c_str());
                }
            }
        }
        list.ExpandAllItem();
    });
    const double theirTime = best(3, [] {
        QTreeWidget tree;
        int n = 0;
        for (int top = 0; top < 10; ++top) {
            auto* topItem = new QTreeWidgetItem(&tree, {QString::fromStdString(nameOf(++n))});
            for (int middle = 0; middle < 100; ++middle) {
                auto* middleItem =
                    new QTreeWidgetItem(topItem, {QString::fromStdString(nameOf(++n))});
                for (int leaf = 0; leaf < 9; ++leaf) {
                    new QTreeWidgetItem(middleItem, {QString::fromStdString(nameOf(++n))});
                }
            }
        }
        tree.sortItems(0, Qt::AscendingOrder);
        tree.expandAll();
    });
    report("sorted tree list, 10,000 items, filled and expanded / QTreeWidget", ourTime, theirTime,
           10);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    tiles(4);
    tiles(16);
    threePart();
    treeList();
    return 0;
}
