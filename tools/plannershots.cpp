// Grabs the README's picture of the planner: a season with budgets and statuses, and the season
// before it kept. Run offscreen: plannershots <output file> [dark|menu|open]: the planner, in
// light or dark colours; the lists' context menu; or the question of "Open Lists From File…".
// QT_SCALE_FACTOR=2 gives the picture at 200 %.
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPalette>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>

#include "app/application.h"
#include "base/prompts.h"
#include "windows/desktopservices.h"
#include "windows/mainwindow.h"
#include "windows/plannerwindow.h"

int main(int argc, char** argv) {
  QTemporaryDir home;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
  qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + QStringLiteral("/data")));
  QApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("planner.png");
  if (argc > 2 && qstrcmp(argv[2], "dark") == 0) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 48));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::AlternateBase, QColor(45, 45, 48));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Button, QColor(55, 55, 58));
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    dark.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
    QApplication::setPalette(dark);
  }
  Application program;
  MainWindow& form = program.mainWindow();
  if (!form.Form_Load()) return 1;
  form.show();
  auto add = [&](int list, const GiftEntry& e) { form.list(list).add(e); };
  form.PushButton6_Click();  // Mom and Dad in Family
  add(0, {QStringLiteral("Grandma"), QStringLiteral("tea"), QStringLiteral("Tea sampler"),
          QStringLiteral("$24.50"), QString()});
  add(1, {QStringLiteral("Aunt"), QString(), QStringLiteral("Cookbook"), QStringLiteral("$30"),
          QStringLiteral("aunt.margaret@example.com")});
  add(2, {QStringLiteral("Sam"), QStringLiteral("board games"), QStringLiteral("Carcassonne"),
          QStringLiteral("$35"), QString()});
  Planner& planner = program.planner();
  planner.setBudget(0, 150);
  planner.setBudget(2, 30);
  planner.startNewSeason(QStringLiteral("2025"));
  // This season's presents, one of them given before.
  form.list(0).update(1, {QString(), QStringLiteral("gardening, homemade crafts"),
                          QStringLiteral("ryka walking shoes"), QStringLiteral("$95"), QString()});
  form.list(0).update(
      2, {QString(), QString(), QStringLiteral("Fishing vest"), QStringLiteral("$64"), QString()});
  form.list(0).update(3, {QString(), QStringLiteral("tea"), QStringLiteral("Warm blanket"),
                          QStringLiteral("$40"), QString()});
  form.list(1).update(1, {QString(), QString(), QStringLiteral("Scented candles"),
                          QStringLiteral("$22"), QStringLiteral("aunt.margaret@example.com")});
  form.list(2).update(1, {QString(), QStringLiteral("board games"), QStringLiteral("Wingspan"),
                          QStringLiteral("$45"), QString()});
  planner.setStatus(0, QStringLiteral("Mom"), GiftStatus::Bought);
  planner.setStatus(0, QStringLiteral("Dad"), GiftStatus::Wrapped);
  planner.setStatus(2, QStringLiteral("Sam"), GiftStatus::Given);
  if (argc > 2 && qstrcmp(argv[2], "menu") == 0) {
    // The lists' context menu, for its new items.
    auto menu = form.listMenu(1);
    menu->popup(form.mapToGlobal(QPoint(200, 300)));
    QCoreApplication::processEvents();
    menu->grab().save(out);
    return 0;
  }
  if (argc > 2 && qstrcmp(argv[2], "open") == 0) {
    // The question before the lists are replaced, for a CSV file with one entry left out.
    const QString csv = home.filePath(QStringLiteral("lists.csv"));
    QFile file(csv);
    if (!file.open(QIODevice::WriteOnly)) return 1;
    file.write(
        "List,Name,Likes,Present,Cost,Email\r\nFriends,Sam,,Carcassonne,$35,\r\n"
        "Friends,Ann,,Scarf,$20,\r\nFriends,Sam,,Socks,,\r\n");
    file.close();
    class Answer final : public Prompts {
     public:
      explicit Answer(QString path) : path_(std::move(path)) { setPrompts(this); }
      ~Answer() override { setPrompts(nullptr); }
      int message(const QString& text, int style, const QString& title) override {
        return dialogs_.message(text, style, title);
      }
      QString openFileName(const QString&, const QString&) override { return path_; }
      QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
      bool choosePrinter(QPrinter&) override { return false; }

     private:
      QString path_;
      QtPrompts dialogs_;
    } answer(csv);
    QTimer::singleShot(300, [&] {
      if (QWidget* box = QApplication::activeModalWidget()) {
        box->grab().save(out);
        box->close();
      }
    });
    form.openListsFromFile();
    return 0;
  }
  form.hide();
  PlannerWindow* window = program.plannerWindow();
  window->show();
  QCoreApplication::processEvents();
  window->grab().save(out);
  return 0;
}
