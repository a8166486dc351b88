#include "windows/game/TitleBand.h"

#include <QApplication>
#include <QPainter>

#include "core/config/LauncherConfig.h"
#include "core/game/GameTitleRules.h"
#include "skin/QtConvert.h"

using skin::FromColourRef;
using skin::ToQRect;
using skin::ToQt;
using skin::ToRect;

void CTitleBand::SetUpFonts() {
  titleLogFont = QApplication::font();
  titleFont = titleLogFont;
  titleFont.setWeight(QFont::Bold);
}

void CTitleBand::SetUpBand(const LauncherSettings& settings) {
  titleRect = ToQRect(game::TitleBandRect(settings));
  titleColor = FromColourRef(static_cast<unsigned>(settings.titleColor));
}

void CTitleBand::SetTitleText(const std::string& text) {
  titleText = game::TitleText(text);
  titleLength = static_cast<int>(titleText.size());
}

void CTitleBand::Paint(QPainter& painter) const {
  painter.save();
  painter.fillRect(titleRect, FromColourRef(game::kTitleBandColour));
  painter.setPen(titleColor);
  painter.setFont(titleFont);
  painter.setClipRect(titleRect);
  painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignTop, ToQt(titleText.view()));
  // A long name is cut at its box and never runs over the title.
  const QRect nameBox = ToQRect(game::UserNameBox(userNameRight, ToRect(titleRect)));
  painter.setClipRect(nameBox);
  painter.drawText(nameBox, Qt::AlignRight | Qt::AlignTop, ToQt(userName.view()));
  painter.restore();
}
