#pragma once

#include <vector>

#include "witness/witness_format.h"

namespace kest {

class TLogViewerCore;

// The tablet's curves as the live witness's layout: a column for each curve column
// of `viewer` showing a track of `header`, with its scale (NegScale..Scale), its
// pen's colour and its width on the screen. Other columns are left out.
std::vector<WitnessColumn> WitnessLayout(const TLogViewerCore& viewer, const WitnessHeader& header);

}  // namespace kest
