// The game window's title band: its fonts, colour and rectangle, the title text with the
// server's name or the completed page's server, and the player's name beside it.
#include <QApplication>
#include <QLoggingCategory>
#include <QPainter>

#include "config/LauncherConfig.h"
#include "game/GameDialog.h"
#include "game/GameDialogConvert.h"
#include "game/GameTitleRules.h"
#include "net/BackgroundWork.h"

Q_DECLARE_LOGGING_CATEGORY(lcGame)

using game::FromColourRef;
using game::ToQRect;
using game::ToQt;
using game::ToRect;

void CGameDialog::SetUpTitleFonts() {
  titleLogFont = QApplication::font();
  titleFont = titleLogFont;
  titleFont.setWeight(QFont::Bold);
}

void CGameDialog::SetUpTitleBand() {
  const LauncherSettings& settings = config->GetSettings();
  titleRect = ToQRect(game::TitleBandRect(settings));
  titleColor = FromColourRef(static_cast<unsigned>(settings.titleColor));
}

void CGameDialog::OnUserNameLookup(const LookupResult& result) {
  userLookup.reset();
  if (result.kind == LookupResult::Value) {
    userName = result.value;
    qCDebug(lcGame) << "player name" << ToQt(userName.view());
    update();
  }
  if (result.kind == LookupResult::Failed) userNameFailure = result.failureText;
  // Also without a failure of its own: a server name's failure may be waiting for this answer.
  ShowLookupFailures();
}

void CGameDialog::OnServerNameLookup(const LookupResult& result) {
  serverLookup.reset();
  if (result.kind == LookupResult::Value) {
    serverName = result.value;
    qCDebug(lcGame) << "server name" << ToQt(serverName.view()) << "title replaced" << titleReplaced;
    if (!titleReplaced) {
      SetTitleText(game::TitleWithServerName(titleText.view(), serverName.view()));
      DrawTitle();
    }
  }
  if (result.kind == LookupResult::Failed) {
    serverNameFailure = result.failureText;
    ShowLookupFailures();
  }
}

void CGameDialog::SetTitleText(const std::string& text) {
  titleText = game::TitleText(text);
  titleLength = static_cast<int>(titleText.size());
}

void CGameDialog::ComposeServerTitle(const std::string& address) {
  LauncherSettings& settings = config->GetSettings();
  const std::optional<std::string> title = game::ComposeServerTitle(address, settings.title.view());
  if (!title) return;
  // The stored setting keeps what fits; the title band gets the whole composed text.
  settings.title = game::StoredTitle(*title);
  SetTitleText(*title);
  titleReplaced = true;
}

void CGameDialog::DrawTitle(QPainter& painter) {
  if (fullScreen) return;
  painter.fillRect(titleRect, FromColourRef(game::kTitleBandColour));
  painter.save();
  painter.setPen(titleColor);
  painter.setFont(titleFont);
  painter.setClipRect(titleRect);
  painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignTop, ToQt(titleText.view()));
  painter.restore();
}

void CGameDialog::DrawTitle() {
  if (fullScreen || !isVisible()) return;
  repaint(titleRect);
}

void CGameDialog::DrawUserName(QPainter& painter) {
  painter.setPen(titleColor);
  painter.setFont(titleFont);
  // A long name is cut at its box and never runs over the title.
  const QRect nameBox = ToQRect(game::UserNameBox(userNameRight, ToRect(titleRect)));
  painter.save();
  painter.setClipRect(nameBox);
  painter.drawText(nameBox, Qt::AlignRight | Qt::AlignTop, ToQt(userName.view()));
  painter.restore();
}
