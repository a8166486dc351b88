#pragma once
// Process paths: the working directory, the program file's own full path.
#include <string>

namespace platform {

std::string CurrentDirectory();
std::string ProgramPath();           // full path of the running executable
char PathSeparator();                // '/' here, '\\' on Windows
std::string ProgramBaseName(const std::string& programPath);  // file name without folder and extension
// Whether this process may create files in `folder`.
bool IsWritableFolder(const std::string& folder);
// The user's state folder: $XDG_STATE_HOME when absolute, else ~/.local/state; empty when
// neither is known.
std::string UserStateFolder();

}  // namespace platform
