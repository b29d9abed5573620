// Grabs the README's picture of the planner: a season with budgets and statuses, and the season
// before it kept. Run offscreen: plannershots <output file> [dark]. QT_SCALE_FACTOR=2 gives the
// picture at 200 %.
#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QStyleFactory>
#include <QTemporaryDir>

#include "app/application.h"
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
  form.hide();
  PlannerWindow* window = program.plannerWindow();
  window->show();
  QCoreApplication::processEvents();
  window->grab().save(out);
  return 0;
}
