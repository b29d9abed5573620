#pragma once
// The example gifts of "Load Sample/Example Data": two are saved, the third stays in the fields.
#include <array>

#include "giftlist/giftentry.h"

const std::array<GiftEntry, 3>& sampleEntries();
