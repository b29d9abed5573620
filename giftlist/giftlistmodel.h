#pragma once
// One category list: the records themselves, shown by a list view through this model.
#include <QAbstractTableModel>
#include <optional>
#include <vector>

#include "giftlist/giftentry.h"

class GiftListModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit GiftListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  int count() const { return static_cast<int>(entries_.size()); }
  const std::vector<GiftEntry>& entries() const { return entries_; }
  // Record at a 1-based position; throws Failure when there is none.
  const GiftEntry& at(int position) const;
  // 1-based position of the first record whose name equals `name` exactly.
  std::optional<int> findByName(const QString& name) const;
  void add(const GiftEntry& entry);
  // Replaces Likes, Present, Cost and Email of the record at a 1-based position.
  void update(int position, const GiftEntry& fields);
  void removeAt(int position);
  void clear();

  // QAbstractTableModel
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  std::vector<GiftEntry> entries_;
};
