// Start-up in-process: configuration failures and their messages, the launcher/game-window
// decision, the start parameter, the hand-over and the program's message box.
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <functional>
#include <memory>

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "LauncherTestSupport.h"
#include "WebTestSupport.h"
#include "app/LauncherApp.h"
#include "app/QtMessageBox.h"
#include "core/net/BackgroundWork.h"
#include "core/net/HttpClient.h"
#include "core/platform/Adapters.h"
#include "windows/launcher/LauncherStandardDlg.h"
#include "windows/launcher/LauncherTranslucentDlg.h"

namespace {
std::string Settings(const std::string& extra, int linkCount = 1) {
  std::string text = "[global]\ngameheader=/game/enter\nlinkCount=" + std::to_string(linkCount) +
                     "\n" + extra;
  for (int i = 1; i <= linkCount; ++i) text += "[link" + std::to_string(i) + "]\ntype=5\n";
  return text;
}

FixturePackage Complete(const std::string& extra = "") {
  FixturePackage package;
  package.Settings(Settings(extra)).Image("config/main1.png", BandedArtwork());
  return package;
}

// Calls `act` with the launcher once it shows, from inside its modal run.
class WhenLauncherShows {
 public:
  explicit WhenLauncherShows(std::function<void(CLauncherTranslucentDlg&)> act) {
    QObject::connect(&timer, &QTimer::timeout, [this, act = std::move(act)] {
      CLauncherTranslucentDlg* frame = theApp.GetLauncherDialog();
      if (!frame || !frame->isVisible()) return;
      timer.stop();
      shown = true;
      act(*frame);
    });
    timer.start(10);
  }
  bool shown = false;

 private:
  QTimer timer;
};
// A counting address that takes connections and never answers them.
class SilentAddress {
 public:
  SilentAddress() {
    listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener, 16) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      return;
    fcntl(listener, F_SETFL, O_NONBLOCK);
    port = ntohs(address.sin_port);
  }
  ~SilentAddress() {
    for (const int fd : accepted) close(fd);
    close(listener);
  }
  // Connections made so far (kept open, never answered).
  int Connections() {
    for (int fd; (fd = accept(listener, nullptr, nullptr)) >= 0;) accepted.push_back(fd);
    return static_cast<int>(accepted.size());
  }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port) + path;
  }
  int port = 0;

 private:
  int listener = -1;
  std::vector<int> accepted;
};
}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> folder;
  std::unique_ptr<WorkingDirectory> inFolder;
  std::unique_ptr<MessageRecorder> messages;
  std::vector<std::string> gameAddresses;

  bool Run(const QStringList& arguments = {}) {
    std::vector<QByteArray> bytes{QByteArray("Launcher")};
    for (const QString& a : arguments) bytes.push_back(a.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& b : bytes) argv.push_back(b.data());
    argv.push_back(nullptr);
    return theApp.InitInstance(static_cast<int>(bytes.size()), argv.data());
  }

  void WritePackage(const std::string& bytes) {
    QVERIFY(ZipWriter::WriteFile((folder->path() + "/config.zip").toStdString(), bytes));
  }

 private slots:
  void init() {
    folder = std::make_unique<QTemporaryDir>();
    inFolder = std::make_unique<WorkingDirectory>(folder->path());
    messages = std::make_unique<MessageRecorder>();
    theApp.Reset();
    gameAddresses.clear();
    theApp.SetGameWindowRunner([this](const std::string& address) { gameAddresses.push_back(address); });
  }
  void cleanup() {
    theApp.ExitInstance();
    theApp.SetGameWindowRunner(nullptr);
    theApp.Reset();
    messages.reset();
    inFolder.reset();
    folder.reset();
  }

  void configurationFailures_data() {
    QTest::addColumn<QByteArray>("package");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::newRow("0-byte package") << QByteArray() << "启动失败" << "没有附加配置文件,请打包配置文件";
    QTest::newRow("damaged package") << QByteArray("PK\x03\x04 not really a zip archive at all")
                                     << "启动失败" << "OpenZip失败";
    QTest::newRow("no settings file")
        << QByteArray::fromStdString(FixturePackage().NoSettings().Image("config/main1.png", BandedArtwork()).Bytes())
        << "启动失败" << "读取ini文件失败";
    QTest::newRow("no launcher artwork")
        << QByteArray::fromStdString(FixturePackage().Settings(Settings("")).Bytes()) << "启动失败！"
        << "读取图片失败";
    // Present but not an image: reported like a missing one, never a silent end.
    QTest::newRow("undecodable launcher artwork")
        << QByteArray::fromStdString(FixturePackage()
                                         .Settings(Settings(""))
                                         .Member("config/main1.png", "\x89PNG\r\n\x1a\n damaged")
                                         .Bytes())
        << "启动失败！" << "读取图片失败";
  }
  void configurationFailures() {
    QFETCH(QByteArray, package);
    QFETCH(QString, caption);
    QFETCH(QString, text);
    WritePackage(package.toStdString());
    QVERIFY(!Run());
    QCOMPARE(messages->seen.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(messages->seen[0].caption), caption);
    QCOMPARE(QString::fromStdString(messages->seen[0].text), text);
    QVERIFY(!theApp.GetLauncherDialog());
    QVERIFY(gameAddresses.empty());
    QCOMPARE(theApp.ExitInstance(), 0);
  }

  void silentEnds() {
    // No package at all.
    QVERIFY(!Run());
    QVERIFY(messages->seen.empty());
    // No links.
    FixturePackage noLinks;
    noLinks.Settings("[global]\nlinkCount=0\n").Image("config/main1.png", BandedArtwork());
    QVERIFY(noLinks.WriteTo(folder->path()));
    theApp.Reset();
    QVERIFY(!Run());
    QVERIFY(messages->seen.empty());
    QVERIFY(!theApp.GetLauncherDialog());
    QVERIFY(gameAddresses.empty());
  }

  void firstUrlOfThreeCharactersSkipsTheLauncher() {
    QVERIFY(Complete("firstUrl=abc\n").WriteTo(folder->path()));
    WhenLauncherShows closer([](CLauncherTranslucentDlg& frame) { frame.close(); });
    QVERIFY(!Run());
    QVERIFY(!closer.shown);
    QCOMPARE(gameAddresses, (std::vector<std::string>{"abc"}));
  }

  void firstUrlOfTwoCharactersShowsTheLauncher() {
    QVERIFY(Complete("firstUrl=ab\n").WriteTo(folder->path()));
    WhenLauncherShows closer([](CLauncherTranslucentDlg& frame) {
      frame.GetStandardDialog()->OnCancel();
    });
    QVERIFY(!Run());
    QVERIFY(closer.shown);
    // Closed without a chosen server: no game window, and the launcher is gone.
    QVERIFY(gameAddresses.empty());
    QVERIFY(!theApp.GetLauncherDialog());
    QCOMPARE(theApp.ExitInstance(), 0);
  }

  void startParameter_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << QStringList{} << "";
    QTest::newRow("one") << QStringList{"http://127.0.0.1:1/login"} << "http://127.0.0.1:1/login";
    QTest::newRow("several, first taken")
        << QStringList{"http://127.0.0.1:1/a", "http://127.0.0.1:1/b", "c"} << "http://127.0.0.1:1/a";
  }
  void startParameter() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    QVERIFY(Complete().WriteTo(folder->path()));
    std::string seenByInner = "unset";
    WhenLauncherShows closer([&](CLauncherTranslucentDlg& frame) {
      seenByInner = frame.GetStandardDialog()->GetStartText();
      frame.GetStandardDialog()->OnCancel();
    });
    QVERIFY(!Run(arguments));
    QVERIFY(closer.shown);
    QCOMPARE(QString::fromStdString(theApp.GetStartParameter()), expected);
    QCOMPARE(QString::fromStdString(seenByInner), expected);
  }

  void chosenAddressGoesToTheGameWindowAfterTheLauncherIsGone() {
    QVERIFY(Complete().WriteTo(folder->path()));
    bool cancelled = false;
    bool launcherAliveAtHandOver = true;
    theApp.SetGameWindowRunner([&](const std::string& address) {
      launcherAliveAtHandOver = theApp.GetLauncherDialog() != nullptr;
      gameAddresses.push_back(address);
    });
    WhenLauncherShows chooser([&](CLauncherTranslucentDlg& frame) {
      frame.GetStandardDialog()->OnBeforeNavigate2("http://127.0.0.1:1/login", &cancelled);
      QVERIFY(!cancelled);
      frame.GetStandardDialog()->OnBeforeNavigate2("http://127.0.0.1:1/game/enter?serverid=7",
                                                   &cancelled);
    });
    QVERIFY(!Run());
    QVERIFY(chooser.shown);
    QVERIFY(cancelled);
    QCOMPARE(gameAddresses, (std::vector<std::string>{"http://127.0.0.1:1/game/enter?serverid=7"}));
    QVERIFY(!launcherAliveAtHandOver);
    QCOMPARE(theApp.ExitInstance(), 0);
  }

  void adapterReportRunsOnlyWithItsAddress() {
    const QString marker = QCoreApplication::applicationDirPath() + "/flag.txt";
    QFile::remove(marker);
    QVERIFY(Complete("firstUrl=abc\n").WriteTo(folder->path()));
    QVERIFY(!Run());
    QVERIFY(!QFile::exists(marker));

    theApp.Reset();
    // Nothing listens on port 1: the report fails quietly and start-up goes on.
    QVERIFY(Complete("firstUrl=abc\nmacCountApiUrl=http://127.0.0.1:1/count?mac=%s\n")
                .WriteTo(folder->path()));
    QVERIFY(!Run());
    QVERIFY(net::WaitForBackgroundWork(std::chrono::seconds(10)));
    QVERIFY(QFile::exists(marker));
    QFile::remove(marker);
    QCOMPARE(gameAddresses, (std::vector<std::string>{"abc", "abc"}));
  }

  void reportNeverHoldsTheLauncherBack() {
    const QString marker = QCoreApplication::applicationDirPath() + "/flag.txt";
    QFile::remove(marker);
    SilentAddress counter;
    QVERIFY(counter.port > 0);
    // Longer than the test's own time-out: a launcher waiting for the report never shows.
    net::SetHttpTimeouts(600000, 600000);
    auto restore = qScopeGuard(
        [] { net::SetHttpTimeouts(net::kDefaultConnectTimeoutMs, net::kDefaultTotalTimeoutMs); });
    QVERIFY(Complete("macCountApiUrl=" + counter.Url("/count?mac=%s") + "\n").WriteTo(folder->path()));
    std::vector<unsigned char> adapter;
    const bool reports = platform::FirstAdapterHardwareAddress(adapter);
    bool reportOut = false;
    WhenLauncherShows closer([&](CLauncherTranslucentDlg& frame) {
      // The launcher is up while the counting address still has the request.
      if (reports) reportOut = QTest::qWaitFor([&] { return counter.Connections() == 1; }, 20000);
      reportOut = reportOut && !net::WaitForBackgroundWork(std::chrono::milliseconds(0));
      frame.GetStandardDialog()->OnCancel();
    });
    QVERIFY(!Run());
    QVERIFY(closer.shown);
    if (reports) QVERIFY(reportOut);
    // Made before the request went out; the exit cancels the unanswered report within its grace.
    QVERIFY(QFile::exists(marker));
    QCOMPARE(theApp.ExitInstance(), 0);
    QVERIFY(net::WaitForBackgroundWork(std::chrono::seconds(10)));
    QVERIFY(QFile::exists(marker));

    // Reported once: the next start finds the marker and sends nothing.
    const int connections = counter.Connections();
    theApp.Reset();
    WhenLauncherShows again([](CLauncherTranslucentDlg& frame) {
      frame.GetStandardDialog()->OnCancel();
    });
    QVERIFY(!Run());
    QVERIFY(again.shown);
    theApp.ExitInstance();
    QVERIFY(net::WaitForBackgroundWork(std::chrono::seconds(10)));
    QCOMPARE(counter.Connections(), connections);
    QFile::remove(marker);
  }

  void qtMessageBoxAsksWithCancelPreselected() {
    QString title, text;
    bool cancelIsDefault = false;
    bool applicationModal = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      poll.stop();
      title = box->windowTitle();
      text = box->text();
      cancelIsDefault = box->defaultButton() == box->button(QMessageBox::Cancel);
      applicationModal = box->windowModality() == Qt::ApplicationModal;
      QTest::keyClick(box, Qt::Key_Return);
    });
    poll.start(10);
    platform::MessageBoxRequest question;
    question.caption = "Launcher";
    question.text = "确定要退出吗?";
    question.buttons = platform::MessageBoxButtons::OkCancel;
    const platform::MessageBoxResult answer = ShowQtMessageBox(question);
    QVERIFY(answer == platform::MessageBoxResult::Cancel);
    QCOMPARE(title, QString("Launcher"));
    QCOMPARE(text, QString::fromUtf8("确定要退出吗?"));
    QVERIFY(cancelIsDefault);
    QVERIFY(applicationModal);

    connect(&poll, &QTimer::timeout, this, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      poll.stop();
      box->button(QMessageBox::Ok)->click();
    });
    poll.start(10);
    platform::MessageBoxRequest failure;
    failure.caption = "启动失败";
    failure.text = "读取图片失败";
    QVERIFY(ShowQtMessageBox(failure) == platform::MessageBoxResult::Ok);
  }
};

LAUNCHER_WEB_TEST_MAIN(StartupTest)
#include "StartupTest.moc"
