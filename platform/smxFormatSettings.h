// Program-wide format settings: the separators that number and date texts are written with.
// The table data comparer sets decimal and date separators to "." for a run and restores them.
#pragma once

namespace smx {

struct TFormatSettings {
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    char DateSeparator = '/';
    char TimeSeparator = ':';
};

/// The settings in force (one instance for the program).
TFormatSettings& FormatSettings();

} // namespace smx
