#include "giftlist/giftlistmodel.h"

#include "base/failure.h"

const GiftEntry& GiftListModel::at(int position) const {
  if (position < 1 || position > count())
    fail(QStringLiteral("There is no entry at position %1 of the list.").arg(position));
  return entries_[static_cast<size_t>(position - 1)];
}

std::optional<int> GiftListModel::findByName(const QString& name) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].name == name) return static_cast<int>(i) + 1;
  return std::nullopt;
}

void GiftListModel::add(const GiftEntry& entry) {
  beginInsertRows(QModelIndex(), count(), count());
  entries_.push_back(entry);
  endInsertRows();
}

void GiftListModel::update(int position, const GiftEntry& fields) {
  at(position);  // checks the position
  GiftEntry& e = entries_[static_cast<size_t>(position - 1)];
  e.likes = fields.likes;
  e.present = fields.present;
  e.cost = fields.cost;
  e.email = fields.email;
  emit dataChanged(index(position - 1, 1), index(position - 1, GiftEntry::kFieldCount - 1));
}

void GiftListModel::removeAt(int position) {
  at(position);
  beginRemoveRows(QModelIndex(), position - 1, position - 1);
  entries_.erase(entries_.begin() + (position - 1));
  endRemoveRows();
}

void GiftListModel::clear() {
  if (entries_.empty()) return;
  beginResetModel();
  entries_.clear();
  endResetModel();
}

int GiftListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : count();
}

int GiftListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : GiftEntry::kFieldCount;
}

QVariant GiftListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= count()) return {};
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const QString& text = entries_[static_cast<size_t>(index.row())].field(index.column());
  // A view shows at most a screenful of one field; the record keeps all of it.
  if (role == Qt::DisplayRole && text.size() > 1000) return text.left(1000) + QChar(0x2026);
  return text;
}

QVariant GiftListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= GiftEntry::kFieldCount) return {};
  return QString::fromUtf16(kColumnHeaders[static_cast<size_t>(section)]);
}
