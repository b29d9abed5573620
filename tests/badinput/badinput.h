#pragma once
// Shared pieces of the bad-input tests: a sandbox (settings store, program folder and TEMP of
// its own), the stored lists, the main window driven through a report run, and the steps the
// "Application Error" dialogs name.
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <array>
#include <memory>

#include "base/apptitle.h"
#include "base/files.h"
#include "base/settings.h"
#include "giftlist/storedlist.h"
#include "tests/support/program.h"
#include "tests/support/testsupport.h"
#include "windows/mainwindow.h"
#include "windows/previewwindow.h"

namespace badinput {

// A fresh settings store, an empty program folder and an empty TEMP; dialogs are recorded and
// the random source is fixed, so a run's workbook name is known.
class Sandbox {
 public:
  Sandbox() {
    QDir(root_.path()).mkpath(QStringLiteral("config"));
    QDir(root_.path()).mkpath(QStringLiteral("program"));
    QDir(root_.path()).mkpath(QStringLiteral("temp"));
    useSettingsFolder(path(QStringLiteral("config")));
    setProgramFolderForTesting(path(QStringLiteral("program")));
    qputenv("TEMP", QFile::encodeName(path(QStringLiteral("temp"))));
  }
  ~Sandbox() {
    setProgramFolderForTesting(QString());
    qunsetenv("TEMP");
  }
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  QString path(const QString& relative = QString()) const {
    return relative.isEmpty() ? root_.path() : root_.filePath(relative);
  }
  static void useSettingsFolder(const QString& folder) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
  }

  FakePrompts prompts;
  FixedRandom random;
  RecordingLauncher launcher;

 private:
  QTemporaryDir root_;
};

inline void storeList(int category, const QString& value) {
  SaveSetting(kSettingsApplication, kSettingsSection, storedListKey(category), value);
}

inline QString storedList(int category) {
  return GetSetting(kSettingsApplication, kSettingsSection, storedListKey(category),
                    QStringLiteral("<absent>"));
}

inline std::array<QString, 4> storedLists() {
  std::array<QString, 4> values;
  for (int c = 0; c < kCategoryCount; ++c) values[static_cast<size_t>(c)] = storedList(c);
  return values;
}

// The program after its start-up, main window shown; empty when the start-up refused.
inline TestProgram openMainWindow() {
  return TestProgram::started();
}

// Fills the entry fields as the user leaves them and clicks "Save Gift Entry".
inline void saveEntry(MainWindow& form, const GiftEntry& e) {
  form.txtName->setText(e.name);
  form.txtLikes->setText(e.likes);
  form.txtPresent->setText(e.present);
  form.intCost->setText(e.cost);
  form.txtEmail->setText(e.email);
  form.PushButton4_Click();
}

// "Start Creating Template", then the events that set the preview up.
inline PreviewWindow* runReport(TestProgram& program) {
  program->PushButton1_Click();
  QCoreApplication::processEvents();
  return program.app().hasPreview() ? program.app().preview() : nullptr;
}

// "Module.Routine@step" of every "Application Error" dialog, in order.
inline QStringList errorSteps(const FakePrompts& prompts) {
  static const QRegularExpression where(QStringLiteral("\\.(\\w+)\\.(\\w+) at line (\\d+)"));
  QStringList steps;
  for (const ShownMessage& m : prompts.errors()) {
    const QRegularExpressionMatch found = where.match(m.text);
    steps << (found.hasMatch() ? found.captured(1) + QChar(u'.') + found.captured(2) + QChar(u'@') +
                                     found.captured(3)
                               : QStringLiteral("?"));
  }
  return steps;
}

// The text of every dialog, for failure messages.
inline QByteArray dialogs(const FakePrompts& prompts) {
  return prompts.texts().join(QStringLiteral("\n---\n")).left(4000).toUtf8();
}

inline QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace badinput
