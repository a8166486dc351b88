#pragma once
// Addresses and keys the demo operator site and the demo package agree on.

namespace demo {

// Signing keys of the platform API.
inline constexpr const char* kPlatform = "demo";
inline constexpr const char* kGkey = "dragonrealm";
inline constexpr const char* kSign = "d3m0-s1gn-k3y";

// Marks a game-server address (the launcher takes it) and the game page (the game window shows it).
inline constexpr const char* kGameHeader = "/game/enter";
inline constexpr const char* kMaxHeader = "/play/game";

// Site paths.
inline constexpr const char* kLoginPath = "/login";
inline constexpr const char* kApiPath = "/api/";
inline constexpr const char* kChatPath = "/gm/chat";
inline constexpr const char* kCountPath = "/count";
// Look-alikes of the two QQ login pages, served by the demo site itself.
inline constexpr const char* kQqGraphPath = "/qq/graph.qq.com/oauth/login_jump";
inline constexpr const char* kQqXloginPath = "/qq/xui.ptlogin2.qq.com/cgi-bin/xlogin";

// Port the package built with the project points at.
inline constexpr int kDefaultPort = 8765;

}  // namespace demo
