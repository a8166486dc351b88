#include "web/WebProfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QWidget>

#include "platform/SaveDialog.h"
#include "web/EngineSwitches.h"

Q_LOGGING_CATEGORY(lcWeb, "launcher.web", QtWarningMsg)

namespace {

const char kSaveCaption[] = "保存文件";

// Asks where to save; the file is only written there, never opened or run.
void OnDownloadRequested(QWebEngineDownloadRequest* download) {
  QWidget* owner = nullptr;
  if (QWebEngineView* view = QWebEngineView::forPage(download->page())) owner = view->window();
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
  if (folder.isEmpty()) folder = QDir::homePath();
  platform::SaveDialogRequest request;
  request.caption = kSaveCaption;
  request.suggestedPath = QDir(folder).filePath(download->downloadFileName()).toStdString();
  request.owner = owner;
  const std::string chosen = platform::AskSavePath(request);
  if (chosen.empty()) {
    qCInfo(lcWeb) << "download cancelled:" << download->url();
    download->cancel();
    return;
  }
  const QFileInfo target(QString::fromStdString(chosen));
  download->setDownloadDirectory(target.absolutePath());
  download->setDownloadFileName(target.fileName());
  qCInfo(lcWeb) << "download of" << download->url() << "to" << target.absoluteFilePath();
  download->accept();
}

}  // namespace

QWebEngineProfile* LauncherProfile() {
  static QPointer<QWebEngineProfile> profile;
  if (profile.isNull()) {
    profile = new QWebEngineProfile(QStringLiteral("Launcher"), QCoreApplication::instance());
    const QString base =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/webengine");
    profile->setPersistentStoragePath(base);
    profile->setCachePath(base + QStringLiteral("/cache"));
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile, &OnDownloadRequested);
    qCInfo(lcWeb) << "browser profile at" << base;
  }
  return profile;
}

void ClearLauncherHttpCache() {
  qCInfo(lcWeb) << "clearing the HTTP cache";
  // Runs in the background; when it ends the engine restarts its network service, and a load
  // in flight at that moment does not complete.
  LauncherProfile()->clearHttpCache();
}

void ApplyEngineSwitches() {
  const QByteArray given = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
          QByteArray::fromStdString(engineswitches::WithHiddenPageTimers(given.toStdString())));
}
