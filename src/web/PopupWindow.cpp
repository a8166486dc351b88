#include "web/PopupWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <QWebEngineView>

#include "web/WebProfile.h"
#include "web/WebUIController.h"

namespace {
int openCount = 0;
}  // namespace

CPopupWindow::CPopupWindow() {
  ++openCount;
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(QStringLiteral("popupWindow"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  webView = new QWebEngineView(this);
  controller = new CWebUIController(webView);
  controller->SetExternal(nullptr);
  controller->Connect();
  webView->setPage(controller);
  layout->addWidget(webView);

  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect work = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  resize(qMin(1024, work.width()), qMin(768, work.height()));
  move(work.center() - rect().center());

  connect(controller, &QWebEnginePage::titleChanged, this, &QWidget::setWindowTitle);
  connect(controller, &QWebEnginePage::windowCloseRequested, this, &QWidget::close);
  // window.open's size and place, kept on the screen.
  connect(controller, &QWebEnginePage::geometryChangeRequested, this, [this, work](const QRect& wanted) {
    QRect area = wanted;
    area.setWidth(qBound(200, area.width(), work.width()));
    area.setHeight(qBound(150, area.height(), work.height()));
    if (!work.contains(area)) area.moveCenter(work.center());
    setGeometry(area);
  });
  show();
}

CPopupWindow::~CPopupWindow() {
  --openCount;
  qCDebug(lcWeb) << "popup window closed," << openCount << "left";
}

int CPopupWindow::OpenCount() { return openCount; }
