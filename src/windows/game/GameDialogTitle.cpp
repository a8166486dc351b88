// What the game window's title band shows: the server's name or the completed page's server in the
// title, and the player's name beside it (the band itself is CTitleBand).
#include <QLoggingCategory>

#include "core/config/LauncherConfig.h"
#include "core/game/GameTitleRules.h"
#include "core/net/BackgroundWork.h"
#include "skin/QtConvert.h"
#include "windows/game/GameDialog.h"

Q_DECLARE_LOGGING_CATEGORY(lcGame)

using skin::ToQt;

void CGameDialog::OnUserNameLookup(const LookupResult& result) {
  userLookup.reset();
  if (result.kind == LookupResult::Value) {
    titleBand.SetUserName(result.value);
    qCDebug(lcGame) << "player name" << ToQt(result.value);
    update();
  }
  if (result.kind == LookupResult::Failed) userNameFailure = result.failureText;
  // Also without a failure of its own: a server name's failure may be waiting for this answer.
  ShowLookupFailures();
}

void CGameDialog::OnServerNameLookup(const LookupResult& result) {
  serverLookup.reset();
  if (result.kind == LookupResult::Value) {
    titleBand.SetServerName(result.value);
    qCDebug(lcGame) << "server name" << ToQt(result.value) << "title replaced" << titleReplaced;
    if (!titleReplaced) {
      titleBand.SetTitleText(game::TitleWithServerName(titleBand.GetTitleText().view(),
                                                       titleBand.GetServerName().view()));
      DrawTitle();
    }
  }
  if (result.kind == LookupResult::Failed) {
    serverNameFailure = result.failureText;
    ShowLookupFailures();
  }
}

void CGameDialog::ComposeServerTitle(const std::string& address) {
  LauncherSettings& settings = config->GetSettings();
  const std::optional<std::string> title = game::ComposeServerTitle(address, settings.title.view());
  if (!title) return;
  // The stored setting keeps what fits; the title band gets the whole composed text.
  settings.title = game::StoredTitle(*title);
  titleBand.SetTitleText(*title);
  titleReplaced = true;
}

void CGameDialog::DrawTitle() {
  if (fullScreen || !isVisible()) return;
  repaint(titleBand.GetRect());
}
