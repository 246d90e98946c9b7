#include "platform/pause.h"

namespace velmo::platform {

// A page has no console window to keep open: the end of the run shows in
// the page itself, so there is no key to wait for.
void WaitForKeyPress() {}

}  // namespace velmo::platform
