#include "core/check/CheckReport.h"

#include <json/json.h>

#include <cstdio>

namespace packagecheck {

std::string Where(const std::string& section, const std::string& key) {
  return "[" + section + "] " + key;
}

std::string Size(int width, int height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

std::string Hex(std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*x", digits, value);
  return text;
}

std::string FormatText(const Report& report) {
  std::string out = "Package " + report.path + "\n";
  if (!report.members.empty()) out += "\nMembers:\n";
  for (const Member& m : report.members) {
    const std::string method = m.method == 0   ? "stored"
                               : m.method == 8 ? "deflated"
                                               : "method " + std::to_string(m.method);
    out += "  " + m.name + "  " + method + "  " + std::to_string(m.compressedSize) + " -> " +
           std::to_string(m.uncompressedSize) + " bytes  crc " + Hex(m.crc32, 8) + "  " +
           (m.readable ? "ok" : "refused") + "\n";
  }
  if (!report.settings.empty()) out += "\nSettings:\n";
  for (const Setting& s : report.settings)
    out += "  " + Where(s.section, s.key) + " = " + s.value + (s.given ? "" : "  (default)") + "\n";
  if (!report.images.empty()) out += "\nImages:\n";
  for (const Image& i : report.images)
    out += "  " + i.member + "  " + (i.decoded ? Size(i.width, i.height) : "not decoded") + "\n";
  out += "\nProblems:\n";
  if (report.problems.empty()) out += "  none\n";
  for (const Problem& p : report.problems) {
    const char* label = p.severity == Severity::Error ? "error" : "warning";
    out += std::string("  ") + label + ": " + p.where + ": " + p.message + "\n";
  }
  const int errors = report.Count(Severity::Error);
  const int warnings = report.Count(Severity::Warning);
  out += "\n" + std::to_string(errors) + (errors == 1 ? " error, " : " errors, ") +
         std::to_string(warnings) + (warnings == 1 ? " warning: " : " warnings: ") +
         (errors == 0 ? "the program runs with this package as intended\n"
                      : "the program would fail or misbehave with this package\n");
  return out;
}

std::string FormatJson(const Report& report) {
  Json::Value root(Json::objectValue);
  root["package"] = report.path;
  root["ok"] = report.ExitCode() == 0;
  root["exitCode"] = report.ExitCode();
  root["errors"] = report.Count(Severity::Error);
  root["warnings"] = report.Count(Severity::Warning);
  Json::Value& members = root["members"] = Json::Value(Json::arrayValue);
  for (const Member& m : report.members) {
    Json::Value v;
    v["name"] = m.name;
    v["method"] = m.method;
    v["compressedSize"] = m.compressedSize;
    v["uncompressedSize"] = m.uncompressedSize;
    v["crc32"] = Hex(m.crc32, 8);
    v["readable"] = m.readable;
    members.append(v);
  }
  Json::Value& settings = root["settings"] = Json::Value(Json::arrayValue);
  for (const Setting& s : report.settings) {
    Json::Value v;
    v["section"] = s.section;
    v["key"] = s.key;
    v["value"] = s.value;
    v["default"] = !s.given;
    settings.append(v);
  }
  Json::Value& images = root["images"] = Json::Value(Json::arrayValue);
  for (const Image& i : report.images) {
    Json::Value v;
    v["member"] = i.member;
    v["decoded"] = i.decoded;
    v["width"] = i.width;
    v["height"] = i.height;
    images.append(v);
  }
  Json::Value& problems = root["problems"] = Json::Value(Json::arrayValue);
  for (const Problem& p : report.problems) {
    Json::Value v;
    v["severity"] = p.severity == Severity::Error ? "error" : "warning";
    v["where"] = p.where;
    v["message"] = p.message;
    problems.append(v);
  }
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "  ";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, root) + "\n";
}

}  // namespace packagecheck
