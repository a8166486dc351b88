#pragma once
// Shared pieces of the launcher, skin and start-up tests: fixture packages, a recording message
// box, the demo site as a child process, and a working-directory guard.
#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ZipWriter.h"
#include "core/config/LauncherConfig.h"
#include "core/platform/MessageBox.h"
#include "skin/PackageImage.h"
#include "windows/launcher/LauncherTranslucentDlg.h"

// The configuration the windows under test read; a fresh one for each package a test opens.
inline std::unique_ptr<CLauncherConfig>& TestConfigSlot() {
  static std::unique_ptr<CLauncherConfig> config = std::make_unique<CLauncherConfig>();
  return config;
}
inline CLauncherConfig& TestConfig() { return *TestConfigSlot(); }
inline void ResetTestConfig() { TestConfigSlot() = std::make_unique<CLauncherConfig>(); }

inline std::string PngBytes(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

inline QImage SolidImage(int width, int height, const QColor& colour) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(colour);
  return image;
}

// The launcher artwork of the tests: a 400 x 300 picture in three vertical bands, left fully
// transparent, middle half-transparent red, right opaque blue.
inline QImage BandedArtwork() {
  QImage image(400, 300, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.fillRect(QRect(100, 0, 150, 300), QColor(255, 0, 0, 128));
  painter.fillRect(QRect(250, 0, 150, 300), QColor(0, 0, 255, 255));
  return image;
}

// A config.zip made of a settings text and members.
class FixturePackage {
 public:
  FixturePackage& Settings(std::string text) {
    settings = std::move(text);
    hasSettings = true;
    return *this;
  }
  FixturePackage& NoSettings() {
    hasSettings = false;
    return *this;
  }
  FixturePackage& Image(const std::string& name, const QImage& image) {
    members.emplace_back(name, PngBytes(image));
    return *this;
  }
  // A member holding these bytes as they are (a damaged image, for instance).
  FixturePackage& Member(const std::string& name, std::string bytes) {
    members.emplace_back(name, std::move(bytes));
    return *this;
  }
  // Normal, pressed and over images of link number n, each a solid colour.
  FixturePackage& ButtonImages(int n, QSize size = QSize(40, 20)) {
    const std::string base = "config/" + std::to_string(n);
    Image(base + "_n.png", SolidImage(size.width(), size.height(), QColor(0, 160, 0)));
    Image(base + "_d.png", SolidImage(size.width(), size.height(), QColor(160, 0, 0)));
    Image(base + "_o.png", SolidImage(size.width(), size.height(), QColor(0, 0, 160)));
    return *this;
  }
  std::string Bytes() const {
    ZipWriter zip;
    if (hasSettings) zip.Add("config/cg.txt", settings);
    for (const auto& [name, data] : members) zip.Add(name, data);
    return zip.Finish();
  }
  bool WriteTo(const QString& folder) const {
    return ZipWriter::WriteFile((folder + "/config.zip").toStdString(), Bytes());
  }

 private:
  std::string settings;
  bool hasSettings = true;
  std::vector<std::pair<std::string, std::string>> members;
};

// Settings text: [global] with the given lines, then link sections.
inline std::string SettingsText(const std::string& globalLines,
                                const std::vector<std::string>& linkSections) {
  std::string text = "[global]\n" + globalLines;
  text += "linkCount=" + std::to_string(linkSections.size()) + "\n";
  for (std::size_t i = 0; i < linkSections.size(); ++i)
    text += "[link" + std::to_string(i + 1) + "]\n" + linkSections[i];
  return text;
}

inline std::string LinkSection(int type, int x, int y, int width, int height,
                               const std::string& url = "") {
  std::string text = "type=" + std::to_string(type) + "\nx=" + std::to_string(x) +
                     "\ny=" + std::to_string(y) + "\nwidth=" + std::to_string(width) +
                     "\nheight=" + std::to_string(height) + "\n";
  if (!url.empty()) text += "url=" + url + "\n";
  return text;
}

// A package whose launcher shows one page, `address`, in a 360×220 link at (20, 40) over banded
// artwork; `globalLines` are the [global] section's lines.
inline FixturePackage LoginPagePackage(const std::string& globalLines, const std::string& address) {
  FixturePackage package;
  package.Settings(SettingsText(globalLines, {LinkSection(4, 20, 40, 360, 220, address)}))
      .Image("config/main1.png", BandedArtwork());
  return package;
}

// Records every message box and answers from a queue (OK when it runs dry).
// Records the keys that reach it.
class KeySink : public QWidget {
 public:
  using QWidget::QWidget;
  std::vector<int> keys;

 protected:
  void keyPressEvent(QKeyEvent* event) override { keys.push_back(event->key()); }
};

class MessageRecorder {
 public:
  MessageRecorder() {
    previous = platform::SetMessageBoxHandler([this](const platform::MessageBoxRequest& request) {
      seen.push_back(request);
      if (onShow) onShow(request);
      if (answers.empty()) return platform::MessageBoxResult::Ok;
      const platform::MessageBoxResult answer = answers.front();
      answers.pop_front();
      return answer;
    });
  }
  ~MessageRecorder() { platform::SetMessageBoxHandler(std::move(previous)); }

  std::vector<platform::MessageBoxRequest> seen;
  std::deque<platform::MessageBoxResult> answers;
  std::function<void(const platform::MessageBoxRequest&)> onShow;

 private:
  platform::MessageBoxHandler previous;
};

// Runs the test body inside a folder and returns to the previous one.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const QString& path) : previous(QDir::currentPath()) {
    QDir::setCurrent(path);
  }
  ~WorkingDirectory() { QDir::setCurrent(previous); }

 private:
  QString previous;
};

// The demo operator site as a child process on a free loopback port.
class DemoSiteProcess {
 public:
  // The demo site was built for this test (its path is in the environment); only then may a
  // test that needs it run, and a site that then fails to start is a failure, not a skip.
  static bool Built() { return !qgetenv("LAUNCHER_DEMO_SITE").isEmpty(); }
  // False when the site is not built or did not start and report its port.
  bool Start(const QStringList& extraArguments = {}) {
    const QByteArray program = qgetenv("LAUNCHER_DEMO_SITE");
    if (program.isEmpty()) return false;
    process.setProgram(QString::fromLocal8Bit(program));
    process.setArguments(QStringList{"--port", "0"} + extraArguments);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start();
    if (!process.waitForStarted(10000)) return false;
    QByteArray line;
    while (!line.contains('\n')) {
      if (!process.waitForReadyRead(10000)) return false;
      line += process.readAllStandardOutput();
    }
    const QList<QByteArray> words = line.left(line.indexOf('\n')).trimmed().split(' ');
    if (words.size() != 2 || words[0] != "LISTENING") return false;
    port = words[1].toInt();
    return port > 0;
  }
  ~DemoSiteProcess() {
    if (process.state() != QProcess::NotRunning) {
      process.kill();
      process.waitForFinished(5000);
    }
  }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port) + path;
  }
  int Port() const { return port; }

 private:
  QProcess process;
  int port = 0;
};

// Opens the package in a temporary folder into the tests' configuration, as start-up does.
class OpenPackage {
 public:
  bool Open(const FixturePackage& package) {
    inFolder.reset();
    folder = std::make_unique<QTemporaryDir>();
    if (!package.WriteTo(folder->path())) return false;
    inFolder = std::make_unique<WorkingDirectory>(folder->path());
    ResetTestConfig();
    CLauncherConfig& config = TestConfig();
    return config.OpenPackage() && config.LoadSettingsFile("config/cg.txt") && config.ReadSettings();
  }
  // Back to a fresh configuration and the previous working folder.
  void Close() {
    ResetTestConfig();
    inFolder.reset();
    folder.reset();
  }
  ~OpenPackage() { Close(); }

 private:
  std::unique_ptr<QTemporaryDir> folder;
  std::unique_ptr<WorkingDirectory> inFolder;
};

// The launcher pair made from a package as start-up makes it, in a folder of its own, shown.
class LauncherRun {
 public:
  bool Start(const FixturePackage& package, const std::string& startParameter = "") {
    frame.reset();
    if (!openPackage.Open(package)) return false;
    QImage artwork;
    if (!LoadBitmapFromPackage(TestConfig(), "config/main1.png", artwork)) return false;
    frame = std::make_unique<CLauncherTranslucentDlg>(artwork, startParameter, TestConfig(), nullptr);
    if (!frame->Create()) return false;
    frame->show();
    return QTest::qWaitForWindowExposed(frame.get());
  }
  // The windows go, then the package's folder and configuration.
  void Close() {
    frame.reset();
    openPackage.Close();
  }
  ~LauncherRun() { frame.reset(); }
  CLauncherTranslucentDlg* operator->() const { return frame.get(); }
  CLauncherTranslucentDlg* get() const { return frame.get(); }

 private:
  OpenPackage openPackage;
  std::unique_ptr<CLauncherTranslucentDlg> frame;
};
