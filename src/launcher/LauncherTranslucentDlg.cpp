#include "launcher/LauncherTranslucentDlg.h"

#include <QApplication>
#include <QKeyEvent>

#include "launcher/LauncherRules.h"
#include "launcher/LauncherStandardDlg.h"

int VirtualKeyFromQt(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return launcher::kKeyReturn;
    case Qt::Key_Escape:
      return launcher::kKeyEscape;
    default:
      break;
  }
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return launcher::kKeyF1 + (qtKey - Qt::Key_F1);
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return '0' + (qtKey - Qt::Key_0);
  return 0xFF;  // any other key: none of the keys the rules single out
}

CLauncherTranslucentDlg::CLauncherTranslucentDlg(QImage artwork, const std::string& parameter,
                                                 QWidget* parent)
    : CTranslucentDialog(kTemplateId, std::move(artwork), parent), startParameter(parameter) {
  setObjectName(QStringLiteral("launcherFrame"));
  // Keys typed anywhere in the pair pass the frame's filter first, as before a dispatch.
  qApp->installEventFilter(this);
}

CLauncherTranslucentDlg::~CLauncherTranslucentDlg() { qApp->removeEventFilter(this); }

CStandardDialog* CLauncherTranslucentDlg::MakeInnerDialog() {
  standardDialog = new CLauncherStandardDlg(this);
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
  if (event->type() == QEvent::KeyPress && IsOurs(watched)) {
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers();
    const bool typesText = !key->text().isEmpty() && key->text().at(0).isPrint();
    const launcher::KeyDecision decision = launcher::FrameKeyFilter(
        VirtualKeyFromQt(key->key()), mods.testFlag(Qt::ControlModifier),
        mods.testFlag(Qt::ShiftModifier), typesText);
    if (decision == launcher::KeyDecision::Consumed) return true;
  }
  return CTranslucentDialog::eventFilter(watched, event);
}

void CLauncherTranslucentDlg::keyPressEvent(QKeyEvent* event) {
  // Return and Escape never end the launcher.
  if (launcher::FrameKeyFilter(VirtualKeyFromQt(event->key()), false, false) ==
      launcher::KeyDecision::NotConsumed) {
    event->ignore();
    return;
  }
  CTranslucentDialog::keyPressEvent(event);
}
