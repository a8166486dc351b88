#include "app/QtSaveDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QString>
#include <QWidget>
#include <memory>

void AskQtSavePath(const platform::SaveDialogRequest& request, platform::SaveDialogAnswer answer) {
  const QFileInfo suggested(QString::fromUtf8(request.suggestedPath.c_str()));
  auto* dialog = new QFileDialog(static_cast<QWidget*>(request.owner),
                                 QString::fromUtf8(request.caption.c_str()), suggested.absolutePath());
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setWindowModality(Qt::ApplicationModal);
  dialog->selectFile(suggested.fileName());
  auto pending = std::make_shared<platform::SaveDialogAnswer>(std::move(answer));
  QObject::connect(dialog, &QDialog::finished, dialog, [dialog, pending](int result) {
    const QStringList chosen = dialog->selectedFiles();
    platform::SaveDialogAnswer done = std::exchange(*pending, nullptr);
    if (!done) return;
    done(result == QDialog::Accepted && !chosen.isEmpty() ? chosen.first().toStdString() : std::string());
  });
  // A dialog destroyed without finishing (its owner closed) still answers: nothing chosen.
  QObject::connect(dialog, &QObject::destroyed, [pending] {
    if (platform::SaveDialogAnswer done = std::exchange(*pending, nullptr)) done({});
  });
  dialog->open();
}
