// The windows' look beside the program: the skin style sheet and the hand pointer.
#include <QWidget>
#include <QtEndian>
#include <QtTest>

#include "base/failure.h"
#include "base/files.h"
#include "tests/support/testsupport.h"
#include "windows/skin.h"

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
  f.write(bytes);
}

template <typename T>
void put(QByteArray& out, T value) {
  char bytes[sizeof(T)];
  qToLittleEndian(value, bytes);
  out.append(bytes, sizeof(T));
}

// A 32x32, 32-bit .cur file with one image and the given hotspot.
QByteArray curFile(quint16 hotX, quint16 hotY) {
  const int size = 32;
  QByteArray image;
  put<quint32>(image, 40);       // BITMAPINFOHEADER size
  put<qint32>(image, size);      // width
  put<qint32>(image, size * 2);  // height: colour and mask halves
  put<quint16>(image, 1);        // planes
  put<quint16>(image, 32);       // bits per pixel
  put<quint32>(image, 0);        // BI_RGB
  put<quint32>(image, 0);        // image size (may be 0 for BI_RGB)
  put<qint32>(image, 0);
  put<qint32>(image, 0);
  put<quint32>(image, 0);
  put<quint32>(image, 0);
  for (int i = 0; i < size * size; ++i) put<quint32>(image, 0xFF3366CCu);  // BGRA, opaque
  image.append(QByteArray(size * size / 8, '\0'));                         // AND mask
  QByteArray file;
  put<quint16>(file, 0);  // reserved
  put<quint16>(file, 2);  // cursor
  put<quint16>(file, 1);  // one image
  file.append(char(size));
  file.append(char(size));
  file.append(char(0));  // colours
  file.append(char(0));  // reserved
  put<quint16>(file, hotX);
  put<quint16>(file, hotY);
  put<quint32>(file, quint32(image.size()));
  put<quint32>(file, 6 + 16);  // offset of the image
  return file + image;
}

}  // namespace

class TestSkin : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void cleanup();
  void skinMissing();
  void skinApplied();
  void skinBroken_data();
  void skinBroken();
  void handCursorAbsent();
  void handCursorGarbage_data();
  void handCursorGarbage();
  void handCursorFromFile_data();
  void handCursorFromFile();

 private:
  QTemporaryDir work_;
};

void TestSkin::initTestCase() {
  QVERIFY(work_.isValid());
  setProgramFolderForTesting(work_.path());
}

void TestSkin::cleanup() {
  QFile::remove(work_.filePath("HAND-M.CUR"));
  QDir(work_.filePath("x")).removeRecursively();
}

void TestSkin::skinMissing() {
  QWidget form;
  const QPalette before = form.palette();
  ApplySkin(&form);  // no x/o.cjs: nothing happens, nothing fails
  QVERIFY(form.styleSheet().isEmpty());
  QCOMPARE(form.palette(), before);
  // A folder of that name is not a skin file.
  QVERIFY(QDir().mkpath(work_.filePath("x/o.cjs")));
  ApplySkin(&form);
  QVERIFY(form.styleSheet().isEmpty());
}

void TestSkin::skinApplied() {
  QVERIFY(QDir().mkpath(work_.filePath("x")));
  const QByteArray sheet = "QPushButton { color: #123456; }\nQLabel { font-weight: bold; }\n";
  writeFile(work_.filePath("x/o.cjs"), sheet);
  QWidget form;
  ApplySkin(&form);
  QCOMPARE(form.styleSheet(), QString::fromUtf8(sheet));
  QCOMPARE(form.palette().color(QPalette::Window), form.palette().color(QPalette::Button));
}

void TestSkin::skinBroken_data() {
  QTest::addColumn<QByteArray>("content");
  QTest::newRow("unbalanced braces") << QByteArray("QPushButton { color: red;");
  QTest::newRow("stray close") << QByteArray("} QLabel { color: red; }");
  QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
  QTest::newRow("bad UTF-8") << QByteArray("QLabel { color: \xff\xfe; }");
}

void TestSkin::skinBroken() {
  QFETCH(QByteArray, content);
  QVERIFY(QDir().mkpath(work_.filePath("x")));
  writeFile(work_.filePath("x/o.cjs"), content);
  QWidget form;
  QVERIFY_THROWS_EXCEPTION(Failure, ApplySkin(&form));
  QVERIFY(form.styleSheet().isEmpty());
}

void TestSkin::handCursorAbsent() {
  QVERIFY(!loadHandCursor().has_value());
}

void TestSkin::handCursorGarbage_data() {
  QTest::addColumn<QByteArray>("content");
  QTest::newRow("empty") << QByteArray();
  QTest::newRow("text") << QByteArray("this is not a cursor at all, just some text");
  QTest::newRow("icon type") << curFile(1, 1).replace(2, 1, "\x01");
  QTest::newRow("no images") << curFile(1, 1).replace(4, 1, QByteArray(1, '\0'));
  QTest::newRow("truncated picture") << curFile(1, 1).left(40);
}

void TestSkin::handCursorGarbage() {
  QFETCH(QByteArray, content);
  writeFile(work_.filePath("HAND-M.CUR"), content);
  QVERIFY_THROWS_EXCEPTION(Failure, loadHandCursor());
}

void TestSkin::handCursorFromFile_data() {
  QTest::addColumn<int>("x");
  QTest::addColumn<int>("y");
  QTest::newRow("top left") << 0 << 0;
  QTest::newRow("finger tip") << 6 << 1;
  QTest::newRow("bottom right") << 31 << 31;
}

void TestSkin::handCursorFromFile() {
  QFETCH(int, x);
  QFETCH(int, y);
  writeFile(work_.filePath("HAND-M.CUR"), curFile(quint16(x), quint16(y)));
  const std::optional<QCursor> cursor = loadHandCursor();
  QVERIFY(cursor.has_value());
  QCOMPARE(cursor->hotSpot(), QPoint(x, y));
  QCOMPARE(cursor->pixmap().size(), QSize(32, 32));
  QCOMPARE(cursor->pixmap().toImage().pixel(10, 10), qRgba(0x33, 0x66, 0xCC, 0xFF));
}

QTEST_MAIN(TestSkin)
#include "tst_skin.moc"
