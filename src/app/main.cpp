#include <string>
#include <vector>

#include "app/driver.h"
#include "platform/clock.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv, argv + argc);
  return velmo::RunVelmo(arguments, velmo::platform::CurrentTimeSeconds32);
}
