#pragma once
// Test support: a recording message-box handler and a temporary working directory.
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/platform/MessageBox.h"
#include "core/platform/Paths.h"

struct RecordedMessage {
  std::string caption;
  std::string text;
  bool operator==(const RecordedMessage& o) const { return caption == o.caption && text == o.text; }
};

class RecordingMessages {
 public:
  RecordingMessages() {
    previous_ = platform::SetMessageBoxHandler([this](const platform::MessageBoxRequest& r) {
      messages.push_back({r.caption, r.text});
      return platform::MessageBoxResult::Ok;
    });
  }
  ~RecordingMessages() { platform::SetMessageBoxHandler(previous_); }
  std::vector<RecordedMessage> messages;

 private:
  platform::MessageBoxHandler previous_;
};

// Makes a fresh directory the working directory for the object's lifetime.
class TemporaryWorkingDirectory {
 public:
  TemporaryWorkingDirectory() : previous_(platform::CurrentDirectory()) {
    char pattern[] = "/tmp/launcher-config-XXXXXX";
    const char* made = mkdtemp(pattern);
    path_ = made ? made : "";
    if (!path_.empty() && chdir(path_.c_str()) != 0) path_.clear();
  }
  ~TemporaryWorkingDirectory() {
    if (chdir(previous_.c_str()) != 0) return;
    if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
  }
  const std::string& path() const { return path_; }

 private:
  std::string previous_;
  std::string path_;
};
