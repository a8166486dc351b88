#pragma once
// A system-wide key combination (the boss key). Where the desktop offers no global keys (no X
// display, a Wayland session) or another program holds the combination, it stays unregistered.
#include <memory>

namespace platform {

class GlobalHotKey {
 public:
  enum Modifier : unsigned { kAlt = 1u, kControl = 2u, kShift = 4u };

  GlobalHotKey();
  ~GlobalHotKey();  // releases the combination
  GlobalHotKey(const GlobalHotKey&) = delete;
  GlobalHotKey& operator=(const GlobalHotKey&) = delete;

  // Takes `modifiers` + `key` ('A'-'Z' or '0'-'9'); false when unavailable or taken.
  bool Register(unsigned modifiers, char key);
  void Unregister();
  bool IsRegistered() const;
  // A descriptor that turns readable when presses may be waiting; -1 when unregistered.
  int EventHandle() const;
  // Reads what has arrived: the number of presses of the combination since the last call.
  int TakePresses();

 private:
  struct State;
  std::unique_ptr<State> state;
};

}  // namespace platform
