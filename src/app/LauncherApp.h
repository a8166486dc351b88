#pragma once
// The application object: owns the configuration and runs the launcher and game windows.
#include <functional>
#include <memory>
#include <string>

#include "core/config/LauncherConfig.h"
#include "web/GameWindow.h"

namespace net {
class BackgroundWork;
}
class IGameWindow;
class CLauncherTranslucentDlg;
class QImage;

class LauncherApp : public IGameWindowProvider {
 public:
  LauncherApp();
  ~LauncherApp() override;

  // Start-up: configuration, adapter report, launcher window, game window, each run modally
  // in turn. Always false: the application runs no message loop of its own.
  // `argv` as given to main(); argv[1], when present, is the launcher's start parameter.
  bool InitInstance(int argc, char** argv);
  // End of process: releases the windows and the artwork, and gives an adapter report still in
  // flight at most kReportGrace to end before it is cancelled; the process exit code.
  int ExitInstance();
  static constexpr int kReportGraceMs = 2000;

  CLauncherConfig& GetConfig() { return *config; }
  IGameWindow* GetGameDialog() const { return gameDialog; }
  IGameWindow* CurrentGameWindow() const override { return gameDialog; }
  void SetGameDialog(IGameWindow* dialog) { gameDialog = dialog; }
  void SetGameUrl(const char* address) { gameUrl = address ? address : ""; }
  const std::string& GetGameUrl() const { return gameUrl; }

  // Runs the game window modally for `address` (8-bit text), unless the program is ending. The
  // hand-over is logged as "game address: <address>" under the category launcher.handover.
  using GameWindowRunner = std::function<void(const std::string& address)>;
  void SetGameWindowRunner(GameWindowRunner runner) { gameWindowRunner = std::move(runner); }

  CLauncherTranslucentDlg* GetLauncherDialog() const { return launcherDialog.get(); }
  const QImage* GetLauncherImage() const { return launcherImage.get(); }
  const std::string& GetStartParameter() const { return startParameter; }

  // Start-up's configuration steps: package, settings, launcher artwork; each failure shows its
  // own message. Also used by the skin preview.
  bool OpenConfiguration();

  // Back to the state of a fresh object (a new configuration, no windows, no address).
  void Reset();

 private:
  void RunGameWindow(const std::string& address);

  std::unique_ptr<CLauncherConfig> config;
  std::unique_ptr<QImage> launcherImage;
  IGameWindow* gameDialog = nullptr;
  std::unique_ptr<CLauncherTranslucentDlg> launcherDialog;
  std::unique_ptr<net::BackgroundWork> adapterReport;  // runs beside the windows
  std::string gameUrl;
  std::string startParameter;
  GameWindowRunner gameWindowRunner;
};

extern LauncherApp theApp;

// Runs the game window modally for `address` (8-bit text) as the application's current game
// window.
void RunGameDialog(const std::string& address);
