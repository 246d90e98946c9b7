#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "image_builder/image_options.h"

namespace velmo::image_builder {

// velmo-make-image OUTPUT [--seed N] [--layout small|realistic]
//                         [--region na|pal|jp] [--variant NAME] [--cic NAME]
//                         [--truncate-at N]
// A variant other than "none" is refused with a region other than "na".
struct MakeImageCommand {
  std::string outputPath;
  ImageOptions options;
};

struct ParsedCommand {
  std::optional<MakeImageCommand> command;
  std::string error;  // set when command is empty
};

// Parses the arguments after the program name. Numbers are decimal or, with
// 0x, hexadecimal.
ParsedCommand ParseMakeImageArguments(std::span<const std::string_view> arguments);

std::string MakeImageUsage();

}  // namespace velmo::image_builder
