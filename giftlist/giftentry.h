#pragma once
// A gift record, the four categories, and the rules a new record must pass.
#include <QString>
#include <array>

struct GiftEntry {
  QString name;
  QString likes;
  QString present;
  QString cost;
  QString email;

  static constexpr int kFieldCount = 5;
  static constexpr int kCostField = 3;
  // Field i in column order: Name, Likes, Present, Cost, Email.
  const QString& field(int i) const;
  QString& field(int i);
  friend bool operator==(const GiftEntry&, const GiftEntry&) = default;
};

// Column headers and widths (twips) of every list, in field order.
inline constexpr std::array<const char16_t*, 5> kColumnHeaders = {u"Name", u"Likes", u"Present",
                                                                  u"Cost", u"Email"};
inline constexpr std::array<int, 5> kColumnWidthsTwips = {2000, 2500, 2500, 1500, 2500};

// The four categories in their fixed order: Combo1's items, ListView1..4, the report's blocks.
inline constexpr int kCategoryCount = 4;
inline constexpr std::array<const char16_t*, kCategoryCount> kCategories = {
    u"Family", u"Relatives", u"Friends", u"Knowable people"};
QString categoryName(int index);
// The index of a category text (exact, case-sensitive), or -1.
int categoryIndex(const QString& text);

// The most records a list takes through saving.
inline constexpr int kMaxRecords = 22;
