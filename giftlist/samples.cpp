#include "giftlist/samples.h"

const std::array<GiftEntry, 3>& sampleEntries() {
  static const std::array<GiftEntry, 3> samples = {
      GiftEntry{QStringLiteral("Mom"), QStringLiteral("gardening, homemade crafts"),
                QStringLiteral("Ryka Walking Shoes"), QStringLiteral("$89"), QString()},
      GiftEntry{QStringLiteral("Dad"), QString(), QStringLiteral("Mach 3 Razors"),
                QStringLiteral("$30"), QString()},
      GiftEntry{QStringLiteral("Aunt"), QString(),
                QStringLiteral("$50 Gift Cert To Vermont Country Store"), QStringLiteral("$30"),
                QStringLiteral("aunt.margaret@example.com")},
  };
  return samples;
}
