// The stored form of the gift lists: exact text, parsing of short, long and empty records, and
// round trips of awkward fields, also through the settings store.
#include <QtTest>

#include "base/apptitle.h"
#include "base/files.h"
#include "base/settings.h"
#include "giftlist/giftlistmodel.h"
#include "giftlist/saverules.h"
#include "giftlist/storedlist.h"

Q_DECLARE_METATYPE(std::vector<GiftEntry>)

namespace {

std::vector<GiftEntry> toEntries(const std::vector<QStringList>& records) {
  std::vector<GiftEntry> out;
  for (const QStringList& r : records) {
    GiftEntry e;
    for (int f = 0; f < GiftEntry::kFieldCount && f < r.size(); ++f) e.field(f) = r[f];
    out.push_back(e);
  }
  return out;
}

std::vector<GiftEntry> awkwardLists() {
  return {
      {"  Ann  ", " likes ", "\tpresent\t", " $ 5 ", " a@b "},
      {"Бабушка", "вязание", "Шарф", "1 250,50", "баба@пример.рф"},
      {"奶奶", "书法", "毛笔", "¥300", "nainai@例子.中国"},
      {"🎅 Santa", "🍪🥛", "🦌 x8", "$0", "santa@north.pole"},
      {"pipes |", "|", "||", "SEP1||", "|SEP1||x"},
      {"lines\r\nand\rbreaks\n", "", "", "", ""},
      {"", "", "", "", ""},
      {QString(100000, QChar(u'x')), QString(100000, QChar(u'ж')),
       QStringLiteral("🎁").repeated(50000), QString(100000, QChar(u' ')),
       QString(100000, QChar(u'@'))},
  };
}

}  // namespace

class TestStoredList : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void serialize_data();
  void serialize();
  void parse_data();
  void parse();
  void keys();
  void roundTrip();
  void roundTripThroughSettings();
  void acceptedFieldsSurvive_data();
  void acceptedFieldsSurvive();

 private:
  QTemporaryDir config_;
};

void TestStoredList::initTestCase() {
  QVERIFY(config_.isValid());
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
}

void TestStoredList::serialize_data() {
  QTest::addColumn<std::vector<GiftEntry>>("entries");
  QTest::addColumn<QString>("stored");
  QTest::newRow("empty list") << std::vector<GiftEntry>{} << "";
  QTest::newRow("one record") << std::vector<GiftEntry>{{"Mom", "gardening", "Shoes", "$89", ""}}
                              << "Mom||SEP1||gardening||SEP1||Shoes||SEP1||$89||SEP1||||SEP2||";
  QTest::newRow("empty fields") << std::vector<GiftEntry>{{"Ann", "", "", "", ""}}
                                << "Ann||SEP1||||SEP1||||SEP1||||SEP1||||SEP2||";
  QTest::newRow("two records") << std::vector<GiftEntry>{{"A", "1", "2", "3", "4"},
                                                         {"B", "5", "6", "7", "8"}}
                               << "A||SEP1||1||SEP1||2||SEP1||3||SEP1||4||SEP2||"
                                  "B||SEP1||5||SEP1||6||SEP1||7||SEP1||8||SEP2||";
}

void TestStoredList::serialize() {
  QFETCH(std::vector<GiftEntry>, entries);
  QFETCH(QString, stored);
  QCOMPARE(serializeList(entries), stored);
}

void TestStoredList::parse_data() {
  QTest::addColumn<QString>("stored");
  QTest::addColumn<QList<QStringList>>("records");
  using R = QList<QStringList>;
  QTest::newRow("empty") << "" << R{};
  QTest::newRow("only separators") << "||SEP2||||SEP2||||SEP2||" << R{};
  QTest::newRow("one record") << "A||SEP1||1||SEP1||2||SEP1||3||SEP1||4||SEP2||"
                              << R{{"A", "1", "2", "3", "4"}};
  QTest::newRow("empty pieces skipped")
      << "||SEP2||A||SEP1||1||SEP1||2||SEP1||3||SEP1||4||SEP2||||SEP2||B||SEP2||"
      << R{{"A", "1", "2", "3", "4"}, {"B"}};
  QTest::newRow("no final separator") << "A||SEP1||1" << R{{"A", "1"}};
  QTest::newRow("short record") << "A||SEP1||1||SEP2||" << R{{"A", "1"}};
  QTest::newRow("extra fields") << "A||SEP1||1||SEP1||2||SEP1||3||SEP1||4||SEP1||5||SEP1||6||SEP2||"
                                << R{{"A", "1", "2", "3", "4", "5", "6"}};
  QTest::newRow("empty fields kept")
      << "A||SEP1||||SEP1||||SEP1||||SEP1||||SEP2||" << R{{"A", "", "", "", ""}};
  QTest::newRow("separators are case-sensitive")
      << "A||sep1||B||Sep2||" << R{{"A||sep1||B||Sep2||"}};
  QTest::newRow("separator inside text splits")
      << "A||SEP1||x||SEP2||y||SEP2||" << R{{"A", "x"}, {"y"}};
}

void TestStoredList::parse() {
  QFETCH(QString, stored);
  QFETCH(QList<QStringList>, records);
  const std::vector<QStringList> parsed = parseStoredList(stored);
  QCOMPARE(QList<QStringList>(parsed.begin(), parsed.end()), records);
}

void TestStoredList::keys() {
  QCOMPARE(kSettingsApplication, QStringLiteral("Quillmoor"));
  QCOMPARE(kSettingsSection, QStringLiteral("Tinselwick"));
  QCOMPARE(storedListKey(0), QStringLiteral("Inventory List"));
  QCOMPARE(storedListKey(1), QStringLiteral("Inventory List Relatives"));
  QCOMPARE(storedListKey(2), QStringLiteral("Inventory List Friends"));
  QCOMPARE(storedListKey(3), QStringLiteral("Inventory List Knowable people"));
}

void TestStoredList::roundTrip() {
  const std::vector<GiftEntry> entries = awkwardLists();
  const QString stored = serializeList(entries);
  const std::vector<GiftEntry> back = toEntries(parseStoredList(stored));
  QCOMPARE(back.size(), entries.size());
  for (size_t i = 0; i < entries.size(); ++i)
    for (int f = 0; f < GiftEntry::kFieldCount; ++f)
      QVERIFY2(back[i].field(f) == entries[i].field(f),
               qPrintable(QStringLiteral("record %1 field %2").arg(i).arg(f)));
  QCOMPARE(serializeList(back), stored);
}

void TestStoredList::roundTripThroughSettings() {
  const std::vector<GiftEntry> entries = awkwardLists();
  for (int category = 0; category < kCategoryCount; ++category) {
    // Each key holds its own list: rotate the records so the four values differ.
    std::vector<GiftEntry> list(entries.begin() + category, entries.end());
    SaveSetting(kSettingsApplication, kSettingsSection, storedListKey(category),
                serializeList(list));
  }
  for (int category = 0; category < kCategoryCount; ++category) {
    const std::vector<GiftEntry> expected(entries.begin() + category, entries.end());
    const QString value =
        GetSetting(kSettingsApplication, kSettingsSection, storedListKey(category));
    QCOMPARE(value, serializeList(expected));
    QVERIFY(toEntries(parseStoredList(value)) == expected);
  }
}

void TestStoredList::acceptedFieldsSurvive_data() {
  QTest::addColumn<QString>("text");
  for (const char* t :
       {"||SEP1||", "||SEP2||", "||SEP1", "||SEP2", "||SEP1|", "||SEP2|", "a||SEP1", "a||SEP2|",
        "|", "||", "|||", "SEP1||", "|SEP2||", "SEP2||x", "||SEP", "||SEP3||", "x||sep1||"})
    QTest::newRow(t) << QString::fromLatin1(t);
}

void TestStoredList::acceptedFieldsSurvive() {
  // Whatever the save rules let into a list must come back from the store unchanged.
  QFETCH(QString, text);
  for (int f = 0; f < GiftEntry::kFieldCount; ++f) {
    GiftEntry e{"Name", "likes", "present", "1", "a@b"};
    e.field(f) = text;
    if (f == 0) e.field(f).prepend(QStringLiteral("N"));   // a name is never blank
    if (f == 4) e.field(f).prepend(QStringLiteral("x@"));  // an address has its "@"
    GiftListModel list;
    if (saveGiftEntry(list, e, QLocale::c()).outcome != SaveOutcome::Added) continue;
    const std::vector<GiftEntry> back = toEntries(parseStoredList(serializeList(list.entries())));
    QVERIFY2(back.size() == 1 && back[0] == e,
             qPrintable(QStringLiteral("field %1 came back changed").arg(f)));
  }
}

QTEST_MAIN(TestStoredList)
#include "tst_storedlist.moc"
