#pragma once
// The application object: owns the configuration and runs the launcher and game windows.
#include <string>

#include "config/LauncherConfig.h"

class IGameWindow;

class LauncherApp {
 public:
  LauncherApp();
  ~LauncherApp();

  CLauncherConfig& GetConfig() { return config; }
  IGameWindow* GetGameDialog() const { return gameDialog; }
  void SetGameDialog(IGameWindow* dialog) { gameDialog = dialog; }
  void SetGameUrl(const char* address) { gameUrl = address ? address : ""; }
  const std::string& GetGameUrl() const { return gameUrl; }

 private:
  CLauncherConfig config;
  IGameWindow* gameDialog = nullptr;
  std::string gameUrl;
};

extern LauncherApp theApp;
