// The identity of a build: a random stamp, written into the page store's
// header block, and the manifest (engine::kManifestName) that lists every
// corpus file of the folder with its length and digest, so that a reader can
// refuse files of two builds read together (see engine::CorpusFolder).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/corpusfolder.h"

namespace build {

using BuildStamp = std::array<std::uint8_t, engine::kStampBytes>;

// A new random stamp.
BuildStamp NewBuildStamp();
std::string StampText(const BuildStamp& stamp);

// Writes the manifest of the corpus files in dir, written last. Throws
// BuildError when a file cannot be read or the manifest cannot be written.
void WriteManifest(const std::string& dir, const BuildStamp& stamp);

}  // namespace build
