#pragma once
// The data files installed with the program: the country list and the category list, copied into
// the program folder on first start, and a sample engine data set that lets the program open with
// engines on a machine that cannot download them.
//
// The installed data folder is looked up in this order: $VELQUIST_DATA_DIR, then
// "<executable folder>/../share/velquist/data", then "<executable folder>/data", then the source
// tree's "data/" folder (compiled in as VELQUIST_SOURCE_DATA_DIR) for runs from a build folder.
#include <QString>

namespace modDataFiles {

// The installed data folder (ending in "/"), or the empty text when none is found.
QString installedDataFolder();

// Copies "country.vqs" and "cat.vqs" into the program folder when they are missing there.
// False when a missing file could not be copied.
bool installProgramData();

// Copies the sample engine data ("vqzeng5.dat", "catvqs.dat", "vqreng.dat" into the engine data
// folder, "top.vqs" into the program folder) when missing, or always with `force`.
// False when a file could not be copied.
bool installSampleEngineData(bool force = false);

} // namespace modDataFiles
