#include "image_builder/command_line.h"

#include <charconv>
#include <limits>

namespace velmo::image_builder {
namespace {

std::optional<std::uint64_t> ParseNumber(std::string_view text) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    base = 16;
  }
  std::uint64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string ListNames() {
  std::string names = "variants:";
  for (ImageFault fault : kAllFaults) names += " " + std::string(FaultName(fault));
  names += "\ncic:";
  for (CicVariant cic : kAllCicVariants) names += " " + std::string(CicName(cic));
  return names + "\n";
}

ParsedCommand Refuse(std::string error) {
  return {std::nullopt, std::move(error)};
}

// Applies one option with its value; an empty result means it was accepted.
std::string ApplyOption(std::string_view option, std::string_view value, ImageOptions& options) {
  if (option == "--seed") {
    std::optional<std::uint64_t> seed = ParseNumber(value);
    if (!seed) return "not a number for --seed: " + std::string(value);
    options.contentSeed = *seed;
  } else if (option == "--layout") {
    std::optional<Layout> layout = LayoutFromName(value);
    if (!layout) return "unknown layout: " + std::string(value);
    options.layout = *layout;
  } else if (option == "--variant") {
    std::optional<ImageFault> fault = FaultFromName(value);
    if (!fault) return "unknown variant: " + std::string(value);
    options.fault = *fault;
  } else if (option == "--region") {
    const RegionLayout* region = RegionFromName(value);
    if (!region) return "unknown region: " + std::string(value) + " (na, pal or jp)";
    options.region = region;
  } else if (option == "--cic") {
    std::optional<CicVariant> cic = CicFromName(value);
    if (!cic) return "unknown CIC variant: " + std::string(value);
    options.cic = *cic;
  } else if (option == "--truncate-at") {
    std::optional<std::uint64_t> length = ParseNumber(value);
    if (!length || *length > std::numeric_limits<std::uint32_t>::max()) {
      return "not a length for --truncate-at: " + std::string(value);
    }
    options.truncatedLength = static_cast<std::uint32_t>(*length);
  } else {
    return "unknown option: " + std::string(option);
  }
  return {};
}

}  // namespace

ParsedCommand ParseMakeImageArguments(std::span<const std::string_view> arguments) {
  MakeImageCommand command;
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    std::string_view argument = arguments[index];
    if (!argument.starts_with("--")) {
      if (!command.outputPath.empty()) return Refuse("more than one output path");
      command.outputPath = argument;
      continue;
    }
    if (index + 1 >= arguments.size()) return Refuse("missing value for " + std::string(argument));
    std::string error = ApplyOption(argument, arguments[++index], command.options);
    if (!error.empty()) return Refuse(error);
  }
  if (command.outputPath.empty()) return Refuse("no output path");
  if (command.options.fault != ImageFault::kNone &&
      command.options.region != &region::kNorthAmerica) {
    return Refuse("variants are made in North American images only: --variant " +
                  std::string(FaultName(command.options.fault)) + " with --region " +
                  std::string(RegionName(*command.options.region)));
  }
  return {std::move(command), {}};
}

std::string MakeImageUsage() {
  return "usage: velmo-make-image OUTPUT [--seed N] [--layout small|realistic]\n"
         "                        [--region na|pal|jp] [--variant NAME] [--cic NAME]\n"
         "                        [--truncate-at N]\n" +
         ListNames();
}

}  // namespace velmo::image_builder
