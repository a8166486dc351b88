#pragma once
// The operator's signed platform API: player name, server name and GS chat address lookups.
#include <cstddef>
#include <string>

struct LauncherSettings;
namespace net {
class Cancellation;
}

struct LookupResult {
  enum Kind { Value, NoValue, Failed };
  Kind kind = NoValue;
  std::string value;        // Value: system code page, cut to the receiving field
  std::string failureText;  // Failed: the lookup's own message text, UTF-8 for the message box
};

// Takes the server key (between the first "skey=" and the next "&") from the game address;
// when found, sets `skey` to "s" + key and returns the bare key, else returns "" and keeps it.
std::string ApplyServerKey(LauncherSettings& settings, const std::string& gameAddress);

// Each blocks until its answer; a cancelled lookup ends at once with no value.
LookupResult LookupUserName(const LauncherSettings& settings,
                            const net::Cancellation* cancellation = nullptr);
LookupResult LookupServerName(const LauncherSettings& settings, const std::string& bareKey,
                              const net::Cancellation* cancellation = nullptr);
LookupResult LookupChatAddress(const LauncherSettings& settings,
                               const net::Cancellation* cancellation = nullptr);

namespace platformapi {

// Building blocks, exposed for tests. `type` is '1' (user name) or '2' (chat address).
std::string SignText(const LauncherSettings& settings, char type);
std::string SignedAddress(const LauncherSettings& settings, char type);
std::string ServerNameAddress(const LauncherSettings& settings, const std::string& bareKey);

// Reply rules: true and the member's UTF-8 text when the reply is accepted.
bool ParseUserNameReply(const std::string& body, std::string& utf8Value);
bool ParseServerNameReply(const std::string& body, std::string& utf8Value);
bool ParseChatAddressReply(const std::string& body, std::string& utf8Value);

// UTF-8 -> at most 254 UTF-16 units -> system code page, at most `maxBytes` bytes, never
// splitting a character.
std::string ToSystemText(const std::string& utf8Value, std::size_t maxBytes);

inline constexpr std::size_t kMaxUtf16Units = 254;
inline constexpr std::size_t kUserNameMaxBytes = 254;     // a 255-byte field
inline constexpr std::size_t kServerNameMaxBytes = 253;   // a 254-byte field
inline constexpr std::size_t kChatAddressMaxBytes = 253;  // a 254-byte field

}  // namespace platformapi
