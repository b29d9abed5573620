// The viewport arithmetic of the preview: zoom steps, painted sizes, scroll-bar set-up, drag
// clamping and the release percentages, all in twips.
#include <QtTest>

#include "base/failure.h"
#include "windows/viewport.h"

using namespace viewport;

class TestViewport : public QObject {
  Q_OBJECT
 private slots:
  void roundingHalvesToEven_data();
  void roundingHalvesToEven();
  void int16Overflow();
  void zoomLevels();
  void zoomLimits_data();
  void zoomLimits();
  void imageSize_data();
  void imageSize();
  void scaledSizeAndTooLarge_data();
  void scaledSizeAndTooLarge();
  void barSetup_data();
  void barSetup();
  void barMaximumTooLarge();
  void drag_data();
  void drag();
  void release_data();
  void release();
  void releaseEqualSizes();
  void percentToBar_data();
  void percentToBar();
  void twipsAndPixels();
};

void TestViewport::roundingHalvesToEven_data() {
  QTest::addColumn<double>("value");
  QTest::addColumn<int>("expected");
  QTest::newRow("0.5") << 0.5 << 0;
  QTest::newRow("1.5") << 1.5 << 2;
  QTest::newRow("2.5") << 2.5 << 2;
  QTest::newRow("10.5") << 10.5 << 10;
  QTest::newRow("11.5") << 11.5 << 12;
  QTest::newRow("-0.5") << -0.5 << 0;
  QTest::newRow("-1.5") << -1.5 << -2;
  QTest::newRow("-2.5") << -2.5 << -2;
  QTest::newRow("2.4999") << 2.4999 << 2;
  QTest::newRow("2.5001") << 2.5001 << 3;
  QTest::newRow("-7.6") << -7.6 << -8;
}

void TestViewport::roundingHalvesToEven() {
  QFETCH(double, value);
  QFETCH(int, expected);
  QCOMPARE(toInt32(value), expected);
  QCOMPARE(int(toInt16(value)), expected);
}

void TestViewport::int16Overflow() {
  QCOMPARE(int(toInt16(32767.4)), 32767);
  QCOMPARE(int(toInt16(-32768.0)), -32768);
  QVERIFY_THROWS_EXCEPTION(Failure, toInt16(32767.5));  // rounds to 32768
  QVERIFY_THROWS_EXCEPTION(Failure, toInt16(-32769.0));
  QVERIFY_THROWS_EXCEPTION(Failure, toInt32(2147483648.0));
  QCOMPARE(toInt32(2147483647.0), 2147483647);
}

void TestViewport::zoomLevels() {
  // From 1.0, stepping in to the top and then out to the bottom passes all ten levels.
  QList<float> seen{1.0f};
  float zoom = 1.0f;
  for (;;) {
    const float next = requestedZoom(zoom, 0);
    if (!zoomAccepted(next)) break;
    seen << (zoom = next);
  }
  QCOMPARE(zoom, 2.5f);
  zoom = 1.0f;
  for (;;) {
    const float next = requestedZoom(zoom, 1);
    if (!zoomAccepted(next)) break;
    seen.prepend(zoom = next);
  }
  QCOMPARE(zoom, 0.25f);
  QCOMPARE(seen.size(), 10);
  for (int i = 0; i < seen.size(); ++i) QCOMPARE(seen[i], 0.25f * float(i + 1));
}

void TestViewport::zoomLimits_data() {
  QTest::addColumn<float>("zoom");
  QTest::addColumn<int>("zoomOut");
  QTest::addColumn<float>("requested");
  QTest::addColumn<bool>("accepted");
  QTest::newRow("in from 2.25") << 2.25f << 0 << 2.5f << true;
  QTest::newRow("in from 2.5") << 2.5f << 0 << 2.75f << false;
  QTest::newRow("out from 0.5") << 0.5f << 1 << 0.25f << true;
  QTest::newRow("out from 0.25") << 0.25f << 1 << 0.0f << false;
  QTest::newRow("any non-zero is out") << 1.0f << -3 << 0.75f << true;
}

void TestViewport::zoomLimits() {
  QFETCH(float, zoom);
  QFETCH(int, zoomOut);
  QFETCH(float, requested);
  QFETCH(bool, accepted);
  const float next = requestedZoom(zoom, static_cast<std::int16_t>(zoomOut));
  QCOMPARE(next, requested);
  QCOMPARE(zoomAccepted(next), accepted);
}

void TestViewport::imageSize_data() {
  QTest::addColumn<double>("interior");
  QTest::addColumn<int>("expected");
  QTest::newRow("1400 px") << 21000.0 << 20998;
  QTest::newRow("1 px") << 15.0 << 13;
  QTest::newRow("half up to even") << 12.5 << 10;    // 10.5
  QTest::newRow("half down to even") << 13.5 << 12;  // 11.5
}

void TestViewport::imageSize() {
  QFETCH(double, interior);
  QFETCH(int, expected);
  QCOMPARE(imageSizeFromInterior(interior), expected);
}

void TestViewport::scaledSizeAndTooLarge_data() {
  QTest::addColumn<int>("imageWidth");
  QTest::addColumn<int>("imageHeight");
  QTest::addColumn<float>("zoom");
  QTest::addColumn<int>("width");
  QTest::addColumn<int>("height");
  QTest::addColumn<bool>("tooLarge");
  QTest::newRow("report at 1.0") << 20998 << 7798 << 1.0f << 20998 << 7798 << false;
  QTest::newRow("report at 0.25 floors") << 20998 << 7798 << 0.25f << 5249 << 1949 << false;
  QTest::newRow("report at 0.75 floors") << 20998 << 7798 << 0.75f << 15748 << 5848 << false;
  QTest::newRow("report at 1.25 too wide") << 20998 << 7798 << 1.25f << 26247 << 9747 << true;
  QTest::newRow("width just below") << 21699 << 100 << 1.0f << 21699 << 100 << false;
  QTest::newRow("width reaches 21700") << 21700 << 100 << 1.0f << 21700 << 100 << true;
  QTest::newRow("height just below") << 100 << 8499 << 1.0f << 100 << 8499 << false;
  QTest::newRow("height reaches 8500") << 100 << 8500 << 1.0f << 100 << 8500 << true;
  QTest::newRow("1500x600 px at 1.0") << 22498 << 8998 << 1.0f << 22498 << 8998 << true;
  QTest::newRow("1x1 px at 0.25") << 13 << 13 << 0.25f << 3 << 3 << false;
  QTest::newRow("1x1 px at 2.5") << 13 << 13 << 2.5f << 32 << 32 << false;
  QTest::newRow("odd at 2.5") << 8499 << 3399 << 2.5f << 21247 << 8497 << false;
}

void TestViewport::scaledSizeAndTooLarge() {
  QFETCH(int, imageWidth);
  QFETCH(int, imageHeight);
  QFETCH(float, zoom);
  QFETCH(int, width);
  QFETCH(int, height);
  QFETCH(bool, tooLarge);
  QCOMPARE(scaledLength(imageWidth, zoom), width);
  QCOMPARE(scaledLength(imageHeight, zoom), height);
  QCOMPARE(viewport::tooLarge(width, height), tooLarge);
}

void TestViewport::barSetup_data() {
  QTest::addColumn<double>("picture");
  QTest::addColumn<double>("viewport");
  QTest::addColumn<bool>("enabled");
  QTest::addColumn<int>("step");
  QTest::addColumn<int>("maximum");  // -1: untouched
  QTest::newRow("narrower") << 9000.0 << 9330.0 << false << 0 << -1;
  QTest::newRow("same width") << 9330.0 << 9330.0 << false << 0 << -1;
  QTest::newRow("1 wider") << 9331.0 << 9330.0 << true << 1 << 1;
  QTest::newRow("100 wider") << 9430.0 << 9330.0 << true << 1 << 100;
  QTest::newRow("101 wider") << 9431.0 << 9330.0 << true << 10 << 10;
  QTest::newRow("105 wider, halves to even") << 9435.0 << 9330.0 << true << 10 << 10;
  QTest::newRow("115 wider, halves to even") << 9445.0 << 9330.0 << true << 10 << 12;
  QTest::newRow("report picture") << 21000.0 << 9330.0 << true << 10 << 1167;
  QTest::newRow("report picture height") << 7800.0 << 7425.0 << true << 10 << 38;  // 37.5
  QTest::newRow("largest that fits") << 9330.0 + 327674.0 << 9330.0 << true << 10 << 32767;
}

void TestViewport::barSetup() {
  QFETCH(double, picture);
  QFETCH(double, viewport);
  QFETCH(bool, enabled);
  QFETCH(int, step);
  QFETCH(int, maximum);
  const BarSetup bar = setupBar(picture, viewport);
  QCOMPARE(bar.enabled, enabled);
  QCOMPARE(int(bar.step), step);
  QCOMPARE(bar.maximum.has_value(), maximum >= 0);
  if (bar.maximum) QCOMPARE(int(*bar.maximum), maximum);
}

void TestViewport::barMaximumTooLarge() {
  // 327676 / 10 = 32767.6 rounds to 32768, which has no 16-bit value.
  QVERIFY_THROWS_EXCEPTION(Failure, setupBar(9330.0 + 327676.0, 9330.0));
}

void TestViewport::drag_data() {
  QTest::addColumn<float>("current");
  QTest::addColumn<float>("down");
  QTest::addColumn<float>("pointer");
  QTest::addColumn<double>("interior");
  QTest::addColumn<double>("picture");
  QTest::addColumn<float>("expected");
  // A picture 21000 wide in a viewport 9330 wide: positions run from 0 to -11670.
  QTest::newRow("move left") << 0.0f << 3000.0f << 1500.0f << 9330.0 << 21000.0 << -1500.0f;
  QTest::newRow("move right past 0") << -300.0f << 1000.0f << 1450.0f << 9330.0 << 21000.0 << 0.0f;
  QTest::newRow("right edge reached")
      << -11000.0f << 5000.0f << 3000.0f << 9330.0 << 21000.0 << -11670.0f;
  QTest::newRow("exactly at right edge")
      << -11000.0f << 5000.0f << 4330.0f << 9330.0 << 21000.0 << -11670.0f;
  QTest::newRow("no travel") << -450.0f << 600.0f << 600.0f << 9330.0 << 21000.0 << -450.0f;
  // A picture narrower than the viewport: anything not above 0 puts its right edge at the
  // viewport's right edge, anything above 0 puts its left edge at 0.
  QTest::newRow("narrow, no travel") << 0.0f << 500.0f << 500.0f << 9330.0 << 3000.0 << 6330.0f;
  QTest::newRow("narrow, to the left") << 0.0f << 500.0f << 200.0f << 9330.0 << 3000.0 << 6330.0f;
  QTest::newRow("narrow, to the right") << 0.0f << 500.0f << 515.0f << 9330.0 << 3000.0 << 0.0f;
  QTest::newRow("narrow, from the right edge")
      << 6330.0f << 500.0f << 200.0f << 9330.0 << 3000.0 << 0.0f;
}

void TestViewport::drag() {
  QFETCH(float, current);
  QFETCH(float, down);
  QFETCH(float, pointer);
  QFETCH(double, interior);
  QFETCH(double, picture);
  QFETCH(float, expected);
  QCOMPARE(dragPosition(current, down, pointer, interior, picture), expected);
}

void TestViewport::release_data() {
  QTest::addColumn<double>("position");
  QTest::addColumn<double>("picture");
  QTest::addColumn<double>("viewport");
  QTest::addColumn<int>("percent");
  QTest::newRow("at 0") << 0.0 << 21000.0 << 9330.0 << 0;
  QTest::newRow("far edge") << -11670.0 << 21000.0 << 9330.0 << 100;
  QTest::newRow("middle") << -5835.0 << 21000.0 << 9330.0 << 50;
  QTest::newRow("12.5 halves to 12") << -250.0 << 11330.0 << 9330.0 << 12;
  QTest::newRow("13.5 halves to 14") << -270.0 << 11330.0 << 9330.0 << 14;
  QTest::newRow("narrow at 0") << 0.0 << 3000.0 << 9330.0 << 0;
  QTest::newRow("narrow at a positive left") << 6330.0 << 3000.0 << 9330.0 << -100;
}

void TestViewport::release() {
  QFETCH(double, position);
  QFETCH(double, picture);
  QFETCH(double, viewport);
  QFETCH(int, percent);
  QCOMPARE(releasePercent(position, picture, viewport), percent);
}

void TestViewport::releaseEqualSizes() {
  QVERIFY_THROWS_EXCEPTION(Failure, releasePercent(0.0, 9330.0, 9330.0));
}

void TestViewport::percentToBar_data() {
  QTest::addColumn<int>("percent");
  QTest::addColumn<int>("maximum");
  QTest::addColumn<int>("value");  // -1: the bar stays as it is
  QTest::newRow("0") << 0 << 1167 << 0;
  QTest::newRow("100") << 100 << 1167 << 1167;
  QTest::newRow("50 of 15 halves to 8") << 50 << 15 << 8;
  QTest::newRow("50 of 13 halves to 6") << 50 << 13 << 6;
  QTest::newRow("33 of 1167") << 33 << 1167 << 385;  // 385.11
  QTest::newRow("below 0") << -1 << 1167 << -1;
  QTest::newRow("above 100") << 101 << 1167 << -1;
  QTest::newRow("disabled bar keeps 32767") << 0 << 32767 << 0;
}

void TestViewport::percentToBar() {
  QFETCH(int, percent);
  QFETCH(int, maximum);
  QFETCH(int, value);
  const auto bar = barValueForPercent(percent, maximum);
  QCOMPARE(bar.has_value(), value >= 0);
  if (bar) QCOMPARE(int(*bar), value);
}

void TestViewport::twipsAndPixels() {
  QCOMPARE(toPixels(9330), 622);
  QCOMPARE(toPixels(20998), 1400);  // the image size less 2 still fills the last pixel
  QCOMPARE(toPixels(5249), 350);
  QCOMPARE(toPixels(-11670), -778);
  QCOMPARE(toPixels(3), 0);
  QCOMPARE(toPixels(8), 1);
  QCOMPARE(toTwips(656), 9840);
  QCOMPARE(scrollOffset(10, 1167), -11670);
  QCOMPARE(scrollOffset(0, 500), 0);
}

QTEST_APPLESS_MAIN(TestViewport)
#include "tst_viewport.moc"
