// A pointer device for a headless wlroots compositor, driven by lines on standard input:
//   move X Y      the pointer to X, Y of the output layout
//   press | release | click    the left button
//   sync          answers "ok" once the compositor has taken everything sent before
// usage: wayland_pointer WIDTH HEIGHT   (the layout's size)
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "virtual-pointer-unstable-v1-client-protocol.h"

namespace {

zwlr_virtual_pointer_manager_v1* manager = nullptr;
wl_seat* seat = nullptr;

void OnGlobal(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
    manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  else if (std::strcmp(interface, wl_seat_interface.name) == 0 && seat == nullptr)
    seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}

void OnGlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s WIDTH HEIGHT\n", argv[0]);
    return 2;
  }
  const unsigned width = std::stoul(argv[1]);
  const unsigned height = std::stoul(argv[2]);
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "no Wayland display\n");
    return 1;
  }
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, nullptr);
  wl_display_roundtrip(display);
  if (manager == nullptr) {
    std::fprintf(stderr, "the compositor offers no virtual pointer\n");
    return 1;
  }
  zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
  wl_display_roundtrip(display);
  std::cout << "ready" << std::endl;

  unsigned time = 1;
  auto button = [&](bool down) {
    zwlr_virtual_pointer_v1_button(pointer, time++, BTN_LEFT,
                                   down ? WL_POINTER_BUTTON_STATE_PRESSED
                                        : WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(pointer);
  };
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "move") {
      unsigned x = 0, y = 0;
      words >> x >> y;
      zwlr_virtual_pointer_v1_motion_absolute(pointer, time++, x, y, width, height);
      zwlr_virtual_pointer_v1_frame(pointer);
    } else if (command == "press") {
      button(true);
    } else if (command == "release") {
      button(false);
    } else if (command == "click") {
      button(true);
      button(false);
    } else if (command == "sync") {
      wl_display_roundtrip(display);
      std::cout << "ok" << std::endl;
      continue;
    }
    wl_display_flush(display);
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
