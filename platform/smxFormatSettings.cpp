#include "platform/smxFormatSettings.h"

namespace smx {

TFormatSettings& FormatSettings() {
    static TFormatSettings settings;
    return settings;
}

} // namespace smx
