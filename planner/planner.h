#pragma once
// The season planner: budgets, the status of each gift and the kept seasons, over the gift
// book's four lists. It follows every change of the lists at once and stores its own file, in
// the program's data folder, as soon as anything in it changes; the stored lists never hold any
// of it.
#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

#include "planner/importlists.h"
#include "planner/season.h"
#include "report/reporttotal.h"

class GiftBook;

class Planner final : public QObject {
  Q_OBJECT
 public:
  // The planner of the gift book, its file in `folder` (the program's data folder by default).
  explicit Planner(GiftBook& book, QString folder = dataFolder());

  // The program's data folder: the application data location of Quillmoor's Tinselwick.
  static QString dataFolder();
  QString file() const;           // <folder>/planner.json
  QString seasonsFolder() const;  // <folder>/seasons

  // Reads the planner file; a missing one is an empty planner. Returns what the person is to be
  // told, empty when nothing. A damaged file is kept beside under a free name (KeepAside, for the
  // windows) or left where it is (LeaveAlone, a run without windows that stores nothing); either
  // way the planner is empty and the gift lists are untouched. A file that cannot be read at all
  // is never written over.
  enum class Damaged { KeepAside, LeaveAlone };
  QString load(Damaged damaged);

  const PlannerData& data() const { return data_; }
  const GiftBook& book() const { return book_; }

  GiftStatus status(int category, const QString& name) const;
  // The changes below are stored at once; a store that fails throws Failure and the change stays,
  // to be stored with the next one.
  void setStatus(int category, const QString& name, GiftStatus status);
  void setBudget(int category, std::optional<double> budget);

  // Stores what a failed store left unstored, as the program ends; returns why it cannot, or
  // nothing when everything is stored.
  QString storeWhatIsPending();

  // What each list has spent: exactly the report's "Total cost" of it.
  report::ReportTotals spent() const;
  // The same of a kept season's lists, as they were when it was kept.
  static report::ReportTotals spent(const KeptSeason& season);
  std::array<int, kStatusCount> statusCounts(int category) const;

  // What the same name in the same list got in each kept season, the newest first.
  struct Earlier {
    const KeptSeason* season;
    const KeptEntry* kept;
  };
  std::vector<Earlier> earlier(int category, const QString& name) const;
  // "2025: Ryka Walking Shoes, $89; 2024: Scarf"
  static QString earlierText(const std::vector<Earlier>& earlier);
  // The newest kept season in which the same person got the present this entry plans (ignoring
  // case and surrounding blanks); empty when none.
  QString repeatedIn(int category, const GiftEntry& entry) const;

  // Left of a budget: the budget minus what is spent, in whole cents (so that sums of cents that
  // meet the budget leave exactly nothing).
  static double left(double budget, double spent);

  // Why a name cannot name a new kept season (empty, or taken), or nothing when it can.
  QString seasonNameRefusal(const QString& name) const;
  // Keeps the current season whole under `name`: its lists, statuses, budgets and a copy of its
  // report workbook `workbook` (read-only, in the seasons folder). Then every entry loses its
  // present, cost and status; budgets stay. Throws Failure, with nothing changed, when the season
  // cannot be kept.
  void keepSeason(const QString& name, const QString& workbook);
  // Keeps the current season under `name` with a report workbook made by the report run of
  // "Start Creating Template" (whose failures are shown as it runs); throws Failure, with nothing
  // changed, when the run or the keeping fails.
  void startNewSeason(const QString& name);
  // Replaces the four lists with lists read from a file, with the statuses it gave; from a file
  // without statuses, a gift whose list, name and present (not empty) are the same keeps its
  // status. The lists as they were, when they hold any entry, are first kept whole as the season
  // `seasonName`, with a report workbook made as startNewSeason() makes it; throws Failure, with
  // nothing changed, when that fails. Then the new lists are stored at once and their statuses
  // after them. Returns what could not be stored (the lists, or the statuses), empty when all was.
  QString openLists(const ImportedLists& file, const QString& seasonName);
  // A free name for the season kept before a file is opened: "Before opening gifts.xls", numbered
  // when taken.
  QString seasonNameBeforeOpening(const QString& fileName) const;
  // The path of a kept season's workbook.
  QString seasonWorkbook(const KeptSeason& season) const;

 signals:
  // The lists or the planner's own data changed.
  void changed();
  // Only the status of one entry changed.
  void statusChanged(int category, const QString& name);

 private:
  void store();
  // Keeps the season (see keepSeason()); what follows is the new season's lists, or the lists
  // opened from a file when given.
  void keep(const QString& name, const QString& workbook, const ImportedLists* opened);
  bool keepWithReport(const QString& name, const ImportedLists* opened);
  void replaceLists(const ImportedLists& opened);
  void forgetEntries(int category, const QStringList& names);

  GiftBook& book_;
  QString folder_;
  PlannerData data_;
  QString unreadable_;  // why the file could not be read; it is then never written over
  bool following_ = true;
  bool keeping_ = false;
  bool replacing_ = false;  // the lists are being replaced by lists opened from a file // a new
                            // season is being kept
  bool pending_ = false;                           // a change that could not be stored yet
  std::array<QStringList, kCategoryCount> going_;  // names of entries being removed
};
