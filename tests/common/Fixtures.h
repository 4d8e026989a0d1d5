#pragma once

#include <string>

// Media fixtures are generated on first use with the ffmpeg tool's test sources into
// the build folder (or the folder named by MEDIAWIZ_FIXTURES), and reused afterwards.
namespace Fixtures {

// The folder fixtures are written to; created on demand.
std::string Folder();
// The folder screenshots of windows go to for a visual check (build/gallery).
std::string GalleryFolder();
// Path of the named fixture (a row of the table in Fixtures.cpp), generating it when absent.
// Throws std::runtime_error when the generator fails.
std::string Path(const std::string& name);
// A fresh empty folder for one test's outputs.
std::string ScratchFolder(const std::string& testName);

} // namespace Fixtures
