#pragma once
// HTML of the demo site's pages (UTF-8, self-contained).
#include <string>

namespace demo {

// Text made safe inside HTML element content and attribute values.
std::string HtmlEscape(const std::string& text);
// A JavaScript string literal (JSON-quoted) that is also safe inside a <script> element.
std::string JsString(const std::string& text);

// A path on this site or an address on this machine (http://127.0.0.1 or http://localhost): the
// only places scenario parameters may send a page, so a query can neither run script through a
// javascript: address nor send traffic off the machine.
bool IsLocalAddress(const std::string& address);

// autoUrl: address the page goes to by itself, delayMs after load (empty: stays).
std::string LoginPage(const std::string& autoUrl, int delayMs = 100);
// kind 1: the OAuth login-jump look-alike, 2: the login-frame look-alike. autoFollow: follows its
// server link by itself after load.
std::string QqLoginPage(int kind, bool autoFollow);
// The game page; serverKey picks the server shown, script is a JSON list of bridge calls
// ([["getGsName","x"],["JsCallClient","6","S2",""],["wait",200],...]) run after load.
std::string GamePage(const std::string& serverKey, const std::string& uid,
                     const std::string& script);
// The GM chat page; newMsgAfterMs >= 0 announces a new message after that delay.
std::string ChatPage(const std::string& gmName, int newMsgAfterMs);
// A small content page (news, recharge) linked from the launcher buttons.
std::string InfoPage(const std::string& title, const std::string& text);

}  // namespace demo
