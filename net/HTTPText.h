#pragma once

#include <string>
#include <string_view>

// Small text routines the HTTP parsers share (ASCII only: header names, dates, schemes).

std::string_view TrimSpace(std::string_view s);
// Equal but for letter case.
bool SameText(std::string_view a, std::string_view b);
std::string LowerCase(std::string s);
