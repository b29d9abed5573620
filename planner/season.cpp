#include "planner/season.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "base/failure.h"

namespace {

// The status words of the file, in the order of kStatuses.
constexpr std::array<const char*, kStatusCount> kStatusKeys = {"to buy", "bought", "wrapped",
                                                               "given"};
constexpr std::array<const char*, GiftEntry::kFieldCount> kFieldKeys = {"name", "likes", "present",
                                                                        "cost", "email"};

QString statusKey(GiftStatus status) {
  return QString::fromLatin1(kStatusKeys[static_cast<size_t>(status)]);
}

[[noreturn]] void damaged(const QString& what) {
  fail(QStringLiteral("it is not a planner file this version can read (%1)").arg(what));
}

GiftStatus statusFromValue(const QJsonValue& value) {
  for (size_t i = 0; i < kStatusKeys.size(); ++i)
    if (value.toString() == QLatin1String(kStatusKeys[i])) return kStatuses[i];
  damaged(QStringLiteral("an unknown status"));
}

QJsonObject object(const QJsonValue& value, const QString& what) {
  if (!value.isObject()) damaged(what + QStringLiteral(" is not an object"));
  return value.toObject();
}

QJsonValue budgetsValue(const Budgets& budgets) {
  QJsonObject result;
  for (int c = 0; c < kCategoryCount; ++c)
    if (budgets[size_t(c)]) result.insert(categoryName(c), *budgets[size_t(c)]);
  return result;
}

// Every key of a per-list object names a list.
template <typename Each>
void forEachList(const QJsonObject& lists, const QString& what, Each&& each) {
  for (auto it = lists.begin(); it != lists.end(); ++it) {
    const int category = categoryIndex(it.key());
    if (category < 0) damaged(what + QStringLiteral(" of an unknown list"));
    each(category, it.value());
  }
}

Budgets readBudgets(const QJsonValue& value) {
  Budgets budgets;
  if (value.isUndefined()) return budgets;
  forEachList(object(value, QStringLiteral("a budget")), QStringLiteral("a budget"),
              [&](int category, const QJsonValue& amount) {
                const double v = amount.toDouble(-1);
                if (!amount.isDouble() || !std::isfinite(v) || v < 0)
                  damaged(QStringLiteral("a budget that is not an amount"));
                budgets[size_t(category)] = v;
              });
  return budgets;
}

}  // namespace

QString statusText(GiftStatus status) {
  switch (status) {
    case GiftStatus::ToBuy:
      return QStringLiteral("To buy");
    case GiftStatus::Bought:
      return QStringLiteral("Bought");
    case GiftStatus::Wrapped:
      return QStringLiteral("Wrapped");
    case GiftStatus::Given:
      return QStringLiteral("Given");
  }
  return {};
}

QByteArray plannerFileBytes(const PlannerData& data) {
  QJsonObject root;
  root.insert(QStringLiteral("format"), QString::fromLatin1(kPlannerFormat));
  root.insert(QStringLiteral("version"), kPlannerVersion);
  root.insert(QStringLiteral("budgets"), budgetsValue(data.budgets));
  QJsonObject statuses;
  for (int c = 0; c < kCategoryCount; ++c) {
    if (data.statuses[size_t(c)].isEmpty()) continue;
    QJsonObject ofList;
    for (auto it = data.statuses[size_t(c)].begin(); it != data.statuses[size_t(c)].end(); ++it)
      ofList.insert(it.key(), statusKey(it.value()));
    statuses.insert(categoryName(c), ofList);
  }
  root.insert(QStringLiteral("statuses"), statuses);
  QJsonArray seasons;
  for (const KeptSeason& season : data.seasons) {
    QJsonObject s;
    s.insert(QStringLiteral("season"), season.name);
    s.insert(QStringLiteral("kept"), season.keptOn);
    s.insert(QStringLiteral("workbook"), season.workbook);
    s.insert(QStringLiteral("budgets"), budgetsValue(season.budgets));
    if (season.spent) {
      QJsonObject spent;
      for (int c = 0; c < kCategoryCount; ++c) {
        const report::ReportTotal& total = (*season.spent)[size_t(c)];
        spent.insert(categoryName(c), total.isError() ? QJsonValue(total.error) : total.value);
      }
      s.insert(QStringLiteral("spent"), spent);
    }
    QJsonObject lists;
    for (int c = 0; c < kCategoryCount; ++c) {
      QJsonArray entries;
      for (const KeptEntry& kept : season.lists[size_t(c)]) {
        QJsonObject e;
        for (int f = 0; f < GiftEntry::kFieldCount; ++f)
          e.insert(QString::fromLatin1(kFieldKeys[size_t(f)]), kept.entry.field(f));
        e.insert(QStringLiteral("status"), statusKey(kept.status));
        entries.append(e);
      }
      lists.insert(categoryName(c), entries);
    }
    s.insert(QStringLiteral("lists"), lists);
    seasons.append(s);
  }
  root.insert(QStringLiteral("seasons"), seasons);
  return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

PlannerData readPlannerFile(const QByteArray& bytes) {
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
  if (error.error != QJsonParseError::NoError)
    damaged(QStringLiteral("no JSON: %1 at byte %2").arg(error.errorString()).arg(error.offset));
  if (!document.isObject()) damaged(QStringLiteral("no object"));
  const QJsonObject root = document.object();
  if (root.value(QStringLiteral("format")).toString() != QLatin1String(kPlannerFormat))
    damaged(QStringLiteral("another format"));
  const QJsonValue version = root.value(QStringLiteral("version"));
  if (version.isDouble() && version.toDouble() > kPlannerVersion)
    throw NewerPlannerFile(QStringLiteral("it was written by a newer Tinselwick (version %1 of "
                                          "the file; this version reads version %2)")
                               .arg(version.toDouble())
                               .arg(kPlannerVersion));
  if (!version.isDouble() || version.toDouble() != kPlannerVersion)
    damaged(QStringLiteral("version %1; this version reads version %2")
                .arg(version.toVariant().toString())
                .arg(kPlannerVersion));

  PlannerData data;
  data.budgets = readBudgets(root.value(QStringLiteral("budgets")));
  const QJsonValue statuses = root.value(QStringLiteral("statuses"));
  if (!statuses.isUndefined())
    forEachList(object(statuses, QStringLiteral("the statuses")), QStringLiteral("statuses"),
                [&](int category, const QJsonValue& ofList) {
                  const QJsonObject names = object(ofList, QStringLiteral("the statuses"));
                  for (auto it = names.begin(); it != names.end(); ++it) {
                    const GiftStatus status = statusFromValue(it.value());
                    if (status != GiftStatus::ToBuy)
                      data.statuses[size_t(category)][it.key()] = status;
                  }
                });
  const QJsonValue seasons = root.value(QStringLiteral("seasons"));
  if (!seasons.isUndefined() && !seasons.isArray())
    damaged(QStringLiteral("the seasons are not a list"));
  for (const QJsonValue& value : seasons.toArray()) {
    const QJsonObject s = object(value, QStringLiteral("a season"));
    KeptSeason season;
    for (auto [key, target] : {std::pair{"season", &season.name}, std::pair{"kept", &season.keptOn},
                               std::pair{"workbook", &season.workbook}}) {
      const QJsonValue text = s.value(QLatin1String(key));
      if (!text.isString()) damaged(QStringLiteral("a season without its %1").arg(key));
      *target = text.toString();
    }
    if (season.name.trimmed().isEmpty()) damaged(QStringLiteral("a season without a name"));
    // The workbook is a report workbook of the seasons folder, never a path to anywhere else.
    if (!season.workbook.isEmpty() &&
        (season.workbook.contains(QChar(u'/')) || season.workbook.startsWith(QChar(u'.')) ||
         season.workbook.contains(QChar(u'\0')) ||
         !season.workbook.endsWith(QLatin1String(".xls"))))
      damaged(QStringLiteral("a season's workbook outside the seasons folder"));
    for (const KeptSeason& other : data.seasons)
      if (other.name.compare(season.name, Qt::CaseInsensitive) == 0 ||
          (!season.workbook.isEmpty() && other.workbook == season.workbook))
        damaged(QStringLiteral("two seasons named \"%1\"").arg(season.name));
    const QJsonValue spent = s.value(QStringLiteral("spent"));
    if (!spent.isUndefined()) {
      report::ReportTotals totals;
      forEachList(object(spent, QStringLiteral("a season's spending")),
                  QStringLiteral("a season's spending"), [&](int category, const QJsonValue& v) {
                    if (v.isDouble() && std::isfinite(v.toDouble()))
                      totals[size_t(category)].value = v.toDouble();
                    else if (v.isString() && !v.toString().isEmpty())
                      totals[size_t(category)].error = v.toString();
                    else
                      damaged(QStringLiteral("a season's spending that is no amount"));
                  });
      season.spent = totals;
    }
    season.budgets = readBudgets(s.value(QStringLiteral("budgets")));
    forEachList(
        object(s.value(QStringLiteral("lists")), QStringLiteral("a season's lists")),
        QStringLiteral("a season's entries"), [&](int category, const QJsonValue& list) {
          if (!list.isArray()) damaged(QStringLiteral("a season's list is not a list"));
          for (const QJsonValue& e : list.toArray()) {
            const QJsonObject fields = object(e, QStringLiteral("a season's entry"));
            KeptEntry kept;
            for (int f = 0; f < GiftEntry::kFieldCount; ++f) {
              const QJsonValue field = fields.value(QLatin1String(kFieldKeys[size_t(f)]));
              if (!field.isString())
                damaged(QStringLiteral("an entry without its %1").arg(kFieldKeys[size_t(f)]));
              kept.entry.field(f) = field.toString();
            }
            kept.status = statusFromValue(fields.value(QStringLiteral("status")));
            season.lists[size_t(category)].push_back(kept);
          }
        });
    data.seasons.push_back(season);
  }
  return data;
}
