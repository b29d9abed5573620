#include "planner/planner.h"

#include <sys/stat.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "base/failure.h"
#include "base/files.h"
#include "base/trap.h"
#include "giftlist/giftbook.h"
#include "report/reportjob.h"
#include "report/reportworkbook.h"

Planner::Planner(GiftBook& book, QString folder) : book_(book), folder_(std::move(folder)) {
  for (int category = 0; category < kCategoryCount; ++category) {
    GiftListModel& list = book_.list(category);
    // A status belongs to an entry by its list and exact name: an entry that goes takes its
    // status with it, and a name added anew starts at "To buy".
    auto going = [this, category, &list](int first, int last) {
      for (int row = first; row <= last; ++row) going_[size_t(category)] << list.at(row + 1).name;
    };
    connect(&list, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [going](const QModelIndex&, int first, int last) { going(first, last); });
    connect(&list, &QAbstractItemModel::modelAboutToBeReset, this,
            [going, &list] { going(0, list.count() - 1); });
    auto gone = [this, category] {
      forgetEntries(category, std::exchange(going_[size_t(category)], {}));
    };
    connect(&list, &QAbstractItemModel::rowsRemoved, this, gone);
    connect(&list, &QAbstractItemModel::modelReset, this, gone);
    auto follow = [this] {
      if (following_) emit changed();
    };
    connect(&list, &QAbstractItemModel::rowsInserted, this, follow);
    connect(&list, &QAbstractItemModel::dataChanged, this, follow);
  }
}

QString Planner::dataFolder() {
  // The organisation and program names are written out: the application name changes with the
  // title the program shows.
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/Quillmoor/Tinselwick");
}

QString Planner::file() const {
  return folder_ + QStringLiteral("/planner.json");
}

QString Planner::seasonsFolder() const {
  return folder_ + QStringLiteral("/seasons");
}

QString Planner::load(Damaged damaged) {
  data_ = {};
  unreadable_.clear();
  emit changed();
  if (!NameTaken(file())) return {};
  QString why;
  const std::optional<QByteArray> bytes = readFile(file(), kPlannerFileLimit + 1, why);
  if (!bytes) {
    unreadable_ = why;
    return QStringLiteral(
               "The planner file '%1' cannot be read: %2\nThe planner is empty for "
               "now, and the file is left as it is; the gift lists are not affected.")
        .arg(file(), why);
  }
  try {
    if (bytes->size() > kPlannerFileLimit) fail(QStringLiteral("it is larger than 64 MiB"));
    data_ = readPlannerFile(*bytes);
    emit changed();
    return {};
  } catch (const NewerPlannerFile& newer) {
    // A newer Tinselwick's file stays as it is, for that version to read again.
    unreadable_ = QString::fromUtf8(newer.what());
    return QStringLiteral(
               "The planner file '%1' cannot be read: %2. The planner is empty for "
               "now, and the file is left as it is; the gift lists are not affected.")
        .arg(file(), unreadable_);
  } catch (const Failure& failure) {
    const QString reason = QString::fromUtf8(failure.what());
    if (damaged == Damaged::LeaveAlone) {
      unreadable_ = reason;
      return QStringLiteral("The planner file '%1' is damaged: %2.").arg(file(), reason);
    }
    QString kept = file() + QStringLiteral(".damaged");
    for (int n = 2; NameTaken(kept) && n < 1000; ++n)
      kept = file() + QStringLiteral(".damaged-%1").arg(n);
    if (NameTaken(kept) || !QFile::rename(file(), kept)) {
      unreadable_ = reason;
      return QStringLiteral(
                 "The planner file '%1' is damaged: %2. It cannot be kept aside, so "
                 "the planner is empty for now and the file is left as it is; the "
                 "gift lists are not affected.")
          .arg(file(), reason);
    }
    return QStringLiteral(
               "The planner file '%1' is damaged: %2. It has been kept as '%3', and "
               "the planner starts empty; the gift lists are not affected.")
        .arg(file(), reason, kept);
  }
}

void Planner::store() {
  pending_ = true;
  if (!unreadable_.isEmpty())
    fail(QStringLiteral("The planner file '%1' could not be read when Tinselwick started (%2), so "
                        "it is not written over.")
             .arg(file(), unreadable_));
  const QByteArray bytes = plannerFileBytes(data_);
  // A file this program would refuse to read again is never written.
  if (bytes.size() > kPlannerFileLimit)
    fail(QStringLiteral("The planner would need more than 64 MiB; the change is not stored."));
  createPrivateFolders(folder_);
  writeFileAtomically(file(), bytes, FileAccess::Private);
  pending_ = false;
}

QString Planner::storeWhatIsPending() {
  if (!pending_) return {};
  try {
    store();
    return {};
  } catch (const Failure& failure) {
    return QString::fromUtf8(failure.what());
  }
}

GiftStatus Planner::status(int category, const QString& name) const {
  return data_.statuses[size_t(category)].value(name, GiftStatus::ToBuy);
}

void Planner::setStatus(int category, const QString& name, GiftStatus status) {
  if (!book_.list(category).findByName(name))
    fail(QStringLiteral("%1 has no entry named \"%2\".")
             .arg(categoryName(category), name.left(100)));
  if (this->status(category, name) == status) return;
  if (status == GiftStatus::ToBuy)
    data_.statuses[size_t(category)].remove(name);
  else
    data_.statuses[size_t(category)].insert(name, status);
  emit statusChanged(category, name);
  store();
}

void Planner::setBudget(int category, std::optional<double> budget) {
  if (budget && (!std::isfinite(*budget) || *budget < 0))
    fail(QStringLiteral("A budget is an amount of 0 or more."));
  if (data_.budgets[size_t(category)] == budget) return;
  data_.budgets[size_t(category)] = budget;
  emit changed();
  store();
}

void Planner::forgetEntries(int category, const QStringList& names) {
  if (replacing_) return;
  // Only the names that went, and only when no entry of the list has the name still.
  QHash<QString, GiftStatus>& statuses = data_.statuses[size_t(category)];
  const GiftListModel& list = book_.list(category);
  bool forgotten = false;
  for (const QString& name : names)
    if (!list.findByName(name) && statuses.remove(name) > 0) forgotten = true;
  if (following_) emit changed();
  // The list itself changed as the person asked; a planner file that cannot be written now is
  // written with the next change, or at the close.
  if (forgotten) try {
      store();
    } catch (const Failure&) {
    }
}

report::ReportTotals Planner::spent() const {
  report::ListsOfReport lists;
  for (int c = 0; c < kCategoryCount; ++c) lists[size_t(c)] = &book_.list(c).entries();
  return report::reportTotals(lists);
}

report::ReportTotals Planner::spent(const KeptSeason& season) {
  if (season.spent) return *season.spent;
  std::array<std::vector<GiftEntry>, kCategoryCount> entries;
  report::ListsOfReport lists;
  for (int c = 0; c < kCategoryCount; ++c) {
    for (const KeptEntry& kept : season.lists[size_t(c)]) entries[size_t(c)].push_back(kept.entry);
    lists[size_t(c)] = &entries[size_t(c)];
  }
  return report::reportTotals(lists);
}

double Planner::left(double budget, double spent) {
  return std::round((budget - spent) * 100) / 100 + 0.0;  // + 0.0: never a negative zero
}

std::array<int, kStatusCount> Planner::statusCounts(int category) const {
  std::array<int, kStatusCount> counts{};
  for (const GiftEntry& entry : book_.list(category).entries())
    ++counts[size_t(status(category, entry.name))];
  return counts;
}

std::vector<Planner::Earlier> Planner::earlier(int category, const QString& name) const {
  std::vector<Earlier> found;
  for (auto season = data_.seasons.rbegin(); season != data_.seasons.rend(); ++season)
    for (const KeptEntry& kept : season->lists[size_t(category)])
      if (kept.entry.name == name) {
        found.push_back({&*season, &kept});
        break;
      }
  return found;
}

QString Planner::earlierText(const std::vector<Earlier>& earlier) {
  QStringList parts;
  for (const Earlier& e : earlier) {
    QStringList gift;
    if (!e.kept->entry.present.trimmed().isEmpty()) gift << e.kept->entry.present.trimmed();
    if (!e.kept->entry.cost.trimmed().isEmpty()) gift << e.kept->entry.cost.trimmed();
    parts << QStringLiteral("%1: %2").arg(
        e.season->name, gift.isEmpty() ? QStringLiteral("no present") : gift.join(u", "));
  }
  return parts.join(u"; ");
}

QString Planner::repeatedIn(int category, const GiftEntry& entry) const {
  const QString present = entry.present.trimmed();
  if (present.isEmpty()) return {};
  for (const Earlier& e : earlier(category, entry.name))
    if (e.kept->entry.present.trimmed().compare(present, Qt::CaseInsensitive) == 0)
      return e.season->name;
  return {};
}

QString Planner::seasonNameRefusal(const QString& name) const {
  const QString trimmed = name.trimmed();
  if (trimmed.isEmpty()) return QStringLiteral("A season needs a name, such as the year.");
  for (const KeptSeason& season : data_.seasons)
    if (season.name.compare(trimmed, Qt::CaseInsensitive) == 0)
      return QStringLiteral("A season named \"%1\" is kept already; give this one another name.")
          .arg(season.name);
  return {};
}

QString Planner::seasonWorkbook(const KeptSeason& season) const {
  return season.workbook.isEmpty() ? QString() : seasonsFolder() + QChar(u'/') + season.workbook;
}

void Planner::keepSeason(const QString& name, const QString& workbook) {
  keep(name, workbook, nullptr);
}

void Planner::keep(const QString& name, const QString& workbook, const ImportedLists* opened) {
  if (const QString refusal = seasonNameRefusal(name); !refusal.isEmpty()) fail(refusal);
  KeptSeason season;
  season.name = name.trimmed();
  season.keptOn = QDateTime::currentDateTime().toString(Qt::ISODate);
  season.budgets = data_.budgets;
  for (int c = 0; c < kCategoryCount; ++c)
    for (const GiftEntry& entry : book_.list(c).entries())
      season.lists[size_t(c)].push_back({entry, status(c, entry.name)});

  // The workbook first, under a name of its own: a file name from the season's name, without
  // anything a file name cannot hold.
  QString base;
  for (const QChar ch : season.name)
    base += ch.isLetterOrNumber() || ch == u'-' || ch == u'_' ? ch : QChar(u'_');
  base = base.left(40);
  createPrivateFolders(seasonsFolder());
  // A name no file and no kept season has (a season's workbook may have been removed).
  auto taken = [this](const QString& path) {
    for (const KeptSeason& kept : data_.seasons)
      if (seasonWorkbook(kept) == path) return true;
    return NameTaken(path);
  };
  QString target = seasonsFolder() + QStringLiteral("/%1.xls").arg(base);
  for (int n = 2; taken(target); ++n)
    target = seasonsFolder() + QStringLiteral("/%1-%2.xls").arg(base).arg(n);
  writeNaming(QStringLiteral("the season's workbook"),
              [&] { copyFile(workbook, target, FileAccess::Private); });
  // Nothing of a kept season changes afterwards; a spreadsheet program opens it read-only.
  ::chmod(QFile::encodeName(target).constData(), 0400);
  season.workbook = QFileInfo(target).fileName();
  season.spent = spent();

  const PlannerData before = data_;
  const bool pendingBefore = pending_;
  data_.seasons.push_back(season);
  // A new season starts with no statuses; lists opened from a file get theirs once they are
  // stored (openLists()), so that until then the stored statuses are those of the stored lists.
  if (!opened)
    for (auto& statuses : data_.statuses) statuses.clear();
  try {
    store();
  } catch (...) {
    data_ = before;
    pending_ = pendingBefore;
    DeleteFileQuietly(target);
    throw;
  }
  following_ = false;
  if (opened) {
    replaceLists(*opened);
  } else {
    // The new season: every entry keeps its name, likes and e-mail address.
    for (int c = 0; c < kCategoryCount; ++c) {
      GiftListModel& list = book_.list(c);
      for (int position = 1; position <= list.count(); ++position) {
        GiftEntry fields = list.at(position);
        fields.present.clear();
        fields.cost.clear();
        list.update(position, fields);
      }
    }
  }
  following_ = true;
  emit changed();
}

void Planner::replaceLists(const ImportedLists& opened) {
  // The statuses are openLists()' to set: clearing a list forgets none of them here.
  replacing_ = true;
  for (int c = 0; c < kCategoryCount; ++c) {
    GiftListModel& list = book_.list(c);
    list.clear();
    for (const GiftEntry& entry : opened.lists[size_t(c)]) list.add(entry);
  }
  replacing_ = false;
}

void Planner::startNewSeason(const QString& name) {
  keepWithReport(name, nullptr);
}

QString Planner::openLists(const ImportedLists& file, const QString& seasonName) {
  // A file without statuses (a report, perhaps the person's own, edited in a spreadsheet program)
  // leaves a gift its status where the list and the entry's name and present are the same.
  ImportedLists opened = file;
  if (!file.hasStatuses)
    for (int c = 0; c < kCategoryCount; ++c)
      for (const GiftEntry& entry : opened.lists[size_t(c)]) {
        const std::optional<int> now = book_.list(c).findByName(entry.name);
        const GiftStatus s = status(c, entry.name);
        if (now && s != GiftStatus::ToBuy && !entry.present.trimmed().isEmpty() &&
            book_.list(c).at(*now).present.trimmed() == entry.present.trimmed())
          opened.statuses[size_t(c)].insert(entry.name, s);
      }
  bool anyEntry = false;
  for (int c = 0; c < kCategoryCount; ++c) anyEntry = anyEntry || book_.list(c).count() > 0;
  bool stored = false;
  if (anyEntry) {
    stored = keepWithReport(seasonName, &opened);
  } else {
    // Nothing to keep: empty lists have no statuses either.
    following_ = false;
    replaceLists(opened);
    following_ = true;
    emit changed();
    stored = book_.store();
  }
  data_.statuses = opened.statuses;
  emit changed();
  if (!stored) {
    // The windows store the lists again as they close, and the statuses after them.
    pending_ = true;
    return QStringLiteral("The new lists could not be stored (the message before says why).");
  }
  try {
    store();
  } catch (const Failure& failure) {
    return QStringLiteral("The new lists are stored, but their statuses could not be: %1")
        .arg(QString::fromUtf8(failure.what()));
  }
  return {};
}

QString Planner::seasonNameBeforeOpening(const QString& fileName) const {
  const QString base = QStringLiteral("Before opening %1").arg(fileName.left(80));
  QString name = base;
  for (int n = 2; !seasonNameRefusal(name).isEmpty(); ++n)
    name = QStringLiteral("%1 (%2)").arg(base, QString::number(n));
  return name;
}

bool Planner::keepWithReport(const QString& name, const ImportedLists* opened) {
  if (const QString refusal = seasonNameRefusal(name); !refusal.isEmpty()) fail(refusal);
  if (keeping_) fail(QStringLiteral("A season is being kept already."));
  keeping_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{keeping_};
  // The lists as the report is made of them: the run lets the windows work while it removes its
  // files, and what is kept must be what the workbook shows.
  std::array<std::vector<GiftEntry>, kCategoryCount> before;
  for (int c = 0; c < kCategoryCount; ++c) before[size_t(c)] = book_.list(c).entries();
  const auto statusesBefore = data_.statuses;
  report::WorkbookHandOver handOver;
  const int errorsBefore = applicationErrorCount();
  report::GenerateReport0(book_, handOver, 1);
  if (applicationErrorCount() != errorsBefore || handOver.workbookPath().isEmpty())
    fail(
        QStringLiteral("The season was not kept, because its report workbook could not be made "
                       "(the messages before say why). Nothing has changed."));
  for (int c = 0; c < kCategoryCount; ++c)
    if (book_.list(c).entries() != before[size_t(c)] || data_.statuses != statusesBefore)
      fail(
          QStringLiteral("The season was not kept, because the lists changed while its report "
                         "was made. Nothing has changed; try again."));
  keep(name, handOver.workbookPath(), opened);
  // The new lists are stored at once, so that the stored lists and the planner file agree
  // even if the program never closes as it should; a store that fails is said so and tried again
  // at the close.
  return book_.store();
}
