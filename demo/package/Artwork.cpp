#include "Artwork.h"

#include <QBuffer>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

#include "Layout.h"

namespace demo {
namespace {

using layout::Glyph;

const QColor kGold(231, 186, 104);
const QColor kGoldLight(255, 226, 160);
const QColor kBand(82, 7, 11);  // the game window's title band fill

QRectF ToRect(const layout::Rect& r) { return QRectF(r.x, r.y, r.width, r.height); }

QImage Canvas(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

void Smooth(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
}

QFont Font(int pixelSize, bool bold, bool serif = false) {
  QFont font;
  font.setFamilies(serif ? QStringList{"Noto Serif CJK SC", "Noto Sans CJK SC", "DejaVu Serif"}
                         : QStringList{"Noto Sans CJK SC", "WenQuanYi Micro Hei", "DejaVu Sans"});
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

// The emblem: a crimson disc in a gold ring with a stylised flame-dragon mark.
void DrawEmblem(QPainter& p, const QRectF& box) {
  const QPointF c = box.center();
  const double r = box.width() / 2.0;
  QRadialGradient ring(c, r);
  ring.setColorAt(0.0, kGoldLight);
  ring.setColorAt(0.85, kGold);
  ring.setColorAt(1.0, QColor(150, 102, 40));
  p.setPen(Qt::NoPen);
  p.setBrush(ring);
  p.drawEllipse(c, r, r);
  QRadialGradient disc(c - QPointF(r * 0.25, r * 0.3), r * 0.9);
  disc.setColorAt(0.0, QColor(196, 44, 52));
  disc.setColorAt(1.0, QColor(92, 12, 24));
  p.setBrush(disc);
  p.drawEllipse(c, r * 0.8, r * 0.8);
  // Flame: two mirrored curves meeting at the top.
  QPainterPath flame;
  flame.moveTo(c + QPointF(0, -r * 0.62));
  flame.cubicTo(c + QPointF(r * 0.55, -r * 0.15), c + QPointF(r * 0.45, r * 0.45),
                c + QPointF(0, r * 0.6));
  flame.cubicTo(c + QPointF(-r * 0.45, r * 0.45), c + QPointF(-r * 0.55, -r * 0.15),
                c + QPointF(0, -r * 0.62));
  QLinearGradient fire(c + QPointF(0, -r * 0.6), c + QPointF(0, r * 0.6));
  fire.setColorAt(0.0, QColor(255, 244, 200));
  fire.setColorAt(0.6, QColor(255, 190, 80));
  fire.setColorAt(1.0, QColor(214, 110, 40));
  p.setBrush(fire);
  p.drawPath(flame);
  QPainterPath core;
  core.moveTo(c + QPointF(0, -r * 0.1));
  core.cubicTo(c + QPointF(r * 0.22, r * 0.1), c + QPointF(r * 0.18, r * 0.4), c + QPointF(0, r * 0.45));
  core.cubicTo(c + QPointF(-r * 0.18, r * 0.4), c + QPointF(-r * 0.22, r * 0.1), c + QPointF(0, -r * 0.1));
  p.setBrush(QColor(150, 24, 30));
  p.drawPath(core);
}

// Vertical colour of the title band at row y: a lit top, the flat band colour, a darker foot.
QColor BandColour(int y) {
  auto mix = [](QColor a, QColor b, double t) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                            a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
  };
  const QColor top(120, 26, 36), foot(56, 4, 8);
  if (y < 8) return mix(top, kBand, y / 8.0);
  if (y <= 36) return kBand;
  return mix(kBand, foot, std::min(1.0, (y - 36) / 5.0));
}

void FillBand(QPainter& p, const QRect& area, int bandTop) {
  for (int y = 0; y < area.height(); ++y) {
    p.fillRect(QRect(area.x(), area.y() + y, area.width(), 1), BandColour(bandTop + y));
  }
}

QPainterPath GlyphPath(Glyph glyph, const QRectF& box) {
  const QPointF c = box.center();
  const double s = 5.0;  // half size of the glyph
  QPainterPath path;
  switch (glyph) {
    case Glyph::Close:
      path.moveTo(c + QPointF(-s, -s)); path.lineTo(c + QPointF(s, s));
      path.moveTo(c + QPointF(s, -s)); path.lineTo(c + QPointF(-s, s));
      break;
    case Glyph::Minimise:
      path.moveTo(c + QPointF(-s, s - 1)); path.lineTo(c + QPointF(s, s - 1));
      break;
    case Glyph::Fill:
      path.addRect(QRectF(c - QPointF(s, s), c + QPointF(s, s)));
      path.moveTo(c + QPointF(-s, -s + 2)); path.lineTo(c + QPointF(s, -s + 2));
      break;
    case Glyph::Restore:
      path.addRect(QRectF(c + QPointF(-s, -s + 3), c + QPointF(s - 3, s)));
      path.moveTo(c + QPointF(-s + 3, -s + 3)); path.lineTo(c + QPointF(-s + 3, -s));
      path.lineTo(c + QPointF(s, -s)); path.lineTo(c + QPointF(s, s - 3)); path.lineTo(c + QPointF(s - 3, s - 3));
      break;
    case Glyph::FullScreen:
      for (int sx : {-1, 1}) {
        for (int sy : {-1, 1}) {
          path.moveTo(c + QPointF(sx * s, sy * (s - 4))); path.lineTo(c + QPointF(sx * s, sy * s));
          path.lineTo(c + QPointF(sx * (s - 4), sy * s));
        }
      }
      break;
    case Glyph::Tray:
      path.moveTo(c + QPointF(0, -s)); path.lineTo(c + QPointF(0, 2));
      path.moveTo(c + QPointF(-3, -1)); path.lineTo(c + QPointF(0, 2)); path.lineTo(c + QPointF(3, -1));
      path.moveTo(c + QPointF(-s, 1)); path.lineTo(c + QPointF(-s, s)); path.lineTo(c + QPointF(s, s));
      path.lineTo(c + QPointF(s, 1));
      break;
    case Glyph::Reload: {
      const QRectF arc(c - QPointF(s, s), c + QPointF(s, s));
      path.arcMoveTo(arc, 60);
      path.arcTo(arc, 60, 280);
      const QPointF tip = path.currentPosition();
      path.moveTo(tip + QPointF(-3.5, -1.5)); path.lineTo(tip); path.lineTo(tip + QPointF(0.5, -4));
      break;
    }
    case Glyph::ClearCache:
      path.moveTo(c + QPointF(-s, -s + 2)); path.lineTo(c + QPointF(s, -s + 2));
      path.moveTo(c + QPointF(-2, -s + 2)); path.lineTo(c + QPointF(-2, -s)); path.lineTo(c + QPointF(2, -s));
      path.lineTo(c + QPointF(2, -s + 2));
      path.moveTo(c + QPointF(-s + 1, -s + 4)); path.lineTo(c + QPointF(-s + 2, s)); path.lineTo(c + QPointF(s - 2, s));
      path.lineTo(c + QPointF(s - 1, -s + 4));
      path.moveTo(c + QPointF(-1.2, -1)); path.lineTo(c + QPointF(-1.2, s - 2));
      path.moveTo(c + QPointF(1.2, -1)); path.lineTo(c + QPointF(1.2, s - 2));
      break;
    case Glyph::None:
    case Glyph::Chat:
    case Glyph::Link:
      break;
  }
  return path;
}

// One state image of a game button: opaque, on the title band's colours.
// Caption buttons hang from the window's top edge (square top, rounded foot); the captioned
// pills sit in the middle of the band.
void DrawGameButton(QPainter& p, const QRect& cell, Glyph glyph, char state) {
  const bool pill = glyph == Glyph::Chat || glyph == Glyph::Link;
  FillBand(p, cell, pill ? layout::kPillTop : 0);
  p.save();
  p.setClipRect(cell);
  const QRectF face = pill ? QRectF(cell).adjusted(1.5, 1.5, -1.5, -1.5)
                           : QRectF(cell).adjusted(1.5, -6, -1.5, -1.5);
  const double radius = pill ? 11.0 : 5.0;
  QLinearGradient fill(face.topLeft(), face.bottomLeft());
  QColor border = kGold;
  QColor ink = kGoldLight;
  if (state == 'n') {
    fill.setColorAt(0, QColor(112, 28, 38));
    fill.setColorAt(1, QColor(76, 10, 18));
    border.setAlpha(150);
  } else if (state == 'o') {
    fill.setColorAt(0, QColor(196, 58, 62));
    fill.setColorAt(1, QColor(124, 22, 32));
    border = kGoldLight;
    ink = QColor(255, 250, 235);
  } else {
    fill.setColorAt(0, QColor(54, 6, 12));
    fill.setColorAt(1, QColor(92, 16, 24));
    ink = kGold;
  }
  if (glyph == Glyph::Close && state == 'o') {
    fill.setColorAt(0, QColor(226, 72, 56));
    fill.setColorAt(1, QColor(160, 30, 30));
  }
  p.setPen(QPen(border, 1.2));
  p.setBrush(fill);
  p.drawRoundedRect(face, radius, radius);
  // Glass highlight on the upper half.
  QLinearGradient gloss(face.topLeft(), face.center());
  gloss.setColorAt(0, QColor(255, 255, 255, state == 'd' ? 10 : 46));
  gloss.setColorAt(1, QColor(255, 255, 255, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(gloss);
  const QRectF upper = pill ? face.adjusted(1, 1, -1, -face.height() / 2)
                            : QRectF(face.left() + 1, cell.top(), face.width() - 2, cell.height() / 2.0);
  p.drawRoundedRect(upper, radius - 1, radius - 1);
  if (glyph == Glyph::Chat && state == 'o') {
    p.setBrush(QColor(255, 214, 90));
    p.drawEllipse(QPointF(face.right() - 7, face.top() + 6), 3, 3);
  }
  const QPointF shift = state == 'd' ? QPointF(1, 1) : QPointF(0, 0);
  p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(GlyphPath(glyph, QRectF(cell).translated(shift)));
  p.restore();
}

// A frame piece, drawn into its own rectangle of the style image.
void DrawFramePiece(QPainter& p, int number, const QRect& r) {
  const QColor edgeDark(58, 6, 12);
  switch (number) {
    case 1: case 2: case 3: {
      FillBand(p, r, 0);
      p.fillRect(QRect(r.x(), r.bottom() - 1, r.width(), 1), kGold);
      p.fillRect(QRect(r.x(), r.bottom(), r.width(), 1), QColor(120, 80, 30));
      p.fillRect(QRect(r.x(), r.y(), r.width(), 1), QColor(170, 90, 80));
      if (number == 1) p.fillRect(QRect(r.x(), r.y(), 2, r.height()), kGold);
      if (number == 3) p.fillRect(QRect(r.right() - 1, r.y(), 2, r.height()), kGold);
      break;
    }
    case 4: case 5: {
      QLinearGradient g(r.topLeft(), r.topRight());
      g.setColorAt(number == 4 ? 0 : 1, QColor(110, 24, 34));
      g.setColorAt(number == 4 ? 1 : 0, edgeDark);
      p.fillRect(r, g);
      p.fillRect(QRect(number == 4 ? r.x() : r.right() - 1, r.y(), 2, r.height()), kGold);
      break;
    }
    default: {  // 6, 7, 8: the bottom
      QLinearGradient g(r.topLeft(), r.bottomLeft());
      g.setColorAt(0, edgeDark);
      g.setColorAt(1, QColor(110, 24, 34));
      p.fillRect(r, g);
      p.fillRect(QRect(r.x(), r.bottom() - 1, r.width(), 2), kGold);
      if (number == 6) p.fillRect(QRect(r.x(), r.y(), 2, r.height()), kGold);
      if (number == 8) p.fillRect(QRect(r.right() - 1, r.y(), 2, r.height()), kGold);
    }
  }
}

QByteArray Png(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

}  // namespace

void AvoidKeyBlack(QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if (qAlpha(line[x]) == 255 && (line[x] & 0x00FFFFFFu) == 0) line[x] = qRgba(1, 1, 1, 255);
    }
  }
}

QImage DrawLauncherArtwork() {
  using namespace layout;
  QImage image = Canvas(kLauncherWidth, kLauncherHeight);
  QPainter p(&image);
  Smooth(p);
  const QRectF body(kShadow, kShadow, kLauncherWidth - 2 * kShadow, kLauncherHeight - 2 * kShadow);

  // Soft shadow: rings of growing size and falling opacity, a little lower than the body.
  p.setPen(Qt::NoPen);
  for (int i = kShadow; i >= 1; --i) {
    const double t = 1.0 - static_cast<double>(i) / (kShadow + 1);
    p.setBrush(QColor(20, 4, 8, static_cast<int>(18 * t * t) + 1));
    const QRectF ring = body.adjusted(-i, -i + 3, i, i + 3);
    p.drawRoundedRect(ring, kBodyRadius + i, kBodyRadius + i);
  }

  // Body: translucent rim, then the opaque panel inside it.
  QPainterPath outline;
  outline.addRoundedRect(body, kBodyRadius, kBodyRadius);
  p.setBrush(QColor(150, 104, 48, 170));
  p.drawPath(outline);
  QPainterPath panel;
  panel.addRoundedRect(body.adjusted(3, 3, -3, -3), kBodyRadius - 3, kBodyRadius - 3);
  QLinearGradient bg(body.topLeft(), body.bottomLeft());
  bg.setColorAt(0.0, QColor(104, 26, 40));
  bg.setColorAt(0.18, QColor(70, 14, 26));
  bg.setColorAt(1.0, QColor(30, 8, 14));
  p.setBrush(bg);
  p.drawPath(panel);

  // Header glow and faint rays behind the emblem.
  p.save();
  p.setClipPath(panel);
  QRadialGradient glow(QPointF(120, 40), 360);
  glow.setColorAt(0, QColor(255, 170, 90, 90));
  glow.setColorAt(1, QColor(255, 170, 90, 0));
  p.setBrush(glow);
  p.drawRect(body);
  p.setClipRect(QRectF(body.left(), body.top(), body.width(), 98 - body.top()), Qt::IntersectClip);
  p.setPen(QPen(QColor(255, 220, 160, 18), 14));
  for (int i = 0; i < 9; ++i) {
    const double a = -0.15 + i * 0.16;
    p.drawLine(QPointF(66, 60), QPointF(66 + std::cos(a) * 900, 60 + std::sin(a) * 900));
  }
  p.restore();

  DrawEmblem(p, QRectF(34, 26, 64, 64));
  QFont title = Font(34, true, true);
  title.setLetterSpacing(QFont::AbsoluteSpacing, 6);
  p.setFont(title);
  QLinearGradient gold(0, 30, 0, 76);
  gold.setColorAt(0, QColor(255, 240, 196));
  gold.setColorAt(1, QColor(214, 150, 60));
  QPainterPath titleText;
  titleText.addText(QPointF(112, 68), title, QString::fromUtf8("龙域传说"));
  p.setPen(QPen(QColor(70, 10, 18), 3));
  p.setBrush(Qt::NoBrush);
  p.drawPath(titleText);
  p.setPen(Qt::NoPen);
  p.setBrush(gold);
  p.drawPath(titleText);
  p.setFont(Font(12, false));
  p.setPen(QColor(214, 178, 120));
  p.drawText(QPointF(116, 88), QString::fromUtf8("DRAGON REALM  ·  演示客户端"));

  // Gold rule under the header with a diamond in its middle.
  QLinearGradient rule(QPointF(body.left(), 0), QPointF(body.right(), 0));
  rule.setColorAt(0, QColor(231, 186, 104, 0));
  rule.setColorAt(0.5, kGold);
  rule.setColorAt(1, QColor(231, 186, 104, 0));
  p.fillRect(QRectF(body.left() + 20, 97, body.width() - 40, 1.5), rule);
  QPolygonF diamond;
  diamond << QPointF(440, 92) << QPointF(446, 98) << QPointF(440, 104) << QPointF(434, 98);
  p.setBrush(kGoldLight);
  p.drawPolygon(diamond);

  // Where the login page sits: a recessed panel that reads as "connecting" until it loads.
  const QRectF page = ToRect(kBrowser);
  p.setPen(QPen(QColor(150, 104, 48), 1));
  p.setBrush(QColor(36, 10, 18));
  p.drawRoundedRect(page.adjusted(-3, -3, 3, 3), 6, 6);
  p.setFont(Font(14, false));
  p.setPen(QColor(200, 160, 110));
  p.drawText(page, Qt::AlignCenter, QString::fromUtf8("正在连接服务器…"));

  // Footer.
  p.setFont(Font(11, false));
  p.setPen(QColor(190, 150, 100));
  p.drawText(QRectF(300, 512, 544, 28), Qt::AlignRight | Qt::AlignVCenter,
             QString::fromUtf8("抵制不良游戏 拒绝盗版游戏 注意自我保护 谨防受骗上当 · v1.0.0"));
  p.end();
  return image;
}

QImage DrawLinkButton(const QImage& launcher, int linkNumber, char state) {
  const layout::LinkButton* button = nullptr;
  for (const layout::LinkButton& candidate : layout::kLinkButtons) {
    if (candidate.number == linkNumber) button = &candidate;
  }
  if (!button) return QImage();
  const QRect cell(button->rect.x, button->rect.y, button->rect.width, button->rect.height);
  QImage image = launcher.copy(cell).convertToFormat(QImage::Format_ARGB32_Premultiplied);
  QPainter p(&image);
  Smooth(p);
  const QRectF face = QRectF(0, 0, cell.width(), cell.height()).adjusted(1, 1, -1, -1);
  const bool glyph = button->type != 1;
  const double radius = glyph ? 5 : face.height() / 2;
  QLinearGradient fill(face.topLeft(), face.bottomLeft());
  QColor ink = glyph ? kGoldLight : QColor(60, 20, 8);
  if (glyph) {
    fill.setColorAt(0, state == 'o' ? QColor(196, 58, 62) : state == 'd' ? QColor(54, 6, 12) : QColor(112, 28, 38));
    fill.setColorAt(1, state == 'o' ? QColor(124, 22, 32) : state == 'd' ? QColor(92, 16, 24) : QColor(76, 10, 18));
    if (button->type == 3 && state == 'o') fill.setColorAt(0, QColor(226, 72, 56));
    if (state == 'o') ink = QColor(255, 250, 235);
  } else {
    fill.setColorAt(0, state == 'd' ? QColor(200, 140, 60) : state == 'o' ? QColor(255, 236, 180) : QColor(255, 224, 150));
    fill.setColorAt(0.55, state == 'o' ? QColor(240, 186, 90) : QColor(224, 166, 74));
    fill.setColorAt(1, state == 'd' ? QColor(236, 180, 90) : QColor(180, 116, 40));
  }
  p.setPen(QPen(state == 'o' ? kGoldLight : kGold, 1.2));
  p.setBrush(fill);
  p.drawRoundedRect(face, radius, radius);
  const QPointF shift = state == 'd' ? QPointF(1, 1) : QPointF(0, 0);
  if (glyph) {
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(GlyphPath(button->type == 3 ? Glyph::Close : Glyph::Minimise,
                         QRectF(face).translated(shift)));
  } else {
    p.setFont(Font(14, true));
    p.setPen(ink);
    p.drawText(face.translated(shift), Qt::AlignCenter, QString::fromUtf8(button->caption));
  }
  p.end();
  AvoidKeyBlack(image);
  return image;
}

QImage DrawStyleImage() {
  using namespace layout;
  QImage image = Canvas(kStyleWidth, kStyleHeight);
  QPainter p(&image);
  Smooth(p);
  for (int i = 0; i < kPictureCount; ++i) {
    const Picture& picture = kPictures[i];
    const QRect r(picture.rect.x, picture.rect.y, picture.rect.width, picture.rect.height);
    if (picture.glyph == Glyph::None) {
      p.setRenderHint(QPainter::Antialiasing, false);
      DrawFramePiece(p, i + 1, r);
      p.setRenderHint(QPainter::Antialiasing, true);
      continue;
    }
    const char states[] = {'n', 'd', 'o'};  // normal, pressed, hovered, top to bottom
    for (int k = 0; k < 3; ++k) {
      DrawGameButton(p, r.translated(0, k * (kButtonHeight + kButtonInterval)), picture.glyph,
                     states[k]);
    }
  }
  p.end();
  return image;
}

QImage DrawLogo() {
  const layout::Rect& r = layout::kLogo;
  QImage image = Canvas(r.width, r.height);
  QPainter p(&image);
  Smooth(p);
  // Opaque on the band it sits on, so it looks the same with or without alpha.
  FillBand(p, QRect(0, 0, r.width, r.height), r.y);
  DrawEmblem(p, QRectF(1, 1, r.width - 2, r.height - 2));
  p.end();
  return image;
}

std::vector<std::pair<std::string, QByteArray>> DrawAllArtwork() {
  std::vector<std::pair<std::string, QByteArray>> members;
  const QImage launcher = DrawLauncherArtwork();
  members.emplace_back("config/main1.png", Png(launcher));
  members.emplace_back("config/style.png", Png(DrawStyleImage()));
  members.emplace_back("config/logo.png", Png(DrawLogo()));
  for (const layout::LinkButton& button : layout::kLinkButtons) {
    for (char state : {'n', 'd', 'o'}) {
      members.emplace_back("config/" + std::to_string(button.number) + "_" + state + ".png",
                           Png(DrawLinkButton(launcher, button.number, state)));
    }
  }
  return members;
}

}  // namespace demo
