#pragma once

#include <string>

// The built-in libx264 option presets ("libx264-default", ...), as name=value lines
// separated by line feeds. Lookup ignores case; nullptr when there is no such preset.
const char* FindBuiltinPreset(const std::string& name);
int BuiltinPresetCount();
