#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class TCustomDecoder;

// Probes each file with the decoder and writes the facts the input list shows, one
// block per file (or a JSON array with json set); a refused file gets its reason.
// Returns exSuccess when every file opened, else exFailed.
int RunProbe(TCustomDecoder& decoder, const std::vector<std::string>& files, bool json, std::ostream& out);
