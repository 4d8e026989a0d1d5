#pragma once

#include <string>
#include <string_view>

// Path and file-name helpers shared by every layer. "Backslash" in the program's
// design means the platform's path separator.

// The platform's path separator.
char PathSeparator();

// The path unchanged when it already ends with the separator, else with one appended.
std::string WithTrailingBackslash(const std::string& path);

// True when any character of chars occurs in text.
bool ContainsAnyChar(std::string_view text, std::string_view chars);

// False for an empty name or one holding any of \ / : * ? " < > |.
bool IsValidFileName(std::string_view name);

// A valid name is returned unchanged; otherwise each of the nine forbidden
// characters becomes an underscore.
std::string SanitizeFileName(const std::string& name);

// The path without the extension of its file-name part; dots in folder names stay.
std::string StripExtension(const std::string& path);

// A name (without folder) that does not exist yet in folder: the name itself, or
// stem + "(n)" + extension for the first free n; counting stops at 32768.
std::string UniqueFileName(const std::string& fileName, const std::string& folder);

// The folder of the running executable, with its separator; empty when unknown.
std::string ExecutableFolder();
