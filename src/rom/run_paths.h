#pragma once

#include <string>

namespace velmo {

// The configuration file: the executable path cut before the last "." of its
// file name, plus ".ini". A "." in a directory name is not cut at: executables
// without an extension (./Velmo) would otherwise all share one ".ini".
std::string ConfigPathFor(const std::string& executablePath);

// The randomised copy: the image path's stem + "_rand" + its extension, both
// split at the last "." anywhere in the path.
std::string OutputPathFor(const std::string& romPath);

// The randomised copy of an image that was put into big-endian order: the
// copy's path cut at its last "." anywhere (so the input's stem + "_rand"),
// plus ".z64", the extension most tools take for that order.
std::string BigEndianOutputPathFor(const std::string& outputPath);

// The patch that makes the randomised copy from its input: the copy's path
// cut at its last "." anywhere, plus ".bps".
std::string PatchPathFor(const std::string& outputPath);

// The spoiler log beside the randomised copy: its path cut at the last "."
// anywhere, as the copy's own path was split, plus "_spoiler.txt".
std::string SpoilerLogPathFor(const std::string& outputPath);

}  // namespace velmo
