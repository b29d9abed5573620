#include "windows/plannermodel.h"

#include <QApplication>
#include <QColor>
#include <QLocale>
#include <QPalette>

#include "base/trap.h"
#include "giftlist/giftbook.h"
#include "planner/planner.h"
#include "report/reporttotal.h"
#include "windows/plannercolors.h"

PlannerEntriesModel::PlannerEntriesModel(Planner& planner, QObject* parent)
    : QAbstractTableModel(parent), planner_(planner), rows_(currentRows()) {}

std::vector<PlannerEntriesModel::Row> PlannerEntriesModel::currentRows() const {
  std::vector<Row> rows;
  for (int c = 0; c < kCategoryCount; ++c)
    for (int p = 1; p <= planner_.book().list(c).count(); ++p) rows.push_back({c, p});
  return rows;
}

void PlannerEntriesModel::follow() {
  std::vector<Row> rows = currentRows();
  const bool same = rows.size() == rows_.size() &&
                    std::equal(rows.begin(), rows.end(), rows_.begin(), [](Row a, Row b) {
                      return a.category == b.category && a.position == b.position;
                    });
  if (same) {
    if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
    return;
  }
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

void PlannerEntriesModel::followStatus(int category, const QString& name) {
  for (size_t r = 0; r < rows_.size(); ++r) {
    const Row row = rows_[r];
    const GiftListModel& list = planner_.book().list(row.category);
    if (row.category == category && row.position <= list.count() &&
        list.at(row.position).name == name)
      emit dataChanged(index(int(r), StatusColumn), index(int(r), StatusColumn));
  }
}

int PlannerEntriesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int PlannerEntriesModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant PlannerEntriesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const Row row = rows_[size_t(index.row())];
  const GiftListModel& list = planner_.book().list(row.category);
  if (row.position > list.count()) return {};
  const GiftEntry& entry = list.at(row.position);
  const GiftStatus status = planner_.status(row.category, entry.name);
  switch (role) {
    case FindRole:
      return QStringList{entry.name, entry.likes, entry.present, entry.email}.join(u'\n');
    case CategoryRole:
      return row.category;
    case PositionRole:
      return row.position;
    case AmountRole:
      if (const auto amount = report::costAsNumber(entry.cost)) return *amount;
      return {};
    case Qt::EditRole:
      if (index.column() == StatusColumn) return static_cast<int>(status);
      break;
    case Qt::ForegroundRole:
      if (index.column() == EarlierColumn && !planner_.repeatedIn(row.category, entry).isEmpty())
        return plannerWarningColor(QApplication::palette());
      return {};
    case Qt::TextAlignmentRole:
      if (index.column() == CostColumn) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
      break;
    default:
      return {};
  }
  auto shortened = [role](const QString& text) {
    return role == Qt::DisplayRole && text.size() > 200 ? text.left(200) + QChar(0x2026) : text;
  };
  switch (index.column()) {
    case ListColumn:
      return categoryName(row.category);
    case NameColumn:
      return shortened(entry.name);
    case PresentColumn:
      return shortened(entry.present);
    case CostColumn: {
      // A cost the report takes for a number is shown as the report shows amounts.
      if (const auto amount = report::costAsNumber(entry.cost))
        return report::currencyText(*amount);
      return shortened(entry.cost);
    }
    case StatusColumn:
      return statusText(status);
    case EarlierColumn: {
      QString text = Planner::earlierText(planner_.earlier(row.category, entry.name));
      if (const QString season = planner_.repeatedIn(row.category, entry); !season.isEmpty())
        text = QStringLiteral("given in %1 too \u2014 %2").arg(season, text);
      return shortened(text);
    }
    default:
      return {};
  }
}

bool PlannerEntriesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || index.column() != StatusColumn || index.row() >= rowCount())
    return false;
  const Row row = rows_[size_t(index.row())];
  const int chosen = value.toInt();
  if (chosen < 0 || chosen >= kStatusCount) return false;
  Trap trap{QStringLiteral("Planner"), QStringLiteral("Status_Change")};
  return trap(100, [&] {
    planner_.setStatus(row.category, planner_.book().list(row.category).at(row.position).name,
                       kStatuses[size_t(chosen)]);
  });
}

Qt::ItemFlags PlannerEntriesModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (index.column() == StatusColumn) f |= Qt::ItemIsEditable;
  return f;
}

QVariant PlannerEntriesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const headers[kColumnCount] = {"List", "Name",   "Present",
                                                    "Cost", "Status", "Earlier seasons"};
  return section >= 0 && section < kColumnCount ? QString::fromLatin1(headers[section])
                                                : QVariant();
}
