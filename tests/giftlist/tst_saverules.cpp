// The rules of "Save Gift Entry": update by exact name first, then name, separators, cost,
// e-mail and the record limit, with their messages and the clearing of the fields.
#include <QtTest>

#include "giftlist/giftlistmodel.h"
#include "giftlist/saverules.h"

Q_DECLARE_METATYPE(GiftEntry)
Q_DECLARE_METATYPE(SaveOutcome)

namespace {

const GiftEntry kMom{"Mom", "gardening", "Ryka Walking Shoes", "$89", "mom@example.com"};

// A list of `size` records: "Mom" first, then "Person 2", "Person 3", ...
void fill(GiftListModel& list, int size) {
  for (int i = 1; i <= size; ++i)
    list.add(i == 1 ? kMom : GiftEntry{QStringLiteral("Person %1").arg(i), "", "", "", ""});
}

GiftEntry entry(const QString& name, const QString& cost = {}, const QString& email = {},
                const QString& likes = QStringLiteral("likes")) {
  return {name, likes, QStringLiteral("present"), cost, email};
}

}  // namespace

class TestSaveRules : public QObject {
  Q_OBJECT
 private slots:
  void rules_data();
  void rules();
  void cost_data();
  void cost();
  void email_data();
  void email();
};

void TestSaveRules::rules_data() {
  QTest::addColumn<int>("listSize");
  QTest::addColumn<GiftEntry>("fields");
  QTest::addColumn<SaveOutcome>("outcome");
  QTest::addColumn<QString>("message");

  const QString name = QStringLiteral("You forgot to input name.");
  const QString sep = QStringLiteral("Entries cannot contain ||SEP1|| or ||SEP2||.");
  const QString cost = QStringLiteral("Cost must be a number.");
  const QString email = QStringLiteral("Email address not valid.");
  const QString limit = QStringLiteral("Max records reached");
  using O = SaveOutcome;

  QTest::newRow("update") << 3 << entry("Mom", "$95", "m@x") << O::Updated << "";
  QTest::newRow("update, bad cost") << 3 << entry("Mom", "lots") << O::Updated << "";
  QTest::newRow("update, bad email") << 3 << entry("Mom", "", "@x") << O::Updated << "";
  QTest::newRow("update at 22") << 22 << entry("Mom", "1") << O::Updated << "";
  QTest::newRow("update past 22 (restored)") << 25 << entry("Mom") << O::Updated << "";
  QTest::newRow("update, empty fields")
      << 1 << GiftEntry{"Mom", "", "", "", ""} << O::Updated << "";
  QTest::newRow("other case adds") << 3 << entry("mom") << O::Added << "";
  QTest::newRow("trailing space adds") << 3 << entry("Mom ") << O::Added << "";
  QTest::newRow("leading space adds") << 3 << entry(" Mom") << O::Added << "";
  QTest::newRow("add to empty list") << 0 << entry("Aunt", "$30", "aunt@x") << O::Added << "";
  QTest::newRow("fields kept as typed")
      << 0 << GiftEntry{"  Ann ", " likes ", " p ", " $ 5 ", " a@b "} << O::Added << "";
  QTest::newRow("empty name") << 0 << entry("") << O::NameMissing << name;
  QTest::newRow("blank name") << 3 << entry("   ") << O::NameMissing << name;
  QTest::newRow("separator in likes")
      << 0 << entry("Ann", "", "", "a||SEP1||b") << O::SeparatorInField << sep;
  QTest::newRow("separator in name") << 0 << entry("Ann||SEP2||") << O::SeparatorInField << sep;
  QTest::newRow("separator in email")
      << 0 << entry("Ann", "", "a@b||SEP2||") << O::SeparatorInField << sep;
  QTest::newRow("separator on update")
      << 3 << entry("Mom", "1||SEP1||2") << O::SeparatorInField << sep;
  QTest::newRow("name rule before separator")
      << 0 << entry(" ", "", "", "||SEP1||") << O::NameMissing << name;
  QTest::newRow("separator before cost")
      << 0 << entry("Ann", "abc", "", "||SEP2||") << O::SeparatorInField << sep;
  QTest::newRow("lower-case separator is text")
      << 0 << entry("Ann", "", "", "||sep1||") << O::Added << "";
  QTest::newRow("bad cost") << 3 << entry("Ann", "abc") << O::CostNotNumber << cost;
  QTest::newRow("name before cost") << 0 << entry("", "abc") << O::NameMissing << name;
  QTest::newRow("cost before email") << 0 << entry("Ann", "abc", "@x") << O::CostNotNumber << cost;
  QTest::newRow("bad email") << 0 << entry("Ann", "", "@x") << O::EmailInvalid << email;
  QTest::newRow("email before limit") << 22 << entry("Ann", "", "x") << O::EmailInvalid << email;
  QTest::newRow("21 takes one more") << 21 << entry("Ann") << O::Added << "";
  QTest::newRow("limit at 22") << 22 << entry("Ann", "$5", "a@b") << O::LimitReached << limit;
  QTest::newRow("limit past 22 (restored)") << 30 << entry("Ann") << O::LimitReached << limit;
}

void TestSaveRules::rules() {
  QFETCH(int, listSize);
  QFETCH(GiftEntry, fields);
  QFETCH(SaveOutcome, outcome);
  QFETCH(QString, message);

  GiftListModel list;
  fill(list, listSize);
  const std::vector<GiftEntry> before = list.entries();
  const SaveResult result =
      saveGiftEntry(list, fields, QLocale(QLocale::English, QLocale::UnitedStates));
  QCOMPARE(result.outcome, outcome);
  QCOMPARE(result.message, message);
  // The fields are emptied after an addition and at the limit, and only then.
  QCOMPARE(result.clearFields,
           outcome == SaveOutcome::Added || outcome == SaveOutcome::LimitReached);

  std::vector<GiftEntry> expected = before;
  if (outcome == SaveOutcome::Added) {
    expected.push_back(fields);
  } else if (outcome == SaveOutcome::Updated) {
    GiftEntry& mom = expected[0];
    mom.likes = fields.likes;
    mom.present = fields.present;
    mom.cost = fields.cost;
    mom.email = fields.email;
  }
  QCOMPARE(list.entries().size(), expected.size());
  QVERIFY(list.entries() == expected);
}

void TestSaveRules::cost_data() {
  QTest::addColumn<QString>("cost");
  QTest::addColumn<QString>("locale");
  QTest::addColumn<bool>("accepted");
  const QString us = QStringLiteral("en_US");
  QTest::newRow("dollar first") << "$89" << us << true;
  QTest::newRow("dollar after") << "89$" << us << true;
  QTest::newRow("dollar, blank") << "$ 89" << us << true;
  QTest::newRow("blank, dollar") << "89 $" << us << true;
  QTest::newRow("several dollars") << "$$8$9" << us << true;
  QTest::newRow("thousands") << "1,250.50" << us << true;
  QTest::newRow("millions") << "$1,250,000" << us << true;
  QTest::newRow("decimal") << "19.99" << us << true;
  QTest::newRow("sign") << "-5" << us << true;
  QTest::newRow("exponent") << "1e3" << us << true;
  QTest::newRow("blanks around") << "  42  " << us << true;
  QTest::newRow("empty") << "" << us << true;
  QTest::newRow("blanks only") << "   " << us << true;
  QTest::newRow("dollar only") << "$" << us << false;
  QTest::newRow("dollars and blank") << "$ $" << us << false;
  QTest::newRow("word") << "abc" << us << false;
  QTest::newRow("digits and word") << "89 dollars" << us << false;
  QTest::newRow("two numbers") << "8 9" << us << false;
  QTest::newRow("not a number") << "nan" << us << false;
  QTest::newRow("infinity") << "inf" << us << false;
  QTest::newRow("minus infinity") << "$-inf" << us << false;
  QTest::newRow("German thousands") << "1.250,50"
                                    << "de_DE" << true;
  QTest::newRow("German decimal") << "$19,99"
                                  << "de_DE" << true;
  QTest::newRow("US form in German") << "1,250.50"
                                     << "de_DE" << false;
}

void TestSaveRules::cost() {
  QFETCH(QString, cost);
  QFETCH(QString, locale);
  QFETCH(bool, accepted);
  GiftListModel list;
  const SaveResult result = saveGiftEntry(list, entry("Ann", cost), QLocale(locale));
  QCOMPARE(result.outcome, accepted ? SaveOutcome::Added : SaveOutcome::CostNotNumber);
  if (accepted) QCOMPARE(list.at(1).cost, cost);  // stored as typed, "$" and all
}

void TestSaveRules::email_data() {
  QTest::addColumn<QString>("email");
  QTest::addColumn<bool>("accepted");
  QTest::newRow("ordinary") << "ann@example.com" << true;
  QTest::newRow("at sign first") << "@x" << false;
  QTest::newRow("at sign only") << "@" << false;
  QTest::newRow("ends in at sign") << "a@" << true;
  QTest::newRow("blank then at sign") << " @x" << true;
  QTest::newRow("second at sign counts") << "@a@" << true;
  QTest::newRow("no at sign") << "ann.example.com" << false;
  QTest::newRow("empty") << "" << true;
  QTest::newRow("blanks") << "   " << true;
}

void TestSaveRules::email() {
  QFETCH(QString, email);
  QFETCH(bool, accepted);
  GiftListModel list;
  const SaveResult result = saveGiftEntry(list, entry("Ann", "", email));
  QCOMPARE(result.outcome, accepted ? SaveOutcome::Added : SaveOutcome::EmailInvalid);
}

QTEST_MAIN(TestSaveRules)
#include "tst_saverules.moc"
