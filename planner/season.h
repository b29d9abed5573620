#pragma once
// What the planner keeps beside the gift lists: a budget per list, the status of each gift, and
// the seasons kept whole, with the file that holds them all.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "base/failure.h"
#include "giftlist/giftentry.h"
#include "report/reporttotal.h"

// Where a gift is, from the first idea to Christmas Day.
enum class GiftStatus { ToBuy, Bought, Wrapped, Given };
inline constexpr int kStatusCount = 4;
inline constexpr std::array<GiftStatus, kStatusCount> kStatuses = {
    GiftStatus::ToBuy, GiftStatus::Bought, GiftStatus::Wrapped, GiftStatus::Given};
// "To buy", "Bought", "Wrapped", "Given".
QString statusText(GiftStatus status);

// A budget per list; none where the person set none.
using Budgets = std::array<std::optional<double>, kCategoryCount>;

struct KeptEntry {
  GiftEntry entry;
  GiftStatus status = GiftStatus::ToBuy;
  friend bool operator==(const KeptEntry&, const KeptEntry&) = default;
};

// A season as it was kept: its four lists with their statuses, its budgets, and its report
// workbook (a file name in the planner's seasons folder).
struct KeptSeason {
  QString name;    // "2025"
  QString keptOn;  // when it was kept, ISO 8601 in local time
  Budgets budgets;
  std::array<std::vector<KeptEntry>, kCategoryCount> lists;
  QString workbook;
  // What each list had spent, as its report's totals said when it was kept (a file without them
  // has them computed again).
  std::optional<report::ReportTotals> spent;
  friend bool operator==(const KeptSeason&, const KeptSeason&) = default;
};

struct PlannerData {
  Budgets budgets;
  // The status of each entry that is not "To buy", by list and exact name.
  std::array<QHash<QString, GiftStatus>, kCategoryCount> statuses;
  std::vector<KeptSeason> seasons;  // in the order they were kept, the newest last
  friend bool operator==(const PlannerData&, const PlannerData&) = default;
};

// The planner file's format and the one version this program writes.
inline constexpr char kPlannerFormat[] = "Tinselwick planner";
inline constexpr int kPlannerVersion = 1;
// The most bytes a planner file may have.
inline constexpr qint64 kPlannerFileLimit = 64 * 1024 * 1024;

QByteArray plannerFileBytes(const PlannerData& data);
// A planner file of a newer version than this program reads.
class NewerPlannerFile : public Failure {
 public:
  using Failure::Failure;
};
// Reads a planner file; throws Failure saying what is wrong with it (no JSON, another format, a
// value of the wrong kind, a list or status that does not exist, two seasons of one name, a
// workbook that is no .xls of the seasons folder), NewerPlannerFile for a newer version.
PlannerData readPlannerFile(const QByteArray& bytes);
