#include "core/net/PlatformApi.h"

#include <json/json.h>

#include <exception>
#include <memory>

#include "core/config/LauncherConfig.h"
#include "core/net/Ccommon.h"
#include "core/net/HttpClient.h"
#include "core/net/WebAddress.h"
#include "core/platform/CodePage.h"

namespace {

const char kUserNameFailure[] = "访问用户名url失败";
const char kServerNameFailure[] = "访问当前服务器名失败";
const char kChatAddressFailure[] = "获取GS聊天接口";

// Parses a reply; false for text that is not JSON, including nesting beyond the reader's limit.
bool ParseJson(const std::string& body, Json::Value& root) {
  Json::CharReaderBuilder builder;
  builder["collectComments"] = false;
  builder["allowTrailingCommas"] = false;
  builder["failIfExtra"] = false;
  builder["stackLimit"] = 1000;
  try {
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    return reader->parse(body.data(), body.data() + body.size(), &root, &errors);
  } catch (const std::exception&) {
    return false;
  }
}

// The member `name` of `object` when `object` is an object that has it; null otherwise.
const Json::Value* Member(const Json::Value& object, const char* name) {
  if (!object.isObject()) return nullptr;
  return object.find(name, name + std::char_traits<char>::length(name));
}

bool StringMember(const Json::Value& object, const char* name, std::string& text) {
  const Json::Value* value = Member(object, name);
  if (!value || !value->isString()) return false;
  text = value->asCString();  // up to an embedded zero, as an 8-bit text holds it
  return true;
}

LookupResult Lookup(const std::string& address, const char* failureText,
                    bool (*parse)(const std::string&, std::string&), std::size_t maxBytes,
                    const net::Cancellation* cancellation) {
  LookupResult result;
  std::string body;
  switch (FetchUrl(address.c_str(), body, cancellation)) {
    case FetchOutcome::TransportFailure:
      return result;
    case FetchOutcome::StatusFailure:
      result.kind = LookupResult::Failed;
      result.failureText = failureText;
      return result;
    case FetchOutcome::Success:
      break;
  }
  std::string utf8;
  if (!parse(body, utf8)) return result;
  result.kind = LookupResult::Value;
  result.value = platformapi::ToSystemText(utf8, maxBytes);
  return result;
}

}  // namespace

namespace platformapi {

std::string SignText(const LauncherSettings& settings, char type) {
  std::string text;
  text += settings.platform.view();
  text += settings.gkey.view();
  text += settings.skey.view();
  text += type;
  text += '#';
  text += settings.sign.view();
  return text;
}

std::string SignedAddress(const LauncherSettings& settings, char type) {
  const std::string signText = SignText(settings, type);
  Ccommon common;
  const std::string signature = common.MD5Hex(signText.c_str());
  std::string address;
  address += settings.urlplatform.view();
  address += "?platform=";
  address += settings.platform.view();
  address += "&gkey=";
  address += settings.gkey.view();
  address += "&skey=";
  address += settings.skey.view();
  address += "&type=";
  address += type;
  address += "&sign=";
  address += signature;
  return address;
}

std::string ServerNameAddress(const LauncherSettings& settings, const std::string& bareKey) {
  return settings.urlplatform.str() + bareKey;
}

bool ParseUserNameReply(const std::string& body, std::string& utf8Value) {
  Json::Value root;
  if (!ParseJson(body, root)) return false;
  std::string errnoText;
  if (!StringMember(root, "errno", errnoText) || ParseDecimal(errnoText.c_str()) != 0) return false;
  const Json::Value* data = Member(root, "data");
  return data && StringMember(*data, "user_name", utf8Value);
}

bool ParseServerNameReply(const std::string& body, std::string& utf8Value) {
  Json::Value root;
  return ParseJson(body, root) && StringMember(root, "servername", utf8Value);
}

bool ParseChatAddressReply(const std::string& body, std::string& utf8Value) {
  Json::Value root;
  if (!ParseJson(body, root)) return false;
  const Json::Value* data = Member(root, "data");
  return data && StringMember(*data, "gsurl", utf8Value);
}

std::string ToSystemText(const std::string& utf8Value, std::size_t maxBytes) {
  std::u16string wide = codepage::Utf8ToUtf16(utf8Value);
  auto cut = [&wide](std::size_t units) {
    // Never keep half of a surrogate pair.
    if (units > 0 && units < wide.size() && wide[units - 1] >= 0xD800 && wide[units - 1] <= 0xDBFF)
      --units;
    wide.resize(units);
  };
  if (wide.size() > kMaxUtf16Units) cut(kMaxUtf16Units);
  std::string text = codepage::Utf16ToSystem(wide);
  while (text.size() > maxBytes && !wide.empty()) {
    cut(wide.size() - 1);
    text = codepage::Utf16ToSystem(wide);
  }
  return text;
}

}  // namespace platformapi

std::string ApplyServerKey(LauncherSettings& settings, const std::string& gameAddress) {
  static const std::string kMarker = "skey=";
  const std::size_t start = gameAddress.find(kMarker);
  if (start == std::string::npos) return std::string();
  const std::size_t end = gameAddress.find('&', start);
  if (end == std::string::npos) return std::string();
  std::string bareKey = gameAddress.substr(start + kMarker.size(), end - start - kMarker.size());
  settings.skey = "s" + bareKey;
  return bareKey;
}

LookupResult LookupUserName(const LauncherSettings& settings,
                            const net::Cancellation* cancellation) {
  return Lookup(platformapi::SignedAddress(settings, '1'), kUserNameFailure,
                platformapi::ParseUserNameReply, platformapi::kUserNameMaxBytes, cancellation);
}

LookupResult LookupServerName(const LauncherSettings& settings, const std::string& bareKey,
                              const net::Cancellation* cancellation) {
  return Lookup(platformapi::ServerNameAddress(settings, bareKey), kServerNameFailure,
                platformapi::ParseServerNameReply, platformapi::kServerNameMaxBytes,
                cancellation);
}

LookupResult LookupChatAddress(const LauncherSettings& settings,
                               const net::Cancellation* cancellation) {
  LookupResult result = Lookup(platformapi::SignedAddress(settings, '2'), kChatAddressFailure,
                               platformapi::ParseChatAddressReply,
                               platformapi::kChatAddressMaxBytes, cancellation);
  // The reply travels unprotected: an address that is not a web address (a local file, a
  // script, another scheme) is no address at all, and nothing gets loaded.
  if (result.kind == LookupResult::Value && !net::IsWebAddress(result.value)) {
    result.kind = LookupResult::NoValue;
    result.value.clear();
  }
  return result;
}
