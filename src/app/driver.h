#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velmo {

// One whole run of the tool for a command line (executable path first, then
// the image path; further words are ignored). The seed of the run comes from
// the clock given. Returns the process exit status, which is always 0.
int RunVelmo(const std::vector<std::string>& arguments,
             const std::function<std::uint32_t()>& clock);

}  // namespace velmo
