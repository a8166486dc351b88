#pragma once
// The demo package's artwork, drawn deterministically with QPainter.
#include <QByteArray>
#include <QImage>

#include <string>
#include <utility>
#include <vector>

namespace demo {

QImage DrawLauncherArtwork();  // config/main1.png
QImage DrawStyleImage();       // config/style.png
QImage DrawLogo();             // config/logo.png
// One launcher link button in state 'n' (normal), 'd' (pressed) or 'o' (hovered), drawn over
// the part of the launcher artwork it covers.
QImage DrawLinkButton(const QImage& launcher, int linkNumber, char state);

// Every image member with its PNG bytes, in package order.
std::vector<std::pair<std::string, QByteArray>> DrawAllArtwork();

// Pure black is the launcher inner window's transparent key: opaque pixels of exactly (0,0,0)
// become (1,1,1).
void AvoidKeyBlack(QImage& image);

}  // namespace demo
