// The lists as CSV: the header and rows, RFC 4180 quoting, the byte-order mark, and fields a
// spreadsheet would run as formulas shown as text and read back exactly.
#include <QtTest>

#include "giftlist/giftbook.h"
#include "planner/listscsv.h"
#include "planner/planner.h"

class ListsCsvTest : public QObject {
  Q_OBJECT
 private slots:
  void rowsQuotingAndFormulas();
};

void ListsCsvTest::rowsQuotingAndFormulas() {
  QTemporaryDir dir;
  GiftBook book;
  Planner planner(book, dir.path());
  book.list(0).add({"Mom", "gardening, crafts", "Ryka \"Walking\" Shoes", "$89", ""});
  book.list(3).add({"  Neighbour", "line\nbreak", "=HYPERLINK(\"x\")", "-5", "@me"});
  book.list(3).add({"Ёлка 🎄", "'quoted", "+1", "\tTab", "'=kept"});
  planner.setStatus(0, "Mom", GiftStatus::Wrapped);
  const QByteArray csv = listsAsCsv(book, &planner);
  QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
  QCOMPARE(QString::fromUtf8(csv.mid(3)),
           QString::fromUtf8("List,Name,Likes,Present,Cost,Email,Status\r\n"
                             "Family,Mom,\"gardening, crafts\",\"Ryka \"\"Walking\"\" Shoes\",$89,,"
                             "Wrapped\r\n"
                             "Knowable people,\"  Neighbour\",\"line\nbreak\","
                             "\"'=HYPERLINK(\"\"x\"\")\",'-5,'@me,To buy\r\n"
                             "Knowable people,Ёлка 🎄,''quoted,'+1,'\tTab,''=kept,To buy\r\n"));
  // Without a planner there is no Status column.
  QVERIFY(listsAsCsv(book, nullptr).mid(3).startsWith("List,Name,Likes,Present,Cost,Email\r\n"));
  // Every field comes back as it was.
  for (const char* text : {"=1+2", "-5", "'quoted", "'=kept", "plain", "", "'", "@"})
    QCOMPARE(csvFieldText(csvField(text)), QString(text));
  QCOMPARE(csvFieldText("'x"), QStringLiteral("'x"));  // an apostrophe of someone else's
}

QTEST_GUILESS_MAIN(ListsCsvTest)
#include "tst_listscsv.moc"
