// Scales the program's icon into the sizes of the hicolor icon theme:
//   iconsizes SOURCE.png OUTDIR NAME SIZE...  ->  OUTDIR/<SIZE>x<SIZE>/apps/NAME.png
#include <QDir>
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s SOURCE.png OUTDIR NAME SIZE...\n", argv[0]);
    return 2;
  }
  const QImage source(QString::fromLocal8Bit(argv[1]));
  if (source.isNull()) {
    std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
    return 1;
  }
  const QString outDir = QString::fromLocal8Bit(argv[2]);
  const QString name = QString::fromLocal8Bit(argv[3]);
  for (int i = 4; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size < 1 || size > 1024) {
      std::fprintf(stderr, "%s: bad size %s\n", argv[0], argv[i]);
      return 2;
    }
    const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
    QDir().mkpath(dir);
    const QImage scaled = source.convertToFormat(QImage::Format_ARGB32)
                              .scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (!scaled.save(dir + QLatin1Char('/') + name + QStringLiteral(".png"), "PNG")) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(dir));
      return 1;
    }
  }
  return 0;
}
