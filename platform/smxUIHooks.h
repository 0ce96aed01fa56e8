// The two services of the windowing platform that the suite's libraries use: the information
// message box (the fallback when no error handler is assigned) and the message pump that keeps a
// window alive during long loops. Headless defaults: the box writes the text to standard error,
// the pump does nothing. The demo installs its own; tests install capturing hooks.
#pragma once

#include <functional>
#include <string>

namespace smx {

using TMessageBoxHook = std::function<void(const std::string& text)>;
using TMessagePumpHook = std::function<void()>;

/// Installs the message-box hook (an empty function restores the default); returns the previous one.
TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook);
/// Installs the message-pump hook (an empty function restores the default); returns the previous one.
TMessagePumpHook SetMessagePumpHook(TMessagePumpHook hook);

/// Shows text in an information box with an OK button, centred on the screen.
void PlatformShowMessage(const std::string& text);
/// Lets the application process the window messages that are waiting.
void PlatformProcessMessages();

} // namespace smx
