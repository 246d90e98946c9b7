#pragma once

namespace velmo::platform {

// Shows the platform's "press a key" prompt and waits for one key press, but
// only when standard input is an interactive console: scripts, CI and tests
// never block here.
void WaitForKeyPress();

}  // namespace velmo::platform
