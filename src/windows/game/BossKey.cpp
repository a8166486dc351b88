#include "windows/game/BossKey.h"

#include "core/game/GameButtonRules.h"
#include "skin/desktop/GlobalShortcut.h"
#include "web/WebBrowser.h"

CBossKey::CBossKey(QObject* parent) : QObject(parent) {}

void CBossKey::Register() {
  if (hotKey != nullptr) return;
  hotKey = platform::GlobalShortcut::Create(platform::GlobalShortcut::kAlt,
                                            static_cast<char>(game::kHotKeyVirtualKey), this);
  connect(hotKey, &platform::GlobalShortcut::Activated, this, &CBossKey::Pressed);
}

bool CBossKey::IsRegistered() const { return hotKey != nullptr && hotKey->IsRegistered(); }

void CBossKey::Unregister() {
  if (hotKey != nullptr) hotKey->Unregister();
}

void CBossKey::HoldSound(const std::vector<CWebBrowser*>& pages) {
  if (!mutedPages.empty()) return;
  for (CWebBrowser* page : pages) {
    mutedPages.emplace_back(page, page->IsAudioMuted());
    page->SetAudioMuted(true);
  }
}

void CBossKey::RestoreSound() {
  for (auto& [page, wasMuted] : mutedPages)
    if (page) page->SetAudioMuted(wasMuted);
  mutedPages.clear();
}
