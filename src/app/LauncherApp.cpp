#include "app/LauncherApp.h"

LauncherApp theApp;

LauncherApp::LauncherApp() = default;
LauncherApp::~LauncherApp() = default;
