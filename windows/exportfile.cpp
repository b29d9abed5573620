#include "windows/exportfile.h"

#include "base/files.h"
#include "base/prompts.h"
#include "base/trap.h"

int askOverwrite(const QString& path) {
  return MsgBox(QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?"),
                msg::YesNo);
}

QString chooseExportFile(Trap& trap, int firstStep, const QString& title, const QString& filter,
                         const QString& extension, const QString& proposed) {
  QString chosen;
  trap(firstStep, [&] { chosen = prompts().saveFileName(title, filter, proposed); });
  if (chosen.isEmpty()) return {};
  trap(firstStep + 2, [&] {
    if (!chosen.section(QChar(u'/'), -1).contains(QChar(u'.'))) chosen += extension;
  });
  int answer = msg::Yes;
  trap(firstStep + 4, [&] {
    if (FileExists(chosen)) answer = askOverwrite(chosen);
  });
  return answer == msg::Yes ? chosen : QString();
}
