#pragma once
// A window a page opened (window.open, target="_blank", a form posting to a new window): a plain
// window of the program on the shared profile, titled with its page's title, without
// window.external, closed by its page's window.close().
#include <QWidget>

class CWebUIController;
class QWebEngineView;

class CPopupWindow : public QWidget {
  Q_OBJECT
 public:
  CPopupWindow();
  ~CPopupWindow() override;
  CWebUIController* page() const { return controller; }
  QWebEngineView* view() const { return webView; }
  // Popup windows alive in the program.
  static int OpenCount();

 private:
  QWebEngineView* webView = nullptr;
  CWebUIController* controller = nullptr;
};
