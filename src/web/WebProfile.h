#pragma once
// The one persistent browser profile every browser of the program uses.
#include <QLoggingCategory>

class QWebEngineProfile;

// Browser decisions and events (render process loss, console, bridge); off by default.
Q_DECLARE_LOGGING_CATEGORY(lcWeb)

// Cookies, local storage and the HTTP cache live on disk under the application data location.
// Created on first use, after the QApplication; owned by the application object.
QWebEngineProfile* LauncherProfile();

// Empties the profile's HTTP cache of every entry not in use, without disturbing open connections
// (cookies, local storage and IndexedDB stay).
void ClearLauncherHttpCache();

// Adds the engine switches the program needs to QTWEBENGINE_CHROMIUM_FLAGS, keeping those given.
// Before the QApplication is made: the engine reads them once, when it starts.
void ApplyEngineSwitches();
