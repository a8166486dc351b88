// The image button: states, pressed caption shift, links, double clicks, disabled look.
#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>
#include <algorithm>
#include <array>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "skin/ImageCut.h"
#include "skin/SkinButton.h"
#include "skin/UrlOpener.h"

namespace {
const QColor kNormal(0, 160, 0);
const QColor kDown(160, 0, 0);
const QColor kOver(0, 0, 160);

QImage Solid(const QColor& colour, QSize size = QSize(80, 30)) {
  QImage image(size, QImage::Format_ARGB32);
  image.fill(colour);
  return image;
}

void Send(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
          Qt::MouseButtons buttons) {
  QMouseEvent event(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), button, buttons,
                    Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

// Bounding box of the pixels of one colour in a rendering of the widget.
QRect ColourBox(const QImage& image, const QColor& colour) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y).rgb() == colour.rgb()) box |= QRect(x, y, 1, 1);
  return box;
}
}  // namespace

class SkinButtonTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QWidget> host;
  CxSkinButton* button = nullptr;
  std::vector<std::string> opened;
  std::vector<std::string> sequence;
  skin::UrlOpener previousOpener;

  QColor CentreColour() {
    const QImage shot = button->grab().toImage();
    return shot.pixelColor(2, 2);
  }

 private slots:
  void initTestCase() {
    // Caption pixels in exactly their colour: no smoothing of the menu font the button uses.
    QFont font = QApplication::font("QMenu");
    font.setStyleStrategy(QFont::NoAntialias);
    font.setPixelSize(16);
    QApplication::setFont(font, "QMenu");
  }

  void init() {
    host = std::make_unique<QWidget>();
    host->resize(300, 200);
    button = new CxSkinButton();
    QVERIFY(button->Create("", 0x50000000u, QRect(20, 20, 80, 30), host.get(), 201));
    const QImage n = Solid(kNormal), d = Solid(kDown), o = Solid(kOver);
    button->SetImages(&n, &d, &o, nullptr, nullptr, nullptr, 0, 0, 0);
    opened.clear();
    sequence.clear();
    previousOpener = skin::SetUrlOpener([this](const std::string& address) {
      opened.push_back(address);
      sequence.push_back("open");
      return true;
    });
    connect(button, &QAbstractButton::clicked, this, [this] { sequence.push_back("owner"); });
    host->show();
    QVERIFY(QTest::qWaitForWindowExposed(host.get()));
  }
  void cleanup() {
    skin::SetUrlOpener(std::move(previousOpener));
    host.reset();
  }
  // A cut has the asked size wherever its area lies; what the image does not cover is
  // transparent. Only sizes that are not positive or past the image bounds give no picture.
  void cutsKeepTheirAskedSize_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("opaqueSource");
    QTest::addColumn<bool>("picture");
    QTest::newRow("inside") << 10 << 10 << 20 << 20 << false << true;
    QTest::newRow("whole image") << 0 << 0 << 100 << 50 << false << true;
    QTest::newRow("over the bottom-right corner") << 90 << 40 << 20 << 20 << false << true;
    QTest::newRow("over the top-left corner") << -5 << -5 << 10 << 10 << false << true;
    QTest::newRow("round the whole image") << -10 << -10 << 120 << 70 << false << true;
    QTest::newRow("opaque image, overhanging") << 95 << 45 << 12 << 12 << true << true;
    QTest::newRow("right of the image") << 100 << 0 << 5 << 5 << false << true;
    QTest::newRow("below the image") << 0 << 50 << 30 << 20 << false << true;
    QTest::newRow("far right") << 2147483600 << 0 << 30 << 20 << false << true;
    QTest::newRow("far up-left") << INT_MIN << INT_MIN << 10 << 10 << false << true;
    QTest::newRow("widest allowed") << 0 << 0 << 8192 << 1 << false << true;
    QTest::newRow("no width") << 0 << 0 << 0 << 10 << false << false;
    QTest::newRow("negative width") << 10 << 10 << -8000 << 10 << false << false;
    QTest::newRow("wider than an image may be") << 0 << 0 << 8193 << 1 << false << false;
    QTest::newRow("more pixels than an image may hold") << 0 << 0 << 4097 << 4097 << false << false;
    QTest::newRow("largest numbers") << INT_MIN << INT_MIN << INT_MAX << INT_MAX << false << false;
  }
  void cutsKeepTheirAskedSize() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, opaqueSource);
    QFETCH(bool, picture);
    QImage style(100, 50, opaqueSource ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    for (int sy = 0; sy < style.height(); ++sy)
      for (int sx = 0; sx < style.width(); ++sx)
        style.setPixel(sx, sy, qRgba(sx * 2, sy * 4, 100, 255));
    const QImage cut = skin::CutImage(style, x, y, width, height);
    if (!picture) {
      QVERIFY(cut.isNull());
      return;
    }
    QCOMPARE(cut.size(), QSize(width, height));
    int covered = 0;
    for (int cy = 0; cy < cut.height(); ++cy) {
      for (int cx = 0; cx < cut.width(); ++cx) {
        const long long sx = static_cast<long long>(x) + cx;
        const long long sy = static_cast<long long>(y) + cy;
        const QRgb pixel = cut.pixel(cx, cy);
        if (sx >= 0 && sy >= 0 && sx < style.width() && sy < style.height()) {
          ++covered;
          if (pixel != style.pixel(static_cast<int>(sx), static_cast<int>(sy)))
            QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is not the image's").arg(cx).arg(cy)));
        } else if (qAlpha(pixel) != 0) {
          QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is not transparent").arg(cx).arg(cy)));
        }
      }
    }
    // Every pixel the image covers was seen above.
    auto covering = [](long long from, long long size, long long extent) {
      return std::max(0LL, std::min(from + size, extent) - std::max(from, 0LL));
    };
    QCOMPARE(static_cast<long long>(covered), covering(x, width, 100) * covering(y, height, 50));
  }

  // A button picture hanging over the image's edge: each of its three images has the picture's
  // size, the one wholly below the image too.
  void buttonImagesKeepThePicturesSize() {
    const QImage style = Solid(kNormal, QSize(100, 50));
    GamePicItem picture;
    picture.x = 80;
    picture.y = 30;
    picture.width = 30;
    picture.height = 12;
    picture.interval = 2;
    picture.count = 3;
    const std::array<QImage, 3> images = CutButtonImages(style, picture);
    for (const QImage& image : images) QCOMPARE(image.size(), QSize(30, 12));
    QCOMPARE(images[0].pixelColor(0, 0).rgb(), kNormal.rgb());
    QCOMPARE(qAlpha(images[0].pixel(25, 0)), 0);
    QCOMPARE(images[1].pixelColor(19, 5).rgb(), kNormal.rgb());  // rows 44..55 of the image
    QCOMPARE(qAlpha(images[1].pixel(19, 6)), 0);
    QCOMPARE(qAlpha(images[2].pixel(0, 0)), 0);
  }

  void controlIdIsFindable() {
    QCOMPARE(host->findChild<CxSkinButton*>("control201"), button);
    QCOMPARE(button->property("controlId").toInt(), 201);
  }

  void pressDragOffAndBackReleaseOutsideGivesNoClick() {
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    const QPoint inside(10, 10), outside(150, 10);
    Send(button, QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(button->CurrentLook(), CxSkinButton::Look::Pressed);
    QCOMPARE(CentreColour(), kDown);
    Send(button, QEvent::MouseMove, outside, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(button->CurrentLook(), CxSkinButton::Look::Normal);
    QCOMPARE(CentreColour(), kNormal);
    Send(button, QEvent::MouseMove, inside, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(button->CurrentLook(), CxSkinButton::Look::Pressed);
    Send(button, QEvent::MouseMove, outside, Qt::NoButton, Qt::LeftButton);
    Send(button, QEvent::MouseButtonRelease, outside, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(clicks.count(), 0);
    // Press and release inside: one click.
    Send(button, QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
    Send(button, QEvent::MouseButtonRelease, inside, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(clicks.count(), 1);
  }

  void hoverReturnsOnlyAfterTheMouseMovesAgain() {
    const QPoint inside(10, 10);
    Send(button, QEvent::MouseMove, inside, Qt::NoButton, Qt::NoButton);
    QCOMPARE(button->CurrentLook(), CxSkinButton::Look::Over);
    QCOMPARE(CentreColour(), kOver);
    Send(button, QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
    Send(button, QEvent::MouseButtonRelease, inside, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(button->CurrentLook(), CxSkinButton::Look::Normal);
    QCOMPARE(CentreColour(), kNormal);
    Send(button, QEvent::MouseMove, QPoint(11, 10), Qt::NoButton, Qt::NoButton);
    QCOMPARE(button->CurrentLook(), CxSkinButton::Look::Over);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    QCOMPARE(button->CurrentLook(), CxSkinButton::Look::Normal);
  }

  void pressedCaptionMovesOnePixelDownRight() {
    button->setText("XX");
    button->SetCaptionColour(QColor(255, 255, 255));
    const QRect normalBox = ColourBox(button->grab().toImage(), Qt::white);
    QVERIFY(!normalBox.isEmpty());
    Send(button, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton, Qt::LeftButton);
    const QRect pressedBox = ColourBox(button->grab().toImage(), Qt::white);
    QCOMPARE(pressedBox, normalBox.translated(1, 1));
    Send(button, QEvent::MouseButtonRelease, QPoint(10, 10), Qt::LeftButton, Qt::NoButton);
  }

  void linkOpensWithAmpersandsBeforeTheOwnerHears() {
    button->SetLink("http://127.0.0.1/pay?a=1;b=2;c=3");
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(opened, (std::vector<std::string>{"http://127.0.0.1/pay?a=1&b=2&c=3"}));
    QCOMPARE(sequence, (std::vector<std::string>{"open", "owner"}));
  }

  void linkWithoutAddressOnlyNotifies() {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(opened.empty());
    QCOMPARE(sequence, (std::vector<std::string>{"owner"}));
  }

  void nonWebLinkIsRefusedButTheOwnerHears() {
    const std::vector<std::string> refused = {"file:///etc/passwd", "/usr/bin/xterm",
                                              "javascript:alert(1)", "calc.exe"};
    // The facade itself refuses them, whatever opener is installed.
    for (const std::string& address : refused) {
      button->SetLink(address);
      QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    }
    QVERIFY(opened.empty());
    QCOMPARE(sequence.size(), refused.size());
  }

  void operatorProgramSchemeOpensButNotAPagesLink() {
    button->SetLink("yychat://room/7;x=1");
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    button->SetLink("mailto:service@127.0.0.1");
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(opened, (std::vector<std::string>{"yychat://room/7&x=1", "mailto:service@127.0.0.1"}));
    // The same addresses set by a page at run time are refused; its web address opens.
    button->SetPageLink("yychat://room/7");
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    button->SetPageLink("mailto:service@127.0.0.1");
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    button->SetPageLink("http://127.0.0.1/pay;a=1");
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(opened.size(), std::size_t{3});
    QCOMPARE(opened.back(), std::string("http://127.0.0.1/pay&a=1"));
  }

  void packageWebAddressWithoutSchemeOpensAsHttp() {
    button->SetLink("www.example.com/pay?a=1;b=2");
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(opened, (std::vector<std::string>{"http://www.example.com/pay?a=1&b=2"}));
    // A page's link is taken only as a whole web address.
    button->SetPageLink("www.example.com/pay");
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(opened.size(), std::size_t{1});
  }

  void doubleClickIsTwoClicks() {
    button->SetLink("https://127.0.0.1/news");
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    const QPoint p(10, 10);
    Send(button, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    Send(button, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    Send(button, QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
    Send(button, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(clicks.count(), 2);
    QCOMPARE(opened.size(), std::size_t{2});
  }

  void disabledWithoutDisabledImageShowsNormalWithEmbossedCaption() {
    button->setText("XX");
    button->setEnabled(false);
    QCOMPARE(button->CurrentLook(), CxSkinButton::Look::Disabled);
    const QImage shot = button->grab().toImage();
    QCOMPARE(shot.pixelColor(2, 2), kNormal);
    const QColor light = button->palette().color(QPalette::Light);
    const QColor grey = button->palette().color(QPalette::Disabled, QPalette::WindowText);
    const QRect lightBox = ColourBox(shot, light);
    const QRect greyBox = ColourBox(shot, grey);
    QVERIFY(!lightBox.isEmpty());
    QVERIFY(!greyBox.isEmpty());
    // The highlight lies one pixel below and right of the grey text.
    QCOMPARE(lightBox.bottomRight(), greyBox.bottomRight() + QPoint(1, 1));
  }

  void setImagesClampsAndOwnerValues() {
    const QImage n = Solid(kNormal);
    button->SetImages(&n, nullptr, nullptr, nullptr, nullptr, nullptr, 5, 0, -3);
    QCOMPARE(button->GetDrawMode(), skin::DrawMode::Tiled);
    QCOMPARE(button->GetFocusMargin(), 0);
    button->SetImages(&n, nullptr, nullptr, nullptr, nullptr, nullptr, -1, 0, 2);
    QCOMPARE(button->GetDrawMode(), skin::DrawMode::Unscaled);
    QCOMPARE(button->GetFocusMargin(), 2);
    // No pressed image: the pressed state fills with the button face.
    Send(button, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(CentreColour(), button->palette().color(QPalette::Button));
    Send(button, QEvent::MouseButtonRelease, QPoint(10, 10), Qt::LeftButton, Qt::NoButton);

    const QColor previous = button->SetCaptionColour(QColor(1, 2, 3));
    QCOMPARE(button->SetCaptionColour(QColor(4, 5, 6)), QColor(1, 2, 3));
    QCOMPARE(previous, button->palette().color(QPalette::ButtonText));
    button->SetKind(3);
    button->SetIndex(-7);
    QCOMPARE(button->GetKind(), std::uint8_t{3});
    QCOMPARE(button->GetIndex(), -7);
    button->SetTipText("tip");
    QCOMPARE(button->toolTip(), QString("tip"));
  }

  void toggleAndRadioModes() {
    auto* toggle = new CxSkinButton();
    QVERIFY(toggle->Create("", 0x50000003u, QRect(120, 20, 40, 20), host.get(), 210));
    QCOMPARE(toggle->GetMode(), skin::ButtonMode::Toggle);
    QTest::mouseClick(toggle, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(toggle->GetCheck());
    QTest::mouseClick(toggle, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!toggle->GetCheck());

    auto* radioA = new CxSkinButton();
    auto* radioB = new CxSkinButton();
    QVERIFY(radioA->Create("", 0x50000009u, QRect(120, 60, 40, 20), host.get(), 211));
    QVERIFY(radioB->Create("", 0x50000009u, QRect(120, 90, 40, 20), host.get(), 212));
    QTest::mouseClick(radioA, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(radioA->GetCheck());
    QTest::mouseClick(radioB, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(radioB->GetCheck());
    QVERIFY(!radioA->GetCheck());
    // A push button never stays checked.
    button->SetCheck(true);
    QVERIFY(!button->GetCheck());
  }
};

QTEST_MAIN(SkinButtonTest)
#include "SkinButtonTest.moc"
