#pragma once
// The game window's boss key: Alt+D from the desktop's global shortcuts, and the silence it
// brings: the pages' sound is held while the window is hidden by it and given back after.
#include <QObject>
#include <QPointer>
#include <utility>
#include <vector>

class CWebBrowser;
namespace platform {
class GlobalShortcut;
}  // namespace platform

class CBossKey : public QObject {
  Q_OBJECT

 public:
  explicit CBossKey(QObject* parent);

  // Asks the desktop for Alt+D, once; taken by another program or no global keys on this
  // desktop, the window works without it. Pressed follows every press.
  void Register();
  // True while Alt+D is the program's.
  bool IsRegistered() const;
  // Gives Alt+D back (before a new copy of the program takes it).
  void Unregister();

  // Mutes `pages`, keeping what each had; nothing while the sound is held already.
  void HoldSound(const std::vector<CWebBrowser*>& pages);
  // Gives each page the sound it had, so a page muted before stays muted.
  void RestoreSound();
  bool IsSoundHeld() const { return !mutedPages.empty(); }

 signals:
  void Pressed();

 private:
  platform::GlobalShortcut* hotKey = nullptr;                        // child of this object
  std::vector<std::pair<QPointer<CWebBrowser>, bool>> mutedPages;  // page, muted before
};
