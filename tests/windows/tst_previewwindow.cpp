// The preview window: controls, viewport set-up, zoom, scroll bars, drag, pointer, saving,
// "< Back" and closing.
#include <unistd.h>
#include <QBuffer>
#include <QClipboard>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "base/apptitle.h"
#include "base/files.h"
#include "base/settings.h"
#include "report/reporttemplate.h"
#include "tests/support/testsupport.h"
#include "windows/previewwindow.h"

namespace {

struct FakePreviewHost final : PreviewHost {
  void showMainWindow() override { calls << QStringLiteral("show"); }
  bool storeAllLists() override {
    calls << QStringLiteral("store");
    return mayClose;
  }
  void endProgram() override { calls << QStringLiteral("end"); }
  // The application removes the workbook of the report on show; here, the window's own.
  void removeReportWorkbook() override {
    if (form) DeleteFileQuietly(form->workbookPath());
  }
  QStringList calls;
  bool mayClose = true;
  const PreviewWindow* form = nullptr;
};

// A picture whose left half is red and right half blue, so that a scaled copy can be told
// from a blank one.
QImage reportImage(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::red);
  for (int y = 0; y < height; ++y)
    for (int x = width / 2; x < width; ++x) image.setPixel(x, y, qRgb(0, 0, 255));
  return image;
}

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

// A 32x32 Windows cursor file with its hotspot at (5, 3).
QByteArray cursorFile() {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::black);
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "ICO");
  QByteArray data = buffer.data();
  data[2] = 2;  // type: cursor
  data[6 + 4] = 5;
  data[6 + 5] = 0;
  data[6 + 6] = 3;
  data[6 + 7] = 0;
  return data;
}

}  // namespace

class TestPreviewWindow : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void cleanup();

  void controls_data();
  void controls();
  void windowLook();
  void setupOnActivation();
  void zoomSteps_data();
  void zoomSteps();
  void zoomLimitsDoNotRepaint();
  void tooLargePicture();
  void onePixelPicture();
  void barMaximumOverflow();
  void scrollBarsMovePicture_data();
  void scrollBarsMovePicture();
  void disabledBarEnabledByZoom();
  void dragAndRelease();
  void dragNarrowPicture_data();
  void dragNarrowPicture();
  void releaseWithEqualWidths();
  void percentOutsideRange();
  void pointerRules_data();
  void pointerRules();
  void damagedCursorFile();
  void save_data();
  void save();
  void exportAsPdf_data();
  void exportAsPdf();
  void printAndCopyPicture();
  void saveTwiceAsksSecondTime();
  void back();
  void closing();
  void nextHandOver();
  void windowShowsViewport();

 private:
  PreviewWindow* shownForm(const QImage& picture);

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<FakePrompts> prompts_;
  std::unique_ptr<PreviewWindow> form_;
  FakePreviewHost host_;
};

void TestPreviewWindow::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  setProgramFolderForTesting(dir_->path());
  prompts_ = std::make_unique<FakePrompts>();
  host_.calls.clear();
}

void TestPreviewWindow::cleanup() {
  form_.reset();
  prompts_.reset();
  setProgramFolderForTesting(QString());
  if (dir_) {
    // Leave nothing read-only behind.
    for (const QString& sub : QDir(dir_->path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
      QFile::setPermissions(dir_->filePath(sub), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ExeOwner);
  }
  dir_.reset();
}

PreviewWindow* TestPreviewWindow::shownForm(const QImage& picture) {
  form_ = std::make_unique<PreviewWindow>();
  form_->Form_Load();
  form_->setHost(&host_);
  host_.form = form_.get();
  form_->setReport(std::nullopt, dir_->filePath(QStringLiteral("Wrenfold12345678.xls")));
  form_->setReportPicture(picture);
  form_->show();
  if (!QTest::qWaitForWindowExposed(form_.get())) return nullptr;
  return form_.get();
}

void TestPreviewWindow::controls_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("parent");
  QTest::addColumn<QRect>("geometry");
  QTest::addColumn<QString>("caption");
  QTest::newRow("Picture2") << "Picture2"
                            << "Form2" << QRect(8, 8, 622, 495) << "";
  QTest::newRow("Picture1") << "Picture1"
                            << "Picture2" << QRect(0, 0, 156, 229) << "";
  QTest::newRow("Zoom_Ori") << "Zoom_Ori"
                            << "Form2" << QRect(688, 32, 49, 25) << "";
  QTest::newRow("VScroll1") << "VScroll1"
                            << "Form2" << QRect(630, 8, 17, 495) << "";
  QTest::newRow("HScroll1") << "HScroll1"
                            << "Form2" << QRect(8, 503, 622, 17) << "";
  QTest::newRow("Frame1") << "Frame1"
                          << "Form2" << QRect(8, 524, 640, 57) << "Zoom:";
  QTest::newRow("PushButton1") << "PushButton1"
                               << "Frame1" << QRect(16, 20, 296, 27) << "Zoom In";
  QTest::newRow("PushButton2") << "PushButton2"
                               << "Frame1" << QRect(320, 20, 304, 27) << "Zoom Out";
  QTest::newRow("PushButton8") << "PushButton8"
                               << "Form2" << QRect(8, 590, 312, 27) << "< Back";
  QTest::newRow("PushButton6") << "PushButton6"
                               << "Form2" << QRect(328, 590, 320, 27)
                               << "Save Results To Excel File";
}

void TestPreviewWindow::controls() {
  QFETCH(QString, name);
  QFETCH(QString, parent);
  QFETCH(QRect, geometry);
  QFETCH(QString, caption);
  PreviewWindow form;
  auto* w = form.findChild<QWidget*>(name);
  QVERIFY(w);
  QCOMPARE(w->parentWidget()->objectName(), parent);
  QCOMPARE(w->geometry(), geometry);
  if (auto* button = qobject_cast<QPushButton*>(w)) {
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->font().family(), QStringLiteral("Arial"));
    QCOMPARE(button->font().pointSizeF(), 11.25);
    QVERIFY(button->font().bold());
  }
  if (auto* frame = qobject_cast<QGroupBox*>(w)) QCOMPARE(frame->title(), caption);
  if (auto* bar = qobject_cast<QScrollBar*>(w)) {
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 32767);
    QCOMPARE(bar->singleStep(), 1);
    QCOMPARE(bar->pageStep(), 1);
  }
}

void TestPreviewWindow::windowLook() {
  PreviewWindow form;
  form.Form_Load();  // as the program does when it first uses the window
  QCOMPARE(form.objectName(), QStringLiteral("Form2"));
  QCOMPARE(form.size(), QSize(656, 626));
  QCOMPARE(form.windowTitle(), QStringLiteral("Tinselwick"));
  QCOMPARE(form.font().family(), QStringLiteral("Arial"));
  QCOMPARE(form.font().pointSizeF(), 9.0);
  QVERIFY(form.font().bold());
  QVERIFY(form.setupPending());
  QCOMPARE(form.Picture2->palette().color(QPalette::Window), QColor(Qt::white));
  const QColor face = form.palette().color(QPalette::Button);
  QCOMPARE(form.palette().color(QPalette::Window), face);
  QCOMPARE(form.Frame1->palette().color(QPalette::Window), face);
  QVERIFY(prompts_->messages.isEmpty());

  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  // Centred on the screen.
  const QRect screen = form.screen()->availableGeometry();
  QVERIFY(qAbs(form.geometry().center().x() - screen.center().x()) <= 1);
  QVERIFY(qAbs(form.geometry().center().y() - screen.center().y()) <= 1);
}

void TestPreviewWindow::setupOnActivation() {
  PreviewWindow* form = shownForm(reportImage(1400, 520));
  QVERIFY(form);
  QVERIFY(!form->setupPending());
  QCOMPARE(form->zoom(), 1.0f);
  QVERIFY(form->Zoom_Ori->isHidden());
  QCOMPARE(form->Zoom_Ori->size(), QSize(1400, 520));
  QCOMPARE(form->imageWidth(), 20998);
  QCOMPARE(form->imageHeight(), 7798);
  QCOMPARE(form->Picture1->size(), QSize(1400, 520));
  QCOMPARE(form->Picture1->pos(), QPoint(0, 0));
  // Painted at natural size from the unscaled holder; the box's own picture is gone.
  QVERIFY(form->Picture1->picture().isNull());
  const QImage shown = form->Picture1->drawing().toImage();
  QCOMPARE(shown.size(), QSize(1400, 520));
  QCOMPARE(QColor(shown.pixel(10, 10)), QColor(Qt::red));
  QCOMPARE(QColor(shown.pixel(1390, 510)), QColor(Qt::blue));
  // (21000 - 9330) / 10 = 1167; (7800 - 7425) / 10 = 37.5, halves to 38.
  QVERIFY(form->HScroll1->isEnabled());
  QCOMPARE(form->HScroll1->maximum(), 1167);
  QCOMPARE(int(form->hStep()), 10);
  QVERIFY(form->VScroll1->isEnabled());
  QCOMPARE(form->VScroll1->maximum(), 38);
  QCOMPARE(int(form->vStep()), 10);
  QCOMPARE(form->pointer(), PreviewWindow::Pointer::Default);

  // A later activation without a new report changes nothing.
  form->HScroll1->setValue(30);
  form->Form_Activate();
  QCOMPARE(form->HScroll1->value(), 30);
  QVERIFY(prompts_->messages.isEmpty());
}

void TestPreviewWindow::zoomSteps_data() {
  // A 400x150 picture (5998 x 2248 twips to paint from) can reach all ten levels.
  QTest::addColumn<QString>("clicks");  // i = Zoom In, o = Zoom Out
  QTest::addColumn<float>("zoom");
  QTest::addColumn<QSize>("size");
  QTest::newRow("1.25") << "i" << 1.25f << QSize(500, 187);
  QTest::newRow("1.5") << "ii" << 1.5f << QSize(600, 225);
  QTest::newRow("2.5") << "iiiiii" << 2.5f << QSize(1000, 375);
  QTest::newRow("2.5 and one more") << "iiiiiii" << 2.5f << QSize(1000, 375);
  QTest::newRow("0.75") << "o" << 0.75f << QSize(300, 112);
  QTest::newRow("0.25") << "ooo" << 0.25f << QSize(100, 37);
  QTest::newRow("0.25 and one more") << "oooo" << 0.25f << QSize(100, 37);
  QTest::newRow("up and back") << "iioo" << 1.0f << QSize(400, 150);
  QTest::newRow("all ten levels") << "iiiiiioooooooooo" << 0.25f << QSize(100, 37);
}

void TestPreviewWindow::zoomSteps() {
  QFETCH(QString, clicks);
  QFETCH(float, zoom);
  QFETCH(QSize, size);
  PreviewWindow* form = shownForm(reportImage(400, 150));
  QVERIFY(form);
  for (QChar c : clicks)
    QTest::mouseClick(c == u'i' ? form->PushButton1 : form->PushButton2, Qt::LeftButton);
  QCOMPARE(form->zoom(), zoom);
  QCOMPARE(form->Picture1->size(), size);
  const QImage shown = form->Picture1->drawing().toImage();
  QCOMPARE(shown.size(), size);
  QCOMPARE(QColor(shown.pixel(2, 2)), QColor(Qt::red));
  QCOMPARE(QColor(shown.pixel(size.width() - 3, size.height() - 3)), QColor(Qt::blue));
  QCOMPARE(form->HScroll1->value(), 0);
  QCOMPARE(form->VScroll1->value(), 0);
  QCOMPARE(form->HScroll1->isEnabled(), size.width() > 622);
  QCOMPARE(form->VScroll1->isEnabled(), size.height() > 495);
  QVERIFY(prompts_->messages.isEmpty());
}

void TestPreviewWindow::zoomLimitsDoNotRepaint() {
  PreviewWindow* form = shownForm(reportImage(400, 150));
  QVERIFY(form);
  for (int i = 0; i < 6; ++i) form->PushButton1_Click();
  QCOMPARE(form->zoom(), 2.5f);
  const qint64 top = form->Picture1->drawing().cacheKey();
  form->PushButton1_Click();
  QCOMPARE(form->Picture1->drawing().cacheKey(), top);
  for (int i = 0; i < 9; ++i) form->PushButton2_Click();
  QCOMPARE(form->zoom(), 0.25f);
  const qint64 bottom = form->Picture1->drawing().cacheKey();
  QVERIFY(bottom != top);
  form->PushButton2_Click();
  QCOMPARE(form->Picture1->drawing().cacheKey(), bottom);
}

void TestPreviewWindow::tooLargePicture() {
  // 1500 px = 22498 twips to paint: too large already at 1.0.
  PreviewWindow* form = shownForm(reportImage(1500, 600));
  QVERIFY(form);
  QVERIFY(prompts_->messages.isEmpty());
  QCOMPARE(form->zoom(), 1.0f);
  QVERIFY(!form->Picture1->picture().isNull());  // the loaded picture, unpainted
  QVERIFY(form->Picture1->drawing().isNull());
  QCOMPARE(form->Picture1->size(), QSize(1500, 600));
  QCOMPARE(form->HScroll1->maximum(), 1317);  // (22500 - 9330) / 10
  form->HScroll1->setValue(100);
  QCOMPARE(form->Picture1->x(), -67);  // -1000 twips

  form->PushButton1_Click();  // 1.25: still too large, ignored
  QCOMPARE(form->zoom(), 1.0f);
  QCOMPARE(form->Picture1->size(), QSize(1500, 600));
  QCOMPARE(form->Picture1->x(), -67);
  QCOMPARE(form->HScroll1->value(), 100);

  // A report shown at 1.25 and then too large keeps the 1.25 picture while the zoom restarts
  // from 1.0: here zooming out asks for 0.75, which fits.
  form->PushButton2_Click();
  QCOMPARE(form->zoom(), 0.75f);
  QCOMPARE(form->Picture1->size(), QSize(1125, 450));
  QCOMPARE(form->Picture1->x(), 0);
  QVERIFY(prompts_->messages.isEmpty());
}

void TestPreviewWindow::onePixelPicture() {
  PreviewWindow* form = shownForm(reportImage(1, 1));
  QVERIFY(form);
  QCOMPARE(form->Picture1->size(), QSize(1, 1));
  QVERIFY(!form->HScroll1->isEnabled());
  QVERIFY(!form->VScroll1->isEnabled());
  QCOMPARE(int(form->hStep()), 0);
  QCOMPARE(form->HScroll1->maximum(), 32767);
  for (int i = 0; i < 3; ++i) form->PushButton2_Click();
  QCOMPARE(form->zoom(), 0.25f);
  QCOMPARE(form->Picture1->size(), QSize(0, 0));  // 3 twips
  for (int i = 0; i < 9; ++i) form->PushButton1_Click();
  QCOMPARE(form->zoom(), 2.5f);
  QCOMPARE(form->Picture1->size(), QSize(2, 2));  // 32 twips
  QCOMPARE(QColor(form->Picture1->drawing().toImage().pixel(1, 1)), QColor(Qt::blue));
  QVERIFY(prompts_->messages.isEmpty());
}

void TestPreviewWindow::barMaximumOverflow() {
  // 22500 px = 337500 twips: (337500 - 9330) / 10 has no 16-bit value.
  PreviewWindow* form = shownForm(reportImage(22500, 10));
  QVERIFY(form);
  const auto errors = prompts_->errors();
  QCOMPARE(errors.size(), 1);
  QVERIFY(errors[0].text.startsWith(QStringLiteral("Overflow\r\n")));
  QVERIFY(errors[0].text.contains(QStringLiteral("Form2.Form_Activate at line 112")));
  QVERIFY(!form->setupPending());  // the set-up's last step still ran
  QCOMPARE(form->Picture1->pos(), QPoint(0, 0));
  form->PushButton1_Click();
  form->PushButton2_Click();
  QCOMPARE(prompts_->messages.size(), 1);
}

void TestPreviewWindow::scrollBarsMovePicture_data() {
  QTest::addColumn<bool>("horizontal");
  QTest::addColumn<int>("value");
  QTest::addColumn<int>("offset");                 // pixels
  QTest::newRow("h 1") << true << 1 << -1;         // -10 twips
  QTest::newRow("h 100") << true << 100 << -67;    // -1000 twips
  QTest::newRow("h max") << true << 1167 << -778;  // the far edge
  QTest::newRow("v 38") << false << 38 << -25;     // -380 twips
  QTest::newRow("v 1") << false << 1 << -1;
}

void TestPreviewWindow::scrollBarsMovePicture() {
  QFETCH(bool, horizontal);
  QFETCH(int, value);
  QFETCH(int, offset);
  PreviewWindow* form = shownForm(reportImage(1400, 520));
  QVERIFY(form);
  const qint64 painted = form->Picture1->drawing().cacheKey();
  QScrollBar* bar = horizontal ? form->HScroll1 : form->VScroll1;
  bar->setValue(value);
  QCOMPARE(horizontal ? form->Picture1->x() : form->Picture1->y(), offset);
  QCOMPARE(horizontal ? form->Picture1->y() : form->Picture1->x(), 0);
  QCOMPARE(form->Picture1->drawing().cacheKey(), painted);  // moved, not repainted
  // The user's arrow click moves it one unit further back.
  bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  QCOMPARE(bar->value(), value - 1);
  bar->setValue(0);
  QCOMPARE(form->Picture1->pos(), QPoint(0, 0));
}

void TestPreviewWindow::disabledBarEnabledByZoom() {
  // 300 px wide fits the viewport at 1.0; at 2.5 it is wider but the bar still has step 0.
  PreviewWindow* form = shownForm(reportImage(300, 200));
  QVERIFY(form);
  QVERIFY(!form->HScroll1->isEnabled());
  for (int i = 0; i < 6; ++i) form->PushButton1_Click();
  QCOMPARE(form->Picture1->width(), 750);
  QVERIFY(form->HScroll1->isEnabled());
  QVERIFY(form->VScroll1->isEnabled());
  QCOMPARE(form->HScroll1->maximum(), 32767);
  form->HScroll1->setValue(500);
  QCOMPARE(form->Picture1->pos(), QPoint(0, 0));
}

void TestPreviewWindow::dragAndRelease() {
  PreviewWindow* form = shownForm(reportImage(1400, 520));
  QVERIFY(form);
  QWidget* box = form->Picture1;
  const qint64 painted = form->Picture1->drawing().cacheKey();
  QTest::mousePress(box, Qt::LeftButton, {}, QPoint(300, 200));
  QTest::mouseMove(box, QPoint(200, 150));
  QCOMPARE(box->pos(), QPoint(-100, -25));  // vertically only 25 px to spare
  QCOMPARE(form->HScroll1->value(), 0);     // bars keep still during the drag
  // The grabbed point (300, 200) stays under the pointer: it is now at (200, ...) in Picture2.
  QTest::mouseMove(box, QPoint(300 - 500, 200));
  QCOMPARE(box->pos(), QPoint(-600, -25));
  QTest::mouseMove(box, QPoint(-2000, 200));  // far beyond the edge
  QCOMPARE(box->pos(), QPoint(-778, -25));
  QCOMPARE(form->Picture1->drawing().cacheKey(), painted);
  QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(300, 200));
  // 11670 / 11670 = 100 % -> 1167 -> -11670 twips; 375 / 375 = 100 % -> 38 -> -380 twips.
  QCOMPARE(form->HScroll1->value(), 1167);
  QCOMPARE(form->VScroll1->value(), 38);
  QCOMPARE(box->pos(), QPoint(-778, -25));

  // A drag back into the middle settles on a whole percentage of the range.
  QTest::mousePress(box, Qt::LeftButton, {}, QPoint(900, 100));
  QTest::mouseMove(box, QPoint(900 + 389, 100 + 12));  // left -389 px = -5835 twips
  QCOMPARE(box->pos(), QPoint(-389, -13));
  QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(900, 100));
  // 5835 / 11670 = 50 % -> 583.5 halves to 584 -> -5840 twips = -389.33 px;
  // 195 / 375 = 52 % -> 19.76 -> 20 -> -200 twips = -13.33 px.
  QCOMPARE(form->HScroll1->value(), 584);
  QCOMPARE(form->VScroll1->value(), 20);
  QCOMPARE(box->pos(), QPoint(-389, -13));
  QVERIFY(prompts_->messages.isEmpty());
}

void TestPreviewWindow::dragNarrowPicture_data() {
  QTest::addColumn<QPoint>("to");
  QTest::addColumn<QPoint>("pos");
  // 300x200 in 622x495: not above 0 -> right or bottom edge at the viewport's edge.
  QTest::newRow("no travel") << QPoint(10, 10) << QPoint(322, 295);
  QTest::newRow("left and up") << QPoint(5, 2) << QPoint(322, 295);
  QTest::newRow("right and down") << QPoint(20, 30) << QPoint(0, 0);
  QTest::newRow("right only") << QPoint(11, 10) << QPoint(0, 295);
}

void TestPreviewWindow::dragNarrowPicture() {
  QFETCH(QPoint, to);
  QFETCH(QPoint, pos);
  PreviewWindow* form = shownForm(reportImage(300, 200));
  QVERIFY(form);
  QWidget* box = form->Picture1;
  QTest::mousePress(box, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseMove(box, to);
  QCOMPARE(box->pos(), pos);
  QTest::mouseRelease(box, Qt::LeftButton, {}, box->mapFrom(form, box->mapTo(form, QPoint())));
  // At 0 the percentage is 0; at a positive position it is negative and the bar stays.
  QCOMPARE(form->HScroll1->value(), 0);
  QCOMPARE(form->VScroll1->value(), 0);
  QCOMPARE(box->pos(), pos);
  QVERIFY(prompts_->messages.isEmpty());
}

void TestPreviewWindow::releaseWithEqualWidths() {
  PreviewWindow* form = shownForm(reportImage(622, 600));
  QVERIFY(form);
  QCOMPARE(form->Picture1->width(), form->Picture2->width());
  QWidget* box = form->Picture1;
  QTest::mousePress(box, Qt::LeftButton, {}, QPoint(100, 100));
  QTest::mouseMove(box, QPoint(100, 50));
  QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(100, 100));
  const auto errors = prompts_->errors();
  QCOMPARE(errors.size(), 1);
  QVERIFY(errors[0].text.contains(QStringLiteral("Form2.Picture1_MouseUp at line 100")));
  // The vertical part still ran: 750 / 1575 = 47.6 % -> 48 % of 158 = 75.84 -> 76.
  QCOMPARE(form->VScroll1->value(), 76);
  QCOMPARE(box->y(), -51);  // -760 twips
}

void TestPreviewWindow::percentOutsideRange() {
  PreviewWindow* form = shownForm(reportImage(1400, 520));
  QVERIFY(form);
  form->HScroll1->setValue(300);
  form->SetHScrollbarByPercent(form->HScroll1, 101);
  form->SetHScrollbarByPercent(form->HScroll1, -1);
  QCOMPARE(form->HScroll1->value(), 300);
  form->SetHScrollbarByPercent(form->HScroll1, 100);
  QCOMPARE(form->HScroll1->value(), 1167);
  form->SetVScrollbarByPercent(form->VScroll1, 50);
  QCOMPARE(form->VScroll1->value(), 19);  // 19 exactly
}

void TestPreviewWindow::pointerRules_data() {
  QTest::addColumn<bool>("handFile");
  QTest::addColumn<bool>("busy");
  QTest::addColumn<QString>("over");
  QTest::addColumn<int>("shape");
  QTest::newRow("button, hand") << true << false << "PushButton6" << int(Qt::BitmapCursor);
  QTest::newRow("zoom button, hand") << true << false << "PushButton1" << int(Qt::BitmapCursor);
  QTest::newRow("button, no file") << false << false << "PushButton8" << int(Qt::ArrowCursor);
  QTest::newRow("button, busy") << true << true << "PushButton2" << int(Qt::WaitCursor);
  QTest::newRow("frame, busy") << true << true << "Frame1" << int(Qt::WaitCursor);
  QTest::newRow("window, busy") << true << true << "Form2" << int(Qt::WaitCursor);
}

void TestPreviewWindow::pointerRules() {
  QFETCH(bool, handFile);
  QFETCH(bool, busy);
  QFETCH(QString, over);
  QFETCH(int, shape);
  if (handFile) writeFile(dir_->filePath(QStringLiteral("HAND-M.CUR")), cursorFile());
  PreviewWindow* form = shownForm(reportImage(1400, 520));
  QVERIFY(form);
  QVERIFY(prompts_->messages.isEmpty());
  QCOMPARE(form->hasHandCursor(), handFile);
  if (busy) form->setPointer(PreviewWindow::Pointer::Hourglass);
  QWidget* target = over == form->objectName() ? form : form->findChild<QWidget*>(over);
  QVERIFY(target);
  QTest::mouseMove(target, QPoint(3, 3));
  QCOMPARE(int(form->cursor().shape()), shape);
  if (shape == Qt::BitmapCursor) QCOMPARE(form->cursor().hotSpot(), QPoint(5, 3));
  if (busy) return;

  // Back over the frame or the window's own background: the default arrow again; over the
  // viewport and the bars: unchanged.
  QTest::mouseMove(form->Frame1, QPoint(600, 5));
  QCOMPARE(form->pointer(), PreviewWindow::Pointer::Default);
  QTest::mouseMove(target, QPoint(3, 3));
  QTest::mouseMove(form->Picture2, QPoint(5, 5));
  QTest::mouseMove(form->Picture1, QPoint(5, 5));
  QTest::mouseMove(form->VScroll1, QPoint(5, 100));
  QCOMPARE(form->pointer(), PreviewWindow::Pointer::Custom);
  QTest::mouseMove(form, QPoint(650, 620));
  QCOMPARE(form->pointer(), PreviewWindow::Pointer::Default);
  QCOMPARE(form->cursor().shape(), Qt::ArrowCursor);
  // A repaint resets it too.
  form->setPointer(PreviewWindow::Pointer::Custom);
  form->PushButton2_Click();
  QCOMPARE(form->pointer(), PreviewWindow::Pointer::Default);
}

void TestPreviewWindow::damagedCursorFile() {
  writeFile(dir_->filePath(QStringLiteral("HAND-M.CUR")), QByteArray("not a cursor"));
  PreviewWindow form;
  QVERIFY(prompts_->errors().isEmpty());  // building the window shows no dialog
  form.Form_Load();
  const auto errors = prompts_->errors();
  QCOMPARE(errors.size(), 1);
  QVERIFY(errors[0].text.contains(QStringLiteral("Form2.Form_Load at line 108")));
  QCOMPARE(form.windowTitle(), QStringLiteral("Tinselwick"));
  QVERIFY(!form.hasHandCursor());
}

void TestPreviewWindow::save_data() {
  QTest::addColumn<QString>("target");        // relative to the test folder; "" = cancelled
  QTest::addColumn<QByteArray>("existing");   // old content of target; empty = none
  QTest::addColumn<int>("answer");            // to the overwrite question
  QTest::addColumn<QString>("lock");          // a folder made read-only first
  QTest::addColumn<QString>("workbookGone");  // "", or "deleted", "empty", "none" (not handed over)
  QTest::addColumn<QStringList>("texts");     // expected messages, errors as "error:<part>"
  QTest::addColumn<bool>("copied");
  const QByteArray old("old workbook");
  const QString overwrite = QStringLiteral("overwrite");
  QTest::newRow("new name") << "out/report.xls" << QByteArray() << 0 << ""
                            << "" << QStringList{"Done."} << true;
  QTest::newRow("no extension") << "out/report" << QByteArray() << 0 << ""
                                << "" << QStringList{"Done."} << true;
  QTest::newRow("non-Latin name") << "out/Подарки 礼物 ünï.xls" << QByteArray() << 0 << ""
                                  << "" << QStringList{"Done."} << true;
  QTest::newRow("overwrite, Yes") << "out/report.xls" << old << int(msg::Yes) << ""
                                  << "" << QStringList{overwrite, "Done."} << true;
  QTest::newRow("overwrite, No") << "out/report.xls" << old << int(msg::No) << ""
                                 << "" << QStringList{overwrite, "Done."} << false;
  QTest::newRow("cancelled") << "" << QByteArray() << 0 << ""
                             << "" << QStringList{"Done."} << false;
  QTest::newRow("read-only folder") << "out/report.xls" << QByteArray() << 0 << "out"
                                    << "" << QStringList{"error:cannot be written"} << false;
  QTest::newRow("read-only folder, overwrite")
      << "out/report.xls" << old << int(msg::Yes) << "out"
      << "" << QStringList{overwrite, "error:cannot be written"} << false;
  QTest::newRow("missing folder") << "missing/report.xls" << QByteArray() << 0 << ""
                                  << "" << QStringList{"error:does not exist"} << false;
  // Without a report workbook the user is told so and asked for no name; nothing is written.
  for (const char* gone : {"deleted", "empty", "none"})
    QTest::addRow("workbook %s", gone)
        << "out/report.xls" << old << int(msg::Yes) << "" << gone
        << QStringList{"error@106:There is no report workbook to save"} << false;
  QTest::newRow("target is a folder") << "out/sub" << QByteArray() << int(msg::Yes) << ""
                                      << "" << QStringList{overwrite, "error:is a folder"} << false;
}

void TestPreviewWindow::save() {
  QFETCH(QString, target);
  QFETCH(QByteArray, existing);
  QFETCH(int, answer);
  QFETCH(QString, lock);
  QFETCH(QString, workbookGone);
  QFETCH(QStringList, texts);
  QFETCH(bool, copied);
  QDir(dir_->path()).mkpath(QStringLiteral("out/sub"));
  QString path = target.isEmpty() ? QString() : dir_->filePath(target);
  // Permissions do not stop root; /proc takes no new files from anybody.
  const bool asRoot = !lock.isEmpty() && ::geteuid() == 0;
  if (asRoot) {
    path = existing.isEmpty() ? QStringLiteral("/proc/tinselwick-report.xls")
                              : QStringLiteral("/proc/version");
    if (!existing.isEmpty()) {
      existing = readAll(path);
      texts.replaceInStrings("error:cannot be written", "error:is read-only");  // 0444
    }
    lock.clear();
  }
  if (!existing.isEmpty() && !asRoot) writeFile(path, existing);
  PreviewWindow form;
  form.setHost(&host_);
  host_.form = &form;
  form.setReport(std::nullopt, dir_->filePath(QStringLiteral("Wrenfold00000001.xls")));
  QByteArray workbook(100000, '\0');
  for (int i = 0; i < workbook.size(); ++i) workbook[i] = char(i * 7 % 251);
  writeFile(form.workbookPath(), workbook);
  if (workbookGone == QLatin1String("deleted")) QFile::remove(form.workbookPath());
  if (workbookGone == QLatin1String("empty")) writeFile(form.workbookPath(), QByteArray());
  if (workbookGone == QLatin1String("none")) form.setReport(std::nullopt, QString());
  if (!lock.isEmpty())
    QVERIFY(QFile::setPermissions(dir_->filePath(lock),
                                  QFileDevice::ReadOwner | QFileDevice::ExeOwner));
  prompts_->savePaths.push_back(path);
  if (answer) prompts_->answers.push_back(answer);

  form.PushButton6_Click();

  if (workbookGone.isEmpty()) {
    QCOMPARE(prompts_->saveDialogTitles, QStringList{"Save File"});
    QCOMPARE(prompts_->saveDialogFilters, QStringList{"Excel Files (*.xls)|*.xls|"});
    QCOMPARE(prompts_->saveDialogInitialNames, QStringList{QString()});
  } else {
    QVERIFY(prompts_->saveDialogTitles.isEmpty());
  }
  QCOMPARE(prompts_->messages.size(), texts.size());
  for (int i = 0; i < texts.size(); ++i) {
    const ShownMessage& m = prompts_->messages[i];
    if (texts[i] == QLatin1String("overwrite")) {
      QCOMPARE(m.text, "Are you sure you wish to overwrite " + path + " ?");
      QCOMPARE(m.style, msg::YesNo);
      QCOMPARE(m.title, applicationTitle());
    } else if (texts[i].startsWith(QLatin1String("error"))) {
      // "error:<part>" at step 114, "error@<step>:<part>" elsewhere.
      const qsizetype colon = texts[i].indexOf(u':');
      const QString step = colon > 5 ? texts[i].mid(6, colon - 6) : QStringLiteral("114");
      QCOMPARE(m.title, QStringLiteral("Application Error"));
      QVERIFY2(m.text.contains(texts[i].mid(colon + 1)), qPrintable(m.text));
      QVERIFY(m.text.contains("Form2.PushButton6_Click at line " + step));
    } else {
      QCOMPARE(m.text, texts[i]);
      QCOMPARE(m.style, msg::OkOnly);
      QCOMPARE(m.title, applicationTitle());
    }
  }
  if (!lock.isEmpty())
    QFile::setPermissions(dir_->filePath(lock),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  if (copied) {
    QCOMPARE(readAll(path), workbook);
    QVERIFY(QFileInfo(path).permissions() & QFileDevice::ReadOther);  // not a private file
  } else if (!existing.isEmpty()) {
    QCOMPARE(readAll(path), existing);  // the old file survives
  } else if (!path.isEmpty() && !QFileInfo(path).isDir()) {
    QVERIFY(!QFile::exists(path));
  }
  if (workbookGone.isEmpty()) QCOMPARE(readAll(form.workbookPath()), workbook);
  // Nothing half-written is left beside the target.
  const QStringList left = QDir(dir_->filePath(QStringLiteral("out")))
                               .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
  QCOMPARE(left.size(), (copied || !existing.isEmpty()) && !asRoot ? 1 : 0);
}

void TestPreviewWindow::saveTwiceAsksSecondTime() {
  PreviewWindow form;
  form.setReport(std::nullopt, dir_->filePath(QStringLiteral("Wrenfold00000002.xls")));
  writeFile(form.workbookPath(), QByteArray("workbook"));
  const QString path = dir_->filePath(QStringLiteral("twice.xls"));
  prompts_->savePaths = {path, path};
  form.PushButton6_Click();
  form.PushButton6_Click();
  QCOMPARE(prompts_->texts(),
           (QStringList{"Done.", "Are you sure you wish to overwrite " + path + " ?", "Done."}));
  QCOMPARE(readAll(path), QByteArray("workbook"));
}

void TestPreviewWindow::back() {
  PreviewWindow* form = shownForm(reportImage(1400, 520));
  QVERIFY(form);
  writeFile(form->workbookPath(), QByteArray("workbook"));
  form->PushButton1_Click();  // too large, ignored; state otherwise kept
  form->PushButton2_Click();
  form->HScroll1->setValue(5);
  QTest::mouseClick(form->PushButton8, Qt::LeftButton);
  QVERIFY(!QFile::exists(form->workbookPath()));
  QVERIFY(form->workbookPath().endsWith(QStringLiteral("Wrenfold12345678.xls")));
  QCOMPARE(host_.calls, QStringList{"show"});
  QVERIFY(form->isHidden());
  QCOMPARE(form->zoom(), 0.75f);
  QCOMPARE(form->HScroll1->value(), 5);
  // Saving now is a clear failure, and no "Done.".
  prompts_->savePaths.push_back(dir_->filePath(QStringLiteral("after-back.xls")));
  form->PushButton6_Click();
  QCOMPARE(prompts_->errors().size(), 1);
  QCOMPARE(prompts_->messages.size(), 1);
}

void TestPreviewWindow::closing() {
  PreviewWindow* form = shownForm(reportImage(200, 100));
  QVERIFY(form);
  writeFile(form->workbookPath(), QByteArray("workbook"));
  QVERIFY(form->close());
  QVERIFY(!QFile::exists(form->workbookPath()));
  QCOMPARE(host_.calls, (QStringList{"store", "end"}));
  QVERIFY(form->close());  // a second request while the program ends stores nothing again
  QCOMPARE(host_.calls, (QStringList{"store", "end"}));
  QVERIFY(prompts_->messages.isEmpty());
}

void TestPreviewWindow::nextHandOver() {
  PreviewWindow* form = shownForm(reportImage(1400, 520));
  QVERIFY(form);
  form->PushButton2_Click();
  form->PushButton8_Click();
  form->setReport(std::nullopt, dir_->filePath(QStringLiteral("Wrenfold87654321.xls")));
  form->setReportPicture(reportImage(700, 300));
  form->show();
  QVERIFY(!form->setupPending());
  QCOMPARE(form->zoom(), 1.0f);
  QCOMPARE(form->Picture1->size(), QSize(700, 300));
  QCOMPARE(form->imageWidth(), 10498);
  QVERIFY(!form->VScroll1->isEnabled());
  QCOMPARE(int(form->vStep()), 0);
  QCOMPARE(form->HScroll1->maximum(), 117);  // (10500 - 9330) / 10
  QCOMPARE(QColor(form->Picture1->drawing().toImage().pixel(690, 290)), QColor(Qt::blue));
}

void TestPreviewWindow::windowShowsViewport() {
  PreviewWindow* form = shownForm(reportImage(1400, 520));
  QVERIFY(form);
  QImage shot = form->grab().toImage();
  QCOMPARE(shot.size(), QSize(656, 626));
  QCOMPARE(QColor(shot.pixel(18, 18)), QColor(Qt::red));
  QCOMPARE(QColor(shot.pixel(620, 400)), QColor(Qt::red));
  form->HScroll1->setValue(form->HScroll1->maximum());
  shot = form->grab().toImage();
  QCOMPARE(QColor(shot.pixel(620, 400)), QColor(Qt::blue));  // picture x 1378
  // Nothing of the picture spills over the viewport's edges.
  QVERIFY(QColor(shot.pixel(4, 400)) != QColor(Qt::red));
  QVERIFY(QColor(shot.pixel(300, 505)) != QColor(Qt::blue));
  form->HScroll1->setValue(0);
  // Kept for a look at the window.
  form->grab().save(temporaryFolder() + QStringLiteral("/form2.png"));
}

void TestPreviewWindow::exportAsPdf_data() {
  QTest::addColumn<QString>("typed");      // in the save dialog; "" = cancelled
  QTest::addColumn<bool>("existing");      // a file with the final name is there first
  QTest::addColumn<int>("answer");         // to the overwrite question
  QTest::addColumn<bool>("workbook");      // the preview holds a report workbook
  QTest::addColumn<QStringList>("texts");  // messages shown
  QTest::addColumn<QString>("ext");        // pdf, or xlsx for "Export as Excel Workbook"
  QTest::newRow(".pdf added") << "report" << false << 0 << true << QStringList{"Done."} << "pdf";
  QTest::newRow("own extension") << "report.pdf" << false << 0 << true << QStringList{"Done."}
                                 << "pdf";
  QTest::newRow("overwrite, Yes") << "report.pdf" << true << int(msg::Yes) << true
                                  << QStringList{"overwrite", "Done."} << "pdf";
  QTest::newRow("overwrite, No") << "report.pdf" << true << int(msg::No) << true
                                 << QStringList{"overwrite"} << "pdf";
  QTest::newRow("cancelled") << "" << false << 0 << true << QStringList{} << "pdf";
  QTest::newRow("no report workbook")
      << "report.pdf" << false << 0 << false << QStringList{"There is no report workbook to export"}
      << "pdf";
  QTest::newRow(".xlsx added") << "report" << false << 0 << true << QStringList{"Done."} << "xlsx";
  QTest::newRow(".xlsx, overwrite, No")
      << "report.xlsx" << true << int(msg::No) << true << QStringList{"overwrite"} << "xlsx";
}

void TestPreviewWindow::exportAsPdf() {
  QFETCH(QString, typed);
  QFETCH(bool, existing);
  QFETCH(int, answer);
  QFETCH(bool, workbook);
  QFETCH(QStringList, texts);
  QFETCH(QString, ext);
  const bool pdf = ext == QLatin1String("pdf");
  PreviewWindow* form = shownForm(QImage(40, 30, QImage::Format_RGB32));
  QVERIFY(form);
  sheet::Workbook book = reporttemplate::build();
  book.isTemplate = false;
  if (workbook) saveWorkbookFile(book, form->workbookPath());
  const QString target = dir_->filePath("report." + ext);
  if (existing) writeFile(target, "old");
  prompts_->savePaths.push_back(typed.isEmpty() ? QString() : dir_->filePath(typed));
  if (answer) prompts_->answers.push_back(answer);

  QTest::keyClick(form, pdf ? Qt::Key_E : Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier);

  const QString title = pdf ? "Export as PDF" : "Export as Excel Workbook";
  QCOMPARE(prompts_->saveDialogTitles, workbook ? QStringList{title} : QStringList{});
  if (workbook)
    QCOMPARE(prompts_->saveDialogFilters,
             QStringList{pdf ? "PDF Files (*.pdf)|*.pdf|" : "Excel Workbook (*.xlsx)|*.xlsx|"});
  QCOMPARE(prompts_->messages.size(), texts.size());
  for (int i = 0; i < texts.size(); ++i) {
    if (texts[i] == QLatin1String("overwrite"))
      QCOMPARE(prompts_->messages[i].text, "Are you sure you wish to overwrite " + target + " ?");
    else
      QVERIFY2(prompts_->messages[i].text.startsWith(texts[i]) ||
                   prompts_->messages[i].text.contains(texts[i]),
               qPrintable(prompts_->messages[i].text));
  }
  const bool written = texts.contains(QStringLiteral("Done."));
  QCOMPARE(readAll(target).startsWith(pdf ? "%PDF" : "PK\x03\x04"), written);
  if (existing && !written) QCOMPARE(readAll(target), QByteArray("old"));
}

void TestPreviewWindow::printAndCopyPicture() {
  QImage picture(40, 30, QImage::Format_RGB32);
  picture.fill(Qt::green);
  PreviewWindow* form = shownForm(picture);
  QVERIFY(form);
  QCOMPARE(form->ContextMenu->actions().size(), 4);
  QCOMPARE(form->ContextMenu->actions()[2]->text(),
           QStringLiteral("Export as Excel Workbook\u2026"));
  QCOMPARE(form->mnuExportXlsx->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_X));
  // Without a report workbook each action says so and does nothing else.
  form->mnuPrint_Click();
  form->mnuCopyPicture_Click();
  form->mnuExportXlsx_Click();
  QCOMPARE(prompts_->errors().size(), 3);
  QVERIFY(prompts_->saveDialogTitles.isEmpty());
  QCOMPARE(prompts_->printDialogs, 0);
  prompts_->clear();

  sheet::Workbook book = reporttemplate::build();
  book.isTemplate = false;
  saveWorkbookFile(book, form->workbookPath());
  prompts_->printTo = dir_->filePath("printed.pdf");
  QTest::keyClick(form, Qt::Key_P, Qt::ControlModifier);
  QCOMPARE(prompts_->printDialogs, 1);
  QVERIFY(readAll(prompts_->printTo).startsWith("%PDF"));
  QTest::keyClick(form, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QGuiApplication::clipboard()->image(), picture);
  QVERIFY(prompts_->messages.isEmpty());
}

QTEST_MAIN(TestPreviewWindow)
#include "tst_previewwindow.moc"
