// Composition of the translucent frame's surface (artwork, widgets, input shape) by artwork size.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

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

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
