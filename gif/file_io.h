// Files named by UTF-8 paths, on every platform (never the ANSI code page).
#pragma once

#include <cstdio>
#include <string>

namespace framelark {

// fopen with a UTF-8 file name.
std::FILE* OpenFileUtf8(const std::string& utf8_path, const char* mode);

// Replaces `to` with `from` (an existing `to` is overwritten).
bool RenameFileUtf8(const std::string& from, const std::string& to);

// Removes a file; false when it could not be removed.
bool RemoveFileUtf8(const std::string& utf8_path);

// A path in the system's temporary folder that no other file of this
// process uses, or "" when there is none.
std::string UniqueTempPath(const char* stem);

// A path beside `utf8_path` for a file that is renamed over it afterwards.
std::string SiblingTempPath(const std::string& utf8_path);

}  // namespace framelark
