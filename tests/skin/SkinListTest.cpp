// Lists and combos: markers drawn where they are asked for, maximum item
// sizes, many thousands of items, the drop-down height.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>

#include "SkinTestSupport.h"
#include "skin/CListUI.h"
#include "skin/SkinCombo.h"
#include "skin/SkinListModel.h"
#include "skin/SkinListView.h"

namespace tembra {
namespace {

using test::SkinFolder;

class SkinListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.writeImage("mark.png", 9, 9, qRgb(0xf5, 0xa5, 0x24));
    folder.writeImage("row.bmp", 99, 29, qRgb(0x20, 0x80, 0x20));
    w = folder.window(R"(<Window size="300,400">
      <VerticalLayout>
        <Combo name="combo" height="24" itemheight="40"/>
        <List name="list" itemheight="40" itembkcolor="#101010" itemaltbkcolor="#101010"
              itemhotbkcolor="#101010" itemselectedbkcolor="#0000ff" itemdimtextcolor="#ffff00ff" header="Channels"
              headerheight="20"/>
      </VerticalLayout>
    </Window>)");
    ASSERT_NE(w, nullptr);
    list = w->findList("list");
    combo = w->findCombo("combo");
    w->show();
    QCoreApplication::processEvents();
  }
  CListLabelElementUI item(int i, int maxHeight = 29, int maxWidth = 220) {
    return CListLabelElementUI::Make(QString::number(i), QStringLiteral("Channel %1").arg(i),
                                     QStringLiteral("tip %1").arg(i), maxHeight, maxWidth);
  }
  QImage shot() { return w->grab().toImage(); }

  SkinFolder folder;
  std::unique_ptr<CWindowWnd> w;
  CListUI* list = nullptr;
  SkinCombo* combo = nullptr;
};

TEST_F(SkinListTest, MaximumSizesLimitRowsWithoutFixingThem) {
  list->add(item(0));
  list->add(item(1, 0, 0));
  list->add(item(2, 60, 400));
  EXPECT_EQ(list->rowHeight(0), 29) << "the maximum wins over the list's 40";
  EXPECT_EQ(list->rowHeight(1), 40) << "no maximum: the list's item height";
  EXPECT_EQ(list->rowHeight(2), 40) << "a maximum is not a fixed size";
  QCoreApplication::processEvents();
  const QRect r0 = list->itemRect(0);
  EXPECT_EQ(r0.height(), 29);
  EXPECT_EQ(r0.width(), 220) << "at most the item's maximum width";
  EXPECT_EQ(list->itemRect(1).width(), 300);
  EXPECT_EQ(list->itemRect(1).top(), r0.bottom() + 1);
  EXPECT_EQ(list->model()->data(list->model()->index(0), Qt::ToolTipRole).toString(), "tip 0");
}

TEST_F(SkinListTest, MarkersAreDrawnInTheirRectangleAndRemoved) {
  for (int i = 0; i < 3; ++i) list->add(item(i));
  QCoreApplication::processEvents();
  const QRect row1 = list->itemRect(1);
  const QPoint markerCentre = list->mapTo(w.get(), row1.topLeft() + QPoint(7, 14));  // rectangle 3,10 .. 12,19
  const QPoint outside = list->mapTo(w.get(), row1.topLeft() + QPoint(7, 4));
  EXPECT_NE(QColor(shot().pixel(markerCentre)), QColor(0xf5, 0xa5, 0x24));
  ASSERT_TRUE(list->setItemMarker(1, "mark.png", QRect(QPoint(3, 10), QPoint(11, 18))));
  QImage marked = shot();
  EXPECT_EQ(QColor(marked.pixel(markerCentre)), QColor(0xf5, 0xa5, 0x24));
  EXPECT_EQ(QColor(marked.pixel(outside)), QColor(0x10, 0x10, 0x10));
  EXPECT_EQ(list->item(1)->markerImage, "mark.png");
  // A whole-row marker (a BMP) under the text.
  ASSERT_TRUE(list->setItemMarker(2, "row.bmp", QRect(0, 0, 99, 29)));
  const QPoint rowPoint = list->mapTo(w.get(), list->itemRect(2).topLeft() + QPoint(95, 2));
  EXPECT_EQ(QColor(shot().pixel(rowPoint)), QColor(0x20, 0x80, 0x20));
  ASSERT_TRUE(list->clearItemMarker(1));
  EXPECT_TRUE(list->item(1)->markerImage.isEmpty());
  EXPECT_NE(QColor(shot().pixel(markerCentre)), QColor(0xf5, 0xa5, 0x24));
  EXPECT_FALSE(list->setItemMarker(7, "mark.png", QRect(0, 0, 5, 5)));
}

TEST_F(SkinListTest, HeaderHeightCanBeSetToNothing) {
  list->add(item(0));
  QCoreApplication::processEvents();
  EXPECT_EQ(list->itemRect(0).top(), 20);
  list->setHeaderHeight(0);
  QCoreApplication::processEvents();
  EXPECT_EQ(list->headerHeight(), 0);
  EXPECT_EQ(list->itemRect(0).top(), 0);
}

TEST_F(SkinListTest, TwentyThousandItemsAddedOneByOneStayUsable) {
  list->setHeaderHeight(0);
  for (int i = 0; i < 20000; ++i) list->add(item(i));
  ASSERT_EQ(list->count(), 20000);
  EXPECT_TRUE(list->view()->uniformItemSizes());
  EXPECT_EQ(list->findByName("19999"), 19999);
  EXPECT_EQ(list->findByName("20000"), -1);
  ASSERT_TRUE(list->select(19999));
  QCoreApplication::processEvents();
  const QRect last = list->itemRect(19999);
  ASSERT_TRUE(last.isValid()) << "scrolled into view";
  EXPECT_EQ(last.height(), 29);
  QScrollBar* bar = list->view()->verticalScrollBar();
  EXPECT_EQ(bar->maximum(), 20000 * 29 - list->view()->viewport()->height());
  // Paging moves a screenful.
  list->select(0);
  QCoreApplication::processEvents();
  EXPECT_EQ(bar->value(), 0);
  list->pageDown();
  EXPECT_EQ(bar->value(), bar->pageStep());
  list->pageUp();
  EXPECT_EQ(bar->value(), 0);
  // Painting the view with all of them is one screen of rows.
  EXPECT_FALSE(shot().isNull());
  list->removeAll();
  EXPECT_EQ(list->count(), 0);
  EXPECT_EQ(list->selectedIndex(), -1);
}

TEST_F(SkinListTest, MixedHeightsTurnOffUniformRows) {
  list->add(item(0, 29));
  list->add(item(1, 20));
  EXPECT_FALSE(list->view()->uniformItemSizes());
  QCoreApplication::processEvents();
  EXPECT_EQ(list->itemRect(1).height(), 20);
}

TEST_F(SkinListTest, ComboDropDownHeightIsTheProgramsOrFourRows) {
  // The program's rule: one row per item, at most four rows.
  auto rule = [](int items) { return 29 * std::min(items, 4); };
  for (int items : {2, 6}) {
    combo->removeAll();
    for (int i = 0; i < items; ++i) combo->add(item(i));
    combo->setDropDownHeight(rule(items));
    combo->showDropDown();
    QCoreApplication::processEvents();
    ASSERT_TRUE(combo->isDropDownVisible());
    SkinListView* view = combo->dropDownView();
    EXPECT_EQ(view->window()->height(), items == 2 ? 2 * 29 : 4 * 29);
    EXPECT_EQ(view->visualRect(view->model()->index(1, 0)).height(), 29);
    EXPECT_EQ(view->window()->width(), combo->width());
    EXPECT_EQ(view->window()->geometry().top(), combo->mapToGlobal(QPoint(0, combo->height())).y());
    // Six items in four rows: the rest is a scroll away.
    EXPECT_EQ(view->verticalScrollBar()->maximum(), items == 6 ? 2 * 29 : 0);
    combo->hideDropDown();
  }
  // Without the program's height the combo shows at most four rows too.
  combo->setDropDownHeight(0);
  EXPECT_EQ(combo->dropDownHeight(), 4 * 29);
  combo->removeAll();
  combo->add(item(0));
  EXPECT_EQ(combo->dropDownHeight(), 29);
}

TEST_F(SkinListTest, ComboKeyboardMovesTheSelection) {
  for (int i = 0; i < 3; ++i) combo->add(item(i));
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(combo->selectedIndex(), 0);
  QTest::keyClick(combo, Qt::Key_Down);
  QTest::keyClick(combo, Qt::Key_Down);
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(combo->selectedIndex(), 2);
  QTest::keyClick(combo, Qt::Key_Up);
  EXPECT_EQ(combo->selectedIndex(), 1);
}

// Refilling a list (another group) is one model change: a view lays out
// once, however many rows come and go; the rows' heights decide the
// view's uniform-size shortcut again.
TEST_F(SkinListTest, ReplaceAllIsOneModelReset) {
  for (int i = 0; i < 3; ++i) list->add(item(i, 60));
  list->select(1);
  int resets = 0, inserts = 0, removes = 0;
  QObject::connect(list->model(), &QAbstractItemModel::modelReset, [&] { ++resets; });
  QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, [&] { ++inserts; });
  QObject::connect(list->model(), &QAbstractItemModel::rowsRemoved, [&] { ++removes; });

  QVector<CListLabelElementUI> rows;
  for (int i = 10; i < 5010; ++i) rows.append(item(i));
  list->replaceAll(rows);
  EXPECT_EQ(resets, 1);
  EXPECT_EQ(inserts + removes, 0);
  ASSERT_EQ(list->count(), 5000);
  EXPECT_EQ(list->item(0)->name, "10");
  EXPECT_EQ(list->item(4999)->name, "5009");
  EXPECT_EQ(list->findByName("2"), -1) << "the old rows are gone";
  EXPECT_EQ(list->selectedIndex(), -1) << "no selection survives the refill";
  EXPECT_TRUE(list->view()->uniformItemSizes()) << "every row 29 high";

  rows = {item(1, 29), item(2, 0)};
  list->replaceAll(rows);
  EXPECT_EQ(resets, 2);
  EXPECT_EQ(list->count(), 2);
  EXPECT_FALSE(list->view()->uniformItemSizes()) << "29 and 40 high";
  list->replaceAll({});
  EXPECT_EQ(list->count(), 0);
  EXPECT_EQ(list->item(0), nullptr);
}

// An empty list says why in the rows' dim colour (magenta here); rows, or
// no text, leave none of it.
TEST_F(SkinListTest, AnEmptyListShowsItsTextUntilItHasRows) {
  const auto magenta = [&] {
    const QImage image = shot();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        n += c.red() > 160 && c.blue() > 160 && c.green() < 90;
      }
    return n;
  };
  EXPECT_EQ(magenta(), 0);
  list->setEmptyText(QStringLiteral("No favourites yet. Right-click a channel to add one."));
  EXPECT_EQ(list->emptyText(), QStringLiteral("No favourites yet. Right-click a channel to add one."));
  QCoreApplication::processEvents();
  EXPECT_GT(magenta(), 20) << "the text is drawn";
  list->add(item(0));
  QCoreApplication::processEvents();
  EXPECT_EQ(magenta(), 0) << "a list with rows shows them, not the text";
  list->removeAll();
  list->setEmptyText({});
  QCoreApplication::processEvents();
  EXPECT_EQ(magenta(), 0) << "no text, nothing drawn";
}

}  // namespace
}  // namespace tembra
