// The message box shown when no error handler is assigned, and the message pump of long loops.
// Both go through the platform hooks (headless by default; the demo installs window ones).
#pragma once

#include <string>

namespace smx {

/// Shows Text in an information box with an OK button, centred on the screen.
void ShowMessageBox(const std::string& Text);
/// Processes the window messages that are waiting.
void ProcessMessages();

} // namespace smx
