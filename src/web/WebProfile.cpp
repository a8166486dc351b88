#include "web/WebProfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QWidget>
#include <deque>

#include "core/platform/SaveDialog.h"
#include "core/platform/TerminationSignal.h"
#include "core/web/CacheRules.h"
#include "core/web/EngineSwitches.h"

Q_LOGGING_CATEGORY(lcWeb, "launcher.web", QtWarningMsg)

namespace {

const char kSaveCaption[] = "保存文件";
// Downloads held at once, the one being asked about included; further ones are refused.
constexpr std::size_t kMaxHeldDownloads = 8;

// The folder the save dialog starts in: the user's downloads folder when it exists, else the home
// folder; never the working folder, which holds the package.
QString DownloadFolder() {
  const QString home = QDir::homePath();
  const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
  const QFileInfo info(downloads);
  if (downloads.isEmpty() || info.isRelative() || !info.isDir()) return home;
  if (QDir(downloads) == QDir::current()) return home;
  return info.absoluteFilePath();
}

// Asks where to save each download, one save dialog at a time, never inside the engine's signal.
// The engine drops a request not accepted within its signal, so each is accepted at once into a
// private folder and paused; the answer resumes it and moves the file to the chosen place, or
// cancels it. The file is only written there, never opened or run.
class DownloadQueue : public QObject {
 public:
  explicit DownloadQueue(QObject* parent) : QObject(parent) {}

  void Take(QWebEngineDownloadRequest* download) {
    if (platform::TerminationRequested() || !partial.isValid()) {
      download->cancel();
      return;
    }
    if (waiting.size() + (asking ? 1 : 0) >= kMaxHeldDownloads) {
      qCInfo(lcWeb) << "download refused, too many waiting:" << download->url();
      download->cancel();
      return;
    }
    // The page may be gone by the time the question is asked: its window is taken now.
    QWidget* owner = nullptr;
    if (QWebEngineView* view = QWebEngineView::forPage(download->page())) owner = view->window();
    const QString name = download->downloadFileName();
    download->setDownloadDirectory(partial.path());
    download->setDownloadFileName(QString::number(++serial));
    download->accept();
    download->pause();
    waiting.push_back({download, owner, name});
    AskNextLater();
  }

 private:
  struct Waiting {
    QPointer<QWebEngineDownloadRequest> download;
    QPointer<QWidget> owner;
    QString name;
  };

  static bool Held(const QWebEngineDownloadRequest* download) {
    return download != nullptr && (download->state() == QWebEngineDownloadRequest::DownloadInProgress ||
                                   download->state() == QWebEngineDownloadRequest::DownloadCompleted);
  }

  void AskNextLater() { QMetaObject::invokeMethod(this, [this] { AskNext(); }, Qt::QueuedConnection); }

  void AskNext() {
    while (!asking && !waiting.empty()) {
      Waiting next = waiting.front();
      waiting.pop_front();
      if (!Held(next.download)) continue;
      if (platform::TerminationRequested()) {
        Discard(next.download);
        continue;
      }
      platform::SaveDialogRequest request;
      request.caption = kSaveCaption;
      request.suggestedPath = QDir(DownloadFolder()).filePath(next.name).toStdString();
      request.owner = next.owner.data();
      asking = true;
      QPointer<QWebEngineDownloadRequest> download = next.download;
      QPointer<DownloadQueue> self(this);
      platform::AskSavePath(request, [self, download](const std::string& chosen) {
        if (self.isNull()) return;
        self->Answered(download, chosen);
      });
    }
  }

  void Answered(const QPointer<QWebEngineDownloadRequest>& download, const std::string& chosen) {
    asking = false;
    AskNextLater();
    if (!Held(download)) return;
    if (chosen.empty() || platform::TerminationRequested()) {
      qCInfo(lcWeb) << "download cancelled:" << download->url();
      Discard(download);
      return;
    }
    const QString target = QFileInfo(QString::fromStdString(chosen)).absoluteFilePath();
    qCInfo(lcWeb) << "download of" << download->url() << "to" << target;
    if (download->state() == QWebEngineDownloadRequest::DownloadCompleted) {
      Place(download, target);
      return;
    }
    QWebEngineDownloadRequest* item = download.data();
    connect(item, &QWebEngineDownloadRequest::isFinishedChanged, item, [item, target] {
      if (item->state() == QWebEngineDownloadRequest::DownloadCompleted) Place(item, target);
    });
    item->resume();
  }

  static QString PartialPath(const QWebEngineDownloadRequest* download) {
    return QDir(download->downloadDirectory()).filePath(download->downloadFileName());
  }

  static void Discard(QWebEngineDownloadRequest* download) {
    const QString path = PartialPath(download);
    download->cancel();
    QFile::remove(path);
  }

  // Moves a finished download from the private folder to where the user chose; the dialog has
  // already asked before replacing a file.
  static void Place(const QWebEngineDownloadRequest* download, const QString& target) {
    const QString path = PartialPath(download);
    QFile::remove(target);
    if (!QFile::rename(path, target)) {
      if (!QFile::copy(path, target)) qCWarning(lcWeb) << "download not saved to" << target;
      QFile::remove(path);
    }
  }

  QTemporaryDir partial;
  std::deque<Waiting> waiting;
  bool asking = false;
  int serial = 0;
};

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
    auto* downloads = new DownloadQueue(profile);
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, downloads, &DownloadQueue::Take);
    qCInfo(lcWeb) << "browser profile at" << base;
  }
  return profile;
}

void ClearLauncherHttpCache() {
  // The engine's own clearing restarts its network service when it ends, which drops the game
  // page's WebSockets and event streams. Instead the entry files are unlinked: an entry the engine
  // holds open keeps reading its file, and a later lookup of a missing file is a miss.
  const QString cache = LauncherProfile()->cachePath();
  QElapsedTimer timer;
  timer.start();
  int removed = 0;
  int failed = 0;
  QDirIterator files(cache, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString path = files.next();
    if (!cacherules::IsCacheEntryFile(files.fileName().toStdString())) continue;
    if (QFile::remove(path))
      ++removed;
    else
      ++failed;
  }
  qCInfo(lcWeb) << "cleared the HTTP cache at" << cache << ":" << removed << "entry files removed," << failed
                << "failed, in" << timer.elapsed() << "ms";
}

void ApplyEngineSwitches() {
  const QByteArray given = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
          QByteArray::fromStdString(engineswitches::WithHiddenPageTimers(given.toStdString())));
}
