#pragma once
// The boss key: one system-wide key combination, from whatever the desktop offers: a key grab
// on an X11 display, the desktop portal's global shortcuts in a Wayland session.
#include <QObject>
#include <QString>

namespace platform {

class GlobalShortcut : public QObject {
  Q_OBJECT

 public:
  enum Modifier : unsigned { kAlt = 1u, kControl = 2u, kShift = 4u };
  // Session: the source this session's window system offers; the others force one.
  enum class Source { Session, X11, Portal };

  // Asks for `modifiers` + `key` ('A'-'Z' or '0'-'9') at once. A source that cannot have it
  // says so with Unavailable (the portal later, once it has answered); the first such refusal
  // of the process is written to the log.
  static GlobalShortcut* Create(unsigned modifiers, char key, QObject* parent,
                                Source source = Source::Session);

  // True while the combination is the program's.
  virtual bool IsRegistered() const = 0;
  // Gives the combination back (before a new copy of the program takes it).
  virtual void Unregister() = 0;

 signals:
  void Activated();
  void Unavailable(const QString& reason);

 protected:
  using QObject::QObject;
  virtual void Start(unsigned modifiers, char key) = 0;
};

// The two sources; Create picks one.
GlobalShortcut* CreateX11Shortcut(QObject* parent);
GlobalShortcut* CreatePortalShortcut(QObject* parent);

}  // namespace platform
