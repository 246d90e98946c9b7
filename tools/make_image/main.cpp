// velmo-make-image: writes a synthetic cartridge image of the game for tests,
// the demo run and the benchmarks.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string_view>
#include <vector>

#include "image_builder/command_line.h"
#include "image_builder/image_builder.h"

namespace {

using velmo::image_builder::BuiltImage;
using velmo::image_builder::ImageReport;
using velmo::image_builder::MakeImageCommand;

bool WriteImage(const std::string& path, const velmo::ByteBuffer& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

void PrintSummary(const MakeImageCommand& command, const BuiltImage& image) {
  using namespace velmo::image_builder;
  const ImageReport& report = image.report;
  std::uint64_t compressed = 0;
  std::uint64_t space = 0;
  std::uint64_t inflated = 0;
  for (const SetupReport& setup : report.setups) {
    compressed += setup.compressedSize;
    space += setup.space;
    inflated += setup.inflatedSize;
  }
  const ImageOptions& options = command.options;
  const velmo::TextLayout& text = options.region->text;
  std::cout << "Wrote " << command.outputPath << " (" << image.bytes.size() << " bytes; "
            << options.region->adjective << " image " << options.region->gameCode << ", seed "
            << options.contentSeed << ", " << LayoutName(options.layout) << " layout, CIC "
            << CicName(options.cic) << ", variant " << FaultName(options.fault) << ")\n"
            << "  setup files: " << report.setups.size() << ", " << compressed
            << " bytes compressed in " << space << " bytes of space, " << inflated
            << " bytes inflated\n"
            << "  file table: " << report.tableCompressedSize << " bytes compressed, "
            << report.tableInflatedSize << " inflated\n"
            << "  " << text.bankNames[text.keptBank] << " text (kept): " << report.keptTextTotal
            << " bytes in 44 banks\n";
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> arguments(argv + 1, argv + argc);
  velmo::image_builder::ParsedCommand parsed =
      velmo::image_builder::ParseMakeImageArguments(arguments);
  if (!parsed.command) {
    std::cerr << "velmo-make-image: " << parsed.error << "\n"
              << velmo::image_builder::MakeImageUsage();
    return 2;
  }
  const MakeImageCommand& command = *parsed.command;
  BuiltImage image = velmo::image_builder::BuildImage(command.options);
  if (!WriteImage(command.outputPath, image.bytes)) {
    std::cerr << "velmo-make-image: cannot write " << command.outputPath << "\n";
    return 1;
  }
  PrintSummary(command, image);
  return 0;
}
