#include "foundation/smxMsg.h"

#include "platform/smxUIHooks.h"

namespace smx {

void ShowMessageBox(const std::string& Text) { PlatformShowMessage(Text); }

void ProcessMessages() { PlatformProcessMessages(); }

} // namespace smx
