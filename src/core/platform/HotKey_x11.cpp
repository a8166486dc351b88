#include "core/platform/HotKey.h"

#include <xcb/xcb.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace platform {

namespace {

// The lock modifiers a grab must ignore: Caps Lock, Num Lock (Mod2) and both.
constexpr std::uint16_t kLockVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                           XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

bool WaylandSession() {
  const char* type = std::getenv("XDG_SESSION_TYPE");
  return type != nullptr && std::strcmp(type, "wayland") == 0;
}

xcb_keycode_t KeycodeOf(xcb_connection_t* connection, xcb_keysym_t keysym) {
  const xcb_setup_t* setup = xcb_get_setup(connection);
  const int count = setup->max_keycode - setup->min_keycode + 1;
  xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(
      connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, count), nullptr);
  if (reply == nullptr) return 0;
  const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(reply);
  const int perCode = reply->keysyms_per_keycode;
  xcb_keycode_t found = 0;
  for (int code = 0; code < count && found == 0; ++code) {
    for (int column = 0; column < perCode && column < 2; ++column) {
      if (symbols[code * perCode + column] == keysym) {
        found = static_cast<xcb_keycode_t>(setup->min_keycode + code);
        break;
      }
    }
  }
  std::free(reply);
  return found;
}

}  // namespace

struct GlobalHotKey::State {
  xcb_connection_t* connection = nullptr;
  xcb_window_t root = 0;
  xcb_keycode_t keycode = 0;
  std::uint16_t modifiers = 0;
};

GlobalHotKey::GlobalHotKey() = default;

GlobalHotKey::~GlobalHotKey() { Unregister(); }

bool GlobalHotKey::Register(unsigned modifiers, char key) {
  Unregister();
  if (WaylandSession()) return false;
  const unsigned char letter = static_cast<unsigned char>(key);
  if (!std::isalnum(letter)) return false;

  int screenNumber = 0;
  xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
  if (connection == nullptr || xcb_connection_has_error(connection) != 0) {
    if (connection != nullptr) xcb_disconnect(connection);
    return false;
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
  if (screens.rem == 0) {
    xcb_disconnect(connection);
    return false;
  }
  // Latin letters' keysyms are their lower-case character codes, digits their own.
  const xcb_keycode_t keycode =
      KeycodeOf(connection, static_cast<xcb_keysym_t>(std::tolower(letter)));
  if (keycode == 0) {
    xcb_disconnect(connection);
    return false;
  }
  std::uint16_t mask = 0;
  if (modifiers & kAlt) mask |= XCB_MOD_MASK_1;
  if (modifiers & kControl) mask |= XCB_MOD_MASK_CONTROL;
  if (modifiers & kShift) mask |= XCB_MOD_MASK_SHIFT;

  const xcb_window_t root = screens.data->root;
  std::vector<xcb_void_cookie_t> cookies;
  for (std::uint16_t lockVariant : kLockVariants)
    cookies.push_back(xcb_grab_key_checked(connection, 1, root, mask | lockVariant, keycode,
                                           XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
  bool taken = false;
  for (const xcb_void_cookie_t& cookie : cookies) {
    if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
      taken = true;
      std::free(error);
    }
  }
  if (taken) {  // another client holds the combination: release what was got and give up
    for (std::uint16_t lockVariant : kLockVariants)
      xcb_ungrab_key(connection, keycode, root, mask | lockVariant);
    xcb_flush(connection);
    xcb_disconnect(connection);
    return false;
  }
  state = std::make_unique<State>();
  state->connection = connection;
  state->root = root;
  state->keycode = keycode;
  state->modifiers = mask;
  return true;
}

void GlobalHotKey::Unregister() {
  if (!state) return;
  for (std::uint16_t lockVariant : kLockVariants)
    xcb_ungrab_key(state->connection, state->keycode, state->root,
                   state->modifiers | lockVariant);
  xcb_flush(state->connection);
  xcb_disconnect(state->connection);
  state.reset();
}

bool GlobalHotKey::IsRegistered() const { return state != nullptr; }

int GlobalHotKey::EventHandle() const {
  return state ? xcb_get_file_descriptor(state->connection) : -1;
}

int GlobalHotKey::TakePresses() {
  if (!state) return 0;
  int presses = 0;
  while (xcb_generic_event_t* event = xcb_poll_for_event(state->connection)) {
    if ((event->response_type & 0x7f) == XCB_KEY_PRESS) {
      const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event);
      if (press->detail == state->keycode) ++presses;
    }
    std::free(event);
  }
  return presses;
}

}  // namespace platform
