#include "web/WebProfile.h"

#include <QCoreApplication>
#include <QPointer>
#include <QStandardPaths>
#include <QWebEngineProfile>

Q_LOGGING_CATEGORY(lcWeb, "launcher.web", QtWarningMsg)

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
