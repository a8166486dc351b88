#include <QSocketNotifier>
#include <memory>

#include "core/platform/HotKey.h"
#include "skin/desktop/GlobalShortcut.h"

namespace platform {

namespace {

// A key grab on the X display, read through the grab's own connection.
class X11Shortcut : public GlobalShortcut {
 public:
  using GlobalShortcut::GlobalShortcut;

  bool IsRegistered() const override { return hotKey.IsRegistered(); }

  void Unregister() override {
    // The notifier goes first, before its descriptor is closed.
    delete notifier;
    notifier = nullptr;
    hotKey.Unregister();
  }

 protected:
  void Start(unsigned modifiers, char key) override {
    unsigned mask = 0;
    if (modifiers & kAlt) mask |= GlobalHotKey::kAlt;
    if (modifiers & kControl) mask |= GlobalHotKey::kControl;
    if (modifiers & kShift) mask |= GlobalHotKey::kShift;
    if (!hotKey.Register(mask, key) || hotKey.EventHandle() < 0) {
      hotKey.Unregister();
      emit Unavailable(QStringLiteral("no X11 display, or another program holds the key"));
      return;
    }
    notifier = new QSocketNotifier(hotKey.EventHandle(), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
      for (int presses = hotKey.TakePresses(); presses > 0; --presses) emit Activated();
    });
  }

 private:
  GlobalHotKey hotKey;
  QSocketNotifier* notifier = nullptr;
};

}  // namespace

GlobalShortcut* CreateX11Shortcut(QObject* parent) { return new X11Shortcut(parent); }

}  // namespace platform
