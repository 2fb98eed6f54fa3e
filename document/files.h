#pragma once
// File-system access for core routines. Paths are UTF-8 text as the platform gives them.

#include <cstdio>
#include <filesystem>
#include <string>

namespace lex {

std::filesystem::path to_path(const std::string& utf8);
std::string from_path(const std::filesystem::path& p);
// A regular file (or a link to one) exists at the path.
bool file_exists(const std::string& path);
bool dir_exists(const std::string& path);
// A symbolic link is at the path, whatever it points to.
bool is_link(const std::string& path);
// The file a link at `path` leads to, through every link on the way ("" when `path` is no link).
std::string link_target(const std::string& path);
// Makes the folder at `path` and every missing folder above it, each readable by its owner alone
// (0700) from the start; folders already there keep their mode. False, with the system's reason
// in `why` when given, when the folder is not there afterwards.
bool make_private_folders(const std::string& path, std::string* why = nullptr);
// std::fopen for a path of the platform's kind; errno says why on failure.
std::FILE* open_file(const std::filesystem::path& path, const char* mode);
// Reads the whole file, or its first `max_bytes`; false when it cannot be opened or read, with
// the system's reason in `why` when given.
bool read_file(const std::string& path, std::string& out, std::string* why = nullptr,
               std::size_t max_bytes = std::string::npos);

} // namespace lex
