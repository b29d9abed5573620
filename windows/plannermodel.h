#pragma once
// The planner's table of every entry of the four lists: List, Name, Present, Cost, Status and
// Earlier seasons. Status is the one column that can be edited; the rest follow the lists.
#include <QAbstractTableModel>
#include <vector>

class Planner;

class PlannerEntriesModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { ListColumn, NameColumn, PresentColumn, CostColumn, StatusColumn, EarlierColumn };
  static constexpr int kColumnCount = 6;
  // The text the "Find" field is matched against (name, likes, present, e-mail), in every column.
  static constexpr int FindRole = Qt::UserRole + 1;
  // The entry of a row: its list (0..3) and 1-based position.
  static constexpr int CategoryRole = Qt::UserRole + 2;
  static constexpr int PositionRole = Qt::UserRole + 3;
  // A cost the report takes for a number, as that number (nothing for a text).
  static constexpr int AmountRole = Qt::UserRole + 4;

  explicit PlannerEntriesModel(Planner& planner, QObject* parent = nullptr);

  // Rebuilds the rows from the lists (an entry added or removed) or, when they are the same
  // entries, tells the views that their texts changed.
  void follow();
  // Tells the views that the status of one entry changed.
  void followStatus(int category, const QString& name);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  struct Row {
    int category;
    int position;
  };
  std::vector<Row> currentRows() const;

  Planner& planner_;
  std::vector<Row> rows_;
};
