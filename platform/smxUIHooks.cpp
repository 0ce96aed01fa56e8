// Message-box and message-pump hooks: see the header.
#include "platform/smxUIHooks.h"

#include <iostream>
#include <utility>

namespace smx {

namespace {
TMessageBoxHook& BoxHook() {
    static TMessageBoxHook hook;
    return hook;
}
TMessagePumpHook& PumpHook() {
    static TMessagePumpHook hook;
    return hook;
}
} // namespace

TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook) { return std::exchange(BoxHook(), std::move(hook)); }

TMessagePumpHook SetMessagePumpHook(TMessagePumpHook hook) { return std::exchange(PumpHook(), std::move(hook)); }

void PlatformShowMessage(const std::string& text) {
    if (BoxHook())
        BoxHook()(text);
    else
        std::cerr << text << std::endl;
}

void PlatformProcessMessages() {
    if (PumpHook()) PumpHook()();
}

} // namespace smx
