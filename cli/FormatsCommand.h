#pragma once

#include <iosfwd>

// Writes the catalogue: each class with its formats, their extensions and every preset
// with its index and caption, the format's default marked with "*".
void PrintFormats(std::ostream& out);
