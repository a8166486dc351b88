#include "app/QtSaveDialog.h"

#include <QFileDialog>
#include <QString>
#include <QWidget>

std::string AskQtSavePath(const platform::SaveDialogRequest& request) {
  const QString chosen = QFileDialog::getSaveFileName(static_cast<QWidget*>(request.owner),
                                                      QString::fromUtf8(request.caption.c_str()),
                                                      QString::fromUtf8(request.suggestedPath.c_str()));
  return chosen.toStdString();
}
