#include "windows/launcher/LauncherTranslucentDlg.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include "core/launcher/LauncherRules.h"
#include "skin/QtConvert.h"
#include "windows/launcher/LauncherStandardDlg.h"

CLauncherTranslucentDlg::CLauncherTranslucentDlg(QImage artwork, const std::string& parameter,
                                                 CLauncherConfig& launcherConfig, QWidget* parent)
    : CTranslucentDialog(kTemplateId, std::move(artwork), parent),
      startParameter(parameter),
      config(launcherConfig) {
  setObjectName(QStringLiteral("launcherFrame"));
  // Keys typed anywhere in the pair pass the frame's filter first, as before a dispatch.
  qApp->installEventFilter(this);
}

CLauncherTranslucentDlg::~CLauncherTranslucentDlg() { qApp->removeEventFilter(this); }

CStandardDialog* CLauncherTranslucentDlg::MakeInnerDialog() {
  standardDialog = new CLauncherStandardDlg(this, config);
  standardDialog->SetStartText(startParameter.str());
  standardDialog->SetFrame(this);
  standardDialog->SetPreview(preview);
  return standardDialog;
}

bool CLauncherTranslucentDlg::IsOurs(QObject* watched) const {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget) return false;
  QWidget* window = widget->window();
  return window == this || (standardDialog && window == standardDialog);
}

bool CLauncherTranslucentDlg::eventFilter(QObject* watched, QEvent* event) {
  // An input method shows its composition in the page with a preedit text and ends it with a
  // commit (an empty preedit); the keys in between are the input method's.
  if (event->type() == QEvent::InputMethod && IsOurs(watched))
    composing = !static_cast<QInputMethodEvent*>(event)->preeditString().isEmpty();
  if (event->type() == QEvent::FocusOut && IsOurs(watched)) composing = false;
  if (event->type() == QEvent::KeyPress && IsOurs(watched)) {
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers();
    const bool typesText = !key->text().isEmpty() && key->text().at(0).isPrint();
    const launcher::KeyDecision decision = launcher::FrameKeyFilter(
        skin::VirtualKeyFromQt(key->key()), mods.testFlag(Qt::ControlModifier),
        mods.testFlag(Qt::ShiftModifier), typesText, composing);
    if (decision == launcher::KeyDecision::Consumed) return true;
  }
  return CTranslucentDialog::eventFilter(watched, event);
}

void CLauncherTranslucentDlg::keyPressEvent(QKeyEvent* event) {
  // Return and Escape never end the launcher.
  if (launcher::FrameKeyFilter(skin::VirtualKeyFromQt(event->key()), false, false) ==
      launcher::KeyDecision::NotConsumed) {
    event->ignore();
    return;
  }
  CTranslucentDialog::keyPressEvent(event);
}
