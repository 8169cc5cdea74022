#include "mainwnd/UpdaterWindowFinder.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/Utf.h"

namespace tembra {

namespace {

// Bounds on what another client controls: a client list and a caption
// longer than these are not ours to search.
constexpr uint32_t kMaxClients = 1 << 16;
constexpr uint32_t kMaxNameBytes = 4096;

xcb_atom_t intern(xcb_connection_t* c, const char* name) {
  auto cookie = xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name);
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
  xcb_atom_t atom = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  std::free(reply);
  return atom;
}

// The property's bytes, or nothing when it is absent or of another type.
std::optional<std::string> property(xcb_connection_t* c, xcb_window_t w, xcb_atom_t prop,
                                    xcb_atom_t type, uint32_t maxBytes) {
  auto cookie = xcb_get_property(c, 0, w, prop, type, 0, maxBytes / 4);
  xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
  if (!reply) return std::nullopt;
  std::optional<std::string> out;
  if (reply->type != XCB_ATOM_NONE && (type == XCB_ATOM_ANY || reply->type == type)) {
    const int len = xcb_get_property_value_length(reply);
    out.emplace(static_cast<const char*>(xcb_get_property_value(reply)), len > 0 ? len : 0);
  }
  std::free(reply);
  return out;
}

}  // namespace

struct UpdaterWindowFinder::Connection {
  xcb_connection_t* c = nullptr;
  xcb_window_t root = 0;
};

UpdaterWindowFinder::UpdaterWindowFinder(const char* display) : conn_(new Connection) {
  if (display == nullptr && std::getenv("DISPLAY") == nullptr) return;
  int screenNumber = 0;
  xcb_connection_t* c = xcb_connect(display, &screenNumber);
  if (xcb_connection_has_error(c)) {
    xcb_disconnect(c);
    return;
  }
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; i < screenNumber && it.rem > 0; ++i) xcb_screen_next(&it);
  if (it.rem == 0) {
    xcb_disconnect(c);
    return;
  }
  conn_->c = c;
  conn_->root = it.data->root;
}

UpdaterWindowFinder::~UpdaterWindowFinder() {
  if (conn_->c) xcb_disconnect(conn_->c);
  delete conn_;
}

bool UpdaterWindowFinder::connected() const { return conn_->c != nullptr; }

std::optional<uint32_t> UpdaterWindowFinder::find(const std::u16string& caption) {
  if (!conn_->c || caption.empty()) return std::nullopt;
  xcb_connection_t* c = conn_->c;
  const xcb_atom_t clientList = intern(c, "_NET_CLIENT_LIST");
  const xcb_atom_t netName = intern(c, "_NET_WM_NAME");
  const xcb_atom_t utf8 = intern(c, "UTF8_STRING");
  if (clientList == XCB_ATOM_NONE) return std::nullopt;
  auto list = property(c, conn_->root, clientList, XCB_ATOM_WINDOW, kMaxClients * 4);
  if (!list) return std::nullopt;
  const std::string wanted = toUtf8(caption);
  std::vector<xcb_window_t> windows(list->size() / 4);
  std::memcpy(windows.data(), list->data(), windows.size() * 4);
  for (xcb_window_t w : windows) {
    auto name = property(c, w, netName, utf8, kMaxNameBytes);
    if (!name) name = property(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, kMaxNameBytes);
    if (name && *name == wanted) return w;
  }
  return std::nullopt;
}

bool UpdaterWindowFinder::activate(uint32_t window) {
  if (!conn_->c) return false;
  xcb_connection_t* c = conn_->c;
  const xcb_atom_t active = intern(c, "_NET_ACTIVE_WINDOW");
  if (active == XCB_ATOM_NONE) return false;
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = window;
  event.type = active;
  // Source 2 is a pager or task switcher acting for the user, which window
  // managers honour without their focus-stealing prevention.
  event.data.data32[0] = 2;
  event.data.data32[1] = XCB_CURRENT_TIME;
  event.data.data32[2] = 0;
  xcb_send_event(c, 0, conn_->root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&event));
  return xcb_flush(c) > 0;
}

}  // namespace tembra
