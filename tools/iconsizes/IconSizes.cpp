// Draws the program's icon at each size of the hicolor icon theme, from its shapes rather than by
// scaling a bitmap, so every size is sharp:
//   iconsizes OUTDIR NAME SIZE...  ->  OUTDIR/<SIZE>x<SIZE>/apps/NAME.png
// The shapes: a deep red disc with a gold rim and a gold "play" triangle; below 32 px the rim
// goes, so the triangle stays readable.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

QImage DrawIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  // Whole pixels at small sizes keep the edges crisp.
  const qreal margin = size < 32 ? std::round(s / 16.0) : s / 16.0;
  const QRectF disc(margin, margin, s - 2 * margin, s - 2 * margin);
  const QPointF centre = disc.center();

  QRadialGradient fill(centre - QPointF(s * 0.12, s * 0.15), s * 0.6);
  fill.setColorAt(0.0, QColor(0xC8, 0x28, 0x28));
  fill.setColorAt(1.0, QColor(0x6E, 0x0C, 0x10));
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawEllipse(disc);

  const QColor gold(0xF2, 0xC1, 0x3D);
  if (size >= 32) {
    const qreal rim = s / 24.0;
    p.setPen(QPen(gold, rim));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(disc.adjusted(rim * 1.5, rim * 1.5, -rim * 1.5, -rim * 1.5));
  }

  // The triangle's centroid sits on the disc's centre.
  const qreal r = disc.width() * (size >= 32 ? 0.26 : 0.30);
  QPainterPath play;
  play.moveTo(centre + QPointF(r, 0));
  play.lineTo(centre + QPointF(-r / 2, r * 0.866));
  play.lineTo(centre + QPointF(-r / 2, -r * 0.866));
  play.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(gold);
  p.drawPath(play);
  p.end();
  return image.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s OUTDIR NAME SIZE...\n", argv[0]);
    return 2;
  }
  const QString outDir = QString::fromLocal8Bit(argv[1]);
  const QString name = QString::fromLocal8Bit(argv[2]);
  for (int i = 3; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size < 16 || size > 1024) {
      std::fprintf(stderr, "%s: bad size %s\n", argv[0], argv[i]);
      return 2;
    }
    const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
    QDir().mkpath(dir);
    if (!DrawIcon(size).save(dir + QLatin1Char('/') + name + QStringLiteral(".png"), "PNG")) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(dir));
      return 1;
    }
  }
  return 0;
}
