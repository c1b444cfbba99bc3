// Shared, built-once artwork for the checks (building the sheet takes a while).
#pragma once

#include <string>

#include "art.h"
#include "lettering.h"
#include "raster.h"

namespace fixtures {

const artgen::lettering& font();
const artgen::rgb_image& sheet();
artgen::rgb_image frame(artgen::sprite id, int k);
// A scratch folder under the build tree, created on demand.
std::string scratch_dir();

} // namespace fixtures
