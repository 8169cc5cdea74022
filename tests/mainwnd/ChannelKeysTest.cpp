// The channel keys over the whole main window: the routing rule by key,
// modifiers and focus, and the real window's widgets sending them.
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include "mainwnd/ChannelKeys.h"
#include "mainwnd/MainWindowTestKit.h"
#include "mainwnd/QtTestApp.h"
#include "skin/CListUI.h"
#include "skin/SkinButton.h"
#include "skin/SkinListView.h"

namespace tembra {
namespace {

using Action = ChannelKeys::Action;
using Focus = ChannelKeys::Focus;
using test::RecordingActions;
using test::spinUntil;
using test::WindowUnderTest;

TEST(ChannelKeysRoute, ByKeyModifiersAndFocus) {
  const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier, pad = Qt::KeypadModifier;
  struct Row {
    int key;
    Qt::KeyboardModifiers mods;
    Focus focus;
    Action expected;
  };
  const Row rows[] = {
      {Qt::Key_PageUp, none, Focus::Elsewhere, Action::PreviousChannel},
      {Qt::Key_PageDown, none, Focus::Elsewhere, Action::NextChannel},
      {Qt::Key_PageDown, pad, Focus::Elsewhere, Action::NextChannel},
      {Qt::Key_PageDown, none, Focus::TextField, Action::None},
      {Qt::Key_PageDown, none, Focus::GuideGrid, Action::None},
      {Qt::Key_PageDown, ctrl, Focus::Elsewhere, Action::None},
      {Qt::Key_PageUp, Qt::ShiftModifier, Focus::Elsewhere, Action::None},
      {Qt::Key_ChannelUp, none, Focus::Elsewhere, Action::PreviousChannel},
      {Qt::Key_ChannelDown, none, Focus::TextField, Action::NextChannel},
      {Qt::Key_ChannelDown, none, Focus::GuideGrid, Action::NextChannel},
      {Qt::Key_ChannelDown, Qt::AltModifier, Focus::Elsewhere, Action::None},
      {Qt::Key_Up, ctrl, Focus::Elsewhere, Action::SelectPrevious},
      {Qt::Key_Down, ctrl, Focus::GuideGrid, Action::SelectNext},
      {Qt::Key_Down, ctrl | pad, Focus::Elsewhere, Action::SelectNext},
      {Qt::Key_Down, ctrl, Focus::TextField, Action::None},
      {Qt::Key_Down, none, Focus::Elsewhere, Action::None},
      {Qt::Key_Down, ctrl | Qt::ShiftModifier, Focus::Elsewhere, Action::None},
      {Qt::Key_A, none, Focus::Elsewhere, Action::None},
      {Qt::Key_Space, none, Focus::Elsewhere, Action::None},
  };
  for (const Row& r : rows)
    EXPECT_EQ(ChannelKeys::Route(r.key, r.mods, r.focus), r.expected)
        << "key " << r.key << " mods " << r.mods << " focus " << static_cast<int>(r.focus);
}

TEST(ChannelKeysRoute, TextFieldsAreKnownByTheirKind) {
  QWidget plain;
  QLineEdit line(&plain);
  QPlainTextEdit text(&plain);
  QSpinBox spin(&plain);
  QComboBox fixed(&plain), editable(&plain);
  editable.setEditable(true);
  EXPECT_EQ(ChannelKeys::FocusOf(&plain), Focus::Elsewhere);
  EXPECT_EQ(ChannelKeys::FocusOf(nullptr), Focus::Elsewhere);
  EXPECT_EQ(ChannelKeys::FocusOf(&line), Focus::TextField);
  EXPECT_EQ(ChannelKeys::FocusOf(&text), Focus::TextField);
  EXPECT_EQ(ChannelKeys::FocusOf(&spin), Focus::TextField);
  EXPECT_EQ(ChannelKeys::FocusOf(&fixed), Focus::Elsewhere);
  EXPECT_EQ(ChannelKeys::FocusOf(&editable), Focus::TextField);
}

class ChannelKeysWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    wnd = &under.make(&actions);
    ASSERT_TRUE(wnd->Create());
    ASSERT_TRUE(spinUntil([&] { return !actions.calls.empty(); }, 2000));
    list = wnd->findList(QStringLiteral("channellist"));
    ASSERT_NE(list, nullptr);
    QVector<CListLabelElementUI> rows;
    for (int i = 0; i < 5; ++i) {
      CListLabelElementUI item;
      item.name = QString::number(100 + i);
      item.text = QStringLiteral("Channel %1").arg(i);
      rows.append(item);
    }
    list->replaceAll(std::move(rows));
    actions.clear();
  }

  // Sends the key to the widget as the focus widget would get it.
  void press(QWidget* to, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(to, &event);
  }

  RecordingActions actions;
  WindowUnderTest under;
  TembraPlayerWnd* wnd = nullptr;
  CListUI* list = nullptr;
};

TEST_F(ChannelKeysWindow, PageKeysZapFromTheListsAndButtonsButNotFromATextField) {
  list->select(1);
  press(list->view(), Qt::Key_PageDown);
  press(list->view(), Qt::Key_PageUp);
  EXPECT_EQ(actions.calls, (std::vector<std::string>{"PlayNeighbour 1", "PlayNeighbour -1"}));
  EXPECT_EQ(list->selectedIndex(), 1) << "the list did not page by itself";

  CListUI* playing = wnd->findList(QStringLiteral("playinglist"));
  ASSERT_NE(playing, nullptr);
  actions.clear();
  press(playing->view(), Qt::Key_ChannelDown);
  press(wnd->findButton(QStringLiteral("closebtn")), Qt::Key_PageDown);
  EXPECT_EQ(actions.calls, (std::vector<std::string>{"PlayNeighbour 1", "PlayNeighbour 1"}));

  // The field has the focus; what it leaves alone goes on to the window.
  auto* field = new QLineEdit(wnd);
  field->show();
  wnd->show();
  wnd->activateWindow();
  field->setFocus();
  ASSERT_TRUE(spinUntil([&] { return QApplication::focusWidget() == field; }, 3000));
  actions.clear();
  press(field, Qt::Key_PageDown);
  press(field, Qt::Key_Down, Qt::ControlModifier);
  EXPECT_TRUE(actions.calls.empty());
  EXPECT_EQ(list->selectedIndex(), 1);

  field->clearFocus();
  // A window of its own (a dialog) is not the main window's.
  QWidget other;
  press(&other, Qt::Key_PageDown);
  EXPECT_TRUE(actions.calls.empty());
}

TEST_F(ChannelKeysWindow, CtrlUpAndDownMoveTheListWithoutPlaying) {
  list->select(3);
  press(wnd, Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(list->selectedIndex(), 4);
  press(list->view(), Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(list->selectedIndex(), 4) << "stops at the end";
  for (int i = 0; i < 6; ++i) press(list->view(), Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(list->selectedIndex(), 0);
  list->select(-1);
  wnd->state().channelListMark = 2;
  press(wnd, Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(list->selectedIndex(), 1) << "from the playing row when nothing is selected";
  EXPECT_TRUE(actions.calls.empty()) << "nothing plays";
}

TEST_F(ChannelKeysWindow, NothingOnceClosingBegan) {
  wnd->close();
  ASSERT_TRUE(wnd->closing());
  actions.clear();
  press(list->view(), Qt::Key_PageDown);
  EXPECT_TRUE(actions.calls.empty());
}

}  // namespace
}  // namespace tembra
