#include "giftlist/giftentry.h"

const QString& GiftEntry::field(int i) const {
  switch (i) {
    case 0:
      return name;
    case 1:
      return likes;
    case 2:
      return present;
    case 3:
      return cost;
    default:
      return email;
  }
}

QString& GiftEntry::field(int i) {
  return const_cast<QString&>(static_cast<const GiftEntry&>(*this).field(i));
}

QString categoryName(int index) {
  return QString::fromUtf16(kCategories.at(index));
}

int categoryIndex(const QString& text) {
  for (int i = 0; i < kCategoryCount; ++i)
    if (text == QString::fromUtf16(kCategories[i])) return i;
  return -1;
}
