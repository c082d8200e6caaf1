// Seeds of the fuzz targets at the device and message boundaries: the
// keyboard's reports, the hid backend's input, the message endpoints'
// frames and KelmEmu's wire.
#pragma once

#include <string>

namespace kelm::fuzz {

// Writes them below folder (ending in '/'), one subfolder per target.
bool WriteBoundarySeeds(const std::string& folder);

}  // namespace kelm::fuzz
