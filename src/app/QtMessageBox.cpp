#include "app/QtMessageBox.h"

#include <QAbstractButton>
#include <QInputDialog>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QString>
#include <QWidget>
#include <cstdio>

// Message boxes shown; off by default.
Q_LOGGING_CATEGORY(lcMessages, "launcher.app", QtWarningMsg)

platform::MessageBoxResult ShowQtMessageBox(const platform::MessageBoxRequest& request) {
  qCDebug(lcMessages) << "message box:" << QString::fromUtf8(request.caption.c_str())
                      << QString::fromUtf8(request.text.c_str());
  auto* owner = static_cast<QWidget*>(request.owner);
  if (request.input != nullptr) {
    QInputDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8(request.caption.c_str()));
    dialog.setLabelText(QString::fromUtf8(request.text.c_str()));
    dialog.setTextValue(QString::fromUtf8(request.input->c_str()));
    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted) return platform::MessageBoxResult::Cancel;
    *request.input = dialog.textValue().toStdString();
    return platform::MessageBoxResult::Ok;
  }
  QMessageBox box(owner);
  box.setWindowTitle(QString::fromUtf8(request.caption.c_str()));
  box.setText(QString::fromUtf8(request.text.c_str()));
  box.setWindowModality(Qt::ApplicationModal);
  if (request.buttons == platform::MessageBoxButtons::OkCancel) {
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    if (!request.okText.empty())
      box.button(QMessageBox::Ok)->setText(QString::fromStdString(request.okText));
    if (!request.cancelText.empty())
      box.button(QMessageBox::Cancel)->setText(QString::fromStdString(request.cancelText));
  } else {
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
  }
  return box.exec() == QMessageBox::Ok ? platform::MessageBoxResult::Ok
                                       : platform::MessageBoxResult::Cancel;
}

platform::MessageBoxHandler MessageLogHandler(const std::string& path, bool okToQuestions) {
  return [path, okToQuestions](const platform::MessageBoxRequest& request) {
    if (std::FILE* log = std::fopen(path.c_str(), "a")) {
      std::fprintf(log, "%s\t%s\n", request.caption.c_str(), request.text.c_str());
      std::fclose(log);
    }
    return request.buttons == platform::MessageBoxButtons::OkCancel && !okToQuestions
               ? platform::MessageBoxResult::Cancel
               : platform::MessageBoxResult::Ok;
  };
}
