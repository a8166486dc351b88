// Composition of the translucent frame's surface (artwork, widgets, input shape) by artwork size.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QWidget>

#include "skin/StandardDialog.h"
#include "skin/TranslucentDialog.h"

namespace {

class BenchFrame : public CTranslucentDialog {
 public:
  explicit BenchFrame(QImage art) : CTranslucentDialog(1, std::move(art), nullptr) {}

 protected:
  CStandardDialog* MakeInnerDialog() override { return nullptr; }
  void CreateWidgets() override {}
};

// A launcher-like face: rounded opaque body, soft translucent rim, transparent corners.
QImage Artwork(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(120, 20, 30, 140));
  painter.setPen(Qt::NoPen);
  painter.drawRoundedRect(QRectF(0, 0, width, height), 24, 24);
  painter.setBrush(QColor(60, 10, 20, 255));
  painter.drawRoundedRect(QRectF(8, 8, width - 16, height - 16), 18, 18);
  return image;
}

void BM_RefreshLayer(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  BenchFrame frame(Artwork(width, height));
  for (auto _ : state) {
    frame.RefreshLayer();
    benchmark::DoNotOptimize(frame.GetSurface().constBits());
  }
  state.SetBytesProcessed(state.iterations() * int64_t{width} * height * 4);
}
BENCHMARK(BM_RefreshLayer)->Args({800, 500})->Args({1280, 800})->Unit(benchmark::kMillisecond);

// A login page as the inner dialog shows it: a dark page with black margins, a panel and fields.
class PageFace : public QWidget {
 public:
  explicit PageFace(QWidget* parent) : QWidget(parent) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.fillRect(rect().adjusted(40, 30, -40, -30), QColor(34, 11, 20));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(90, 24, 36));
    painter.drawRoundedRect(QRectF(width() / 4.0, height() / 5.0, width() / 2.0, height() / 2.0), 12, 12);
    painter.setPen(Qt::white);
    for (int line = 0; line < 8; ++line) painter.drawText(60, 60 + line * 18, QStringLiteral("服务器列表 Server list"));
  }
};

class BenchInner : public CStandardDialog {
 public:
  BenchInner() : CStandardDialog(102, qRgb(0, 0, 0), nullptr) {}
};

// The inner dialog's shape over a page of the given size: before the colour key the shape was
// the union of the controls' rectangles; with it, every control's face is grabbed and its black
// pixels are cut out (what each refresh of the shape costs).
void BM_InnerShapeRectangles(benchmark::State& state) {
  const QRect page(0, 0, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    QRegion shown;
    shown += page;
    benchmark::DoNotOptimize(shown.rectCount());
  }
}
BENCHMARK(BM_InnerShapeRectangles)->Args({800, 500})->Args({1280, 800})->Unit(benchmark::kMicrosecond);

void BM_InnerShapeColourKey(benchmark::State& state) {
  BenchInner inner;
  inner.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  auto* page = new PageFace(&inner);
  page->setGeometry(inner.rect());
  page->show();
  for (auto _ : state) {
    const QRegion shown = CStandardDialog::ShownRegion(page->grab().toImage(), qRgb(0, 0, 0), page->pos());
    benchmark::DoNotOptimize(shown.rectCount());
  }
}
BENCHMARK(BM_InnerShapeColourKey)->Args({800, 500})->Args({1280, 800})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
