#include "giftlist/giftbook.h"

#include "base/failure.h"
#include "base/prompts.h"
#include "base/settings.h"
#include "base/trap.h"
#include "giftlist/storedlist.h"

GiftBook::GiftBook() {
  for (auto& list : lists_) list = std::make_unique<GiftListModel>();
}

GiftBook::~GiftBook() = default;

void GiftBook::restore(Trap& trap, int firstStep, Restore purpose) {
  // Step firstStep reads the four values in one read of the store; a damaged file gives every
  // list that could be read and is reported once. Then each category's records are added; a
  // record with missing fields is reported once per missing field (steps firstStep+2 ..
  // firstStep+8) and keeps what it has.
  QStringList keys;
  for (int category = 0; category < kCategoryCount; ++category)
    keys.append(storedListKey(category));
  QStringList values;
  trap(firstStep, [&] {
    try {
      GetSettings(kSettingsApplication, kSettingsSection, keys, values);
    } catch (const SettingsDamaged& damaged) {
      // The window keeps the damaged file when it stores the lists; a run without windows
      // stores nothing and promises nothing.
      if (purpose == Restore::ForReportOnly)
        fail(QStringLiteral("The settings file '%1' is damaged. Nothing is made from it; start "
                            "Tinselwick to restore the gift lists that can be read.")
                 .arg(damaged.file()));
      fail(QStringLiteral("The settings file '%1' is damaged. The gift lists that could be read "
                          "have been restored; the damaged file will be kept beside it when "
                          "Tinselwick closes.")
               .arg(damaged.file()));
    }
  });
  for (int category = 0; category < kCategoryCount; ++category) {
    GiftListModel& target = list(category);
    for (const QStringList& fieldsRead : parseStoredList(values.value(category))) {
      GiftEntry entry;
      entry.name = fieldsRead.value(0);
      for (int f = 1; f < GiftEntry::kFieldCount; ++f) {
        trap(firstStep + 2 * f, [&] {
          if (f >= fieldsRead.size())
            fail(QStringLiteral("The stored entry \"%1\" of %2 has no %3 field.")
                     .arg(entry.name.left(100), categoryName(category),
                          QString::fromUtf16(kColumnHeaders[static_cast<size_t>(f)])));
          entry.field(f) = fieldsRead[f];
        });
      }
      target.add(entry);
    }
  }
}

bool GiftBook::store() const {
  Trap trap{QStringLiteral("Form1"), QStringLiteral("Form_QueryUnload")};
  // Every list is written under its own key, all four in one write of the store.
  QList<std::pair<QString, QString>> values;
  for (int category = 0; category < kCategoryCount; ++category) {
    QString value;
    for (const GiftEntry& e : list(category).entries())
      trap(100, [&] { value += serializeEntry(e); });
    values.append({storedListKey(category), value});
  }
  SavedSettings saved;
  trap(102, [&] { saved = SaveSettings(kSettingsApplication, kSettingsSection, values); });
  if (saved.kept == SavedSettings::Kept::Damaged)
    trap(104, [&] {
      MsgBox(QStringLiteral("The settings file was damaged. It has been kept as '%1', and the "
                            "gift lists have been saved in a new settings file.")
                 .arg(saved.keptAs),
             msg::Exclamation);
    });
  if (saved.kept == SavedSettings::Kept::Changed)
    trap(104, [&] {
      MsgBox(QStringLiteral("The settings file was changed by another program while Tinselwick "
                            "was running. That version has been kept as '%1', and the gift lists "
                            "have been saved in a new settings file.")
                 .arg(saved.keptAs),
             msg::Exclamation);
    });
  return trap.failures() == 0;
}

bool GiftBook::storeBeforeClosing() const {
  if (store()) return true;
  // Closing now would lose every change since the start: the person decides, and No (the
  // default) keeps the window open, so that they can free some space and close again.
  int answer = msg::No;
  Trap trap{QStringLiteral("Form1"), QStringLiteral("Form_QueryUnload")};
  trap(106, [&] {
    answer = MsgBox(QStringLiteral("The gift lists could not be saved (the message before says "
                                   "why). Close anyway, losing the changes made since Tinselwick "
                                   "started?"),
                    msg::YesNo | msg::Exclamation | msg::DefaultButton2);
  });
  return answer == msg::Yes;
}
