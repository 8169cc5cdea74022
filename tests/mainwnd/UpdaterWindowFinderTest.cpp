#include "mainwnd/UpdaterWindowFinder.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "mainwnd/XvfbServer.h"

namespace tembra {
namespace {

// Plays the window manager: makes client windows and keeps the client list
// on the root window, and receives the activation requests sent to it.
class FakeWindowManager {
 public:
  explicit FakeWindowManager(const std::string& display) {
    c_ = xcb_connect(display.c_str(), nullptr);
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c_);
  }
  ~FakeWindowManager() { xcb_disconnect(c_); }

  xcb_atom_t atom(const char* name) {
    auto* r = xcb_intern_atom_reply(
        c_, xcb_intern_atom(c_, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    xcb_atom_t a = r->atom;
    std::free(r);
    return a;
  }

  xcb_window_t client(const std::string& netName, const std::string& wmName = {}) {
    xcb_window_t w = xcb_generate_id(c_);
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root_, 0, 0, 100, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    if (!netName.empty())
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8,
                          static_cast<uint32_t>(netName.size()), netName.data());
    if (!wmName.empty())
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                          static_cast<uint32_t>(wmName.size()), wmName.data());
    clients_.push_back(w);
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, root_, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW,
                        32, static_cast<uint32_t>(clients_.size()), clients_.data());
    xcb_flush(c_);
    return w;
  }

  void dropClientList() {
    xcb_delete_property(c_, root_, atom("_NET_CLIENT_LIST"));
    xcb_flush(c_);
  }

  // The window of the first _NET_ACTIVE_WINDOW request that arrives.
  xcb_window_t awaitActivation() {
    const xcb_atom_t active = atom("_NET_ACTIVE_WINDOW");
    for (int i = 0; i < 200; ++i) {
      while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
        xcb_window_t got = 0;
        if ((e->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
          auto* m = reinterpret_cast<xcb_client_message_event_t*>(e);
          if (m->type == active && m->data.data32[0] == 2) got = m->window;
        }
        std::free(e);
        if (got) return got;
      }
      ::usleep(10000);
    }
    return 0;
  }

 private:
  xcb_connection_t* c_;
  xcb_window_t root_;
  std::vector<xcb_window_t> clients_;
};

TEST(UpdaterWindowFinder, FindsTheWindowByItsExactCaptionAndActivatesIt) {
  test::XvfbServer x;
  if (x.display().empty()) GTEST_SKIP() << "Xvfb is not available";
  FakeWindowManager wm(x.display());
  wm.client("Tembra Player");
  const xcb_window_t updater = wm.client("Tembra Player Update");
  const xcb_window_t cyrillic = wm.client("Обновление Tembra");
  const xcb_window_t legacy = wm.client("", "Old Updater");

  UpdaterWindowFinder finder(x.display().c_str());
  ASSERT_TRUE(finder.connected());
  EXPECT_EQ(finder.find(u"Tembra Player Update"), updater);
  EXPECT_EQ(finder.find(u"Обновление Tembra"), cyrillic);
  EXPECT_EQ(finder.find(u"Old Updater"), legacy);
  EXPECT_FALSE(finder.find(u"Tembra Player Updat").has_value());
  EXPECT_FALSE(finder.find(u"tembra player update").has_value());
  EXPECT_FALSE(finder.find(u"").has_value());

  ASSERT_TRUE(finder.activate(updater));
  EXPECT_EQ(wm.awaitActivation(), updater);
}

TEST(UpdaterWindowFinder, NothingIsFoundWithoutAClientList) {
  test::XvfbServer x;
  if (x.display().empty()) GTEST_SKIP() << "Xvfb is not available";
  FakeWindowManager wm(x.display());
  wm.client("Tembra Player Update");
  wm.dropClientList();
  UpdaterWindowFinder finder(x.display().c_str());
  ASSERT_TRUE(finder.connected());
  EXPECT_FALSE(finder.find(u"Tembra Player Update").has_value());
}

TEST(UpdaterWindowFinder, NothingIsFoundWithoutADisplay) {
  UpdaterWindowFinder unreachable(":987");
  EXPECT_FALSE(unreachable.connected());
  EXPECT_FALSE(unreachable.find(u"Tembra Player Update").has_value());
  EXPECT_FALSE(unreachable.activate(1));

  const char* saved = std::getenv("DISPLAY");
  std::string keep = saved ? saved : "";
  ::unsetenv("DISPLAY");
  UpdaterWindowFinder none;
  EXPECT_FALSE(none.connected());
  if (saved) ::setenv("DISPLAY", keep.c_str(), 1);
}

}  // namespace
}  // namespace tembra
