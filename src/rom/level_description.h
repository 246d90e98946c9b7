#pragma once

#include <string>

#include "level/level_report.h"

namespace velmo {

// The level's block of the spoiler log: its name as the log prints it on a
// line of its own, then one indented line per thing the randomisers did or
// left alone. Every line ends in a line feed.
std::string DescribeLevel(const LevelReport& report);

}  // namespace velmo
