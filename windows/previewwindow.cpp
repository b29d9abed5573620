#include "windows/previewwindow.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <iterator>

#include "base/apptitle.h"
#include "base/failure.h"
#include "base/files.h"
#include "base/prompts.h"
#include "base/trap.h"
#include "report/printing.h"
#include "report/reportworkbook.h"
#include "windows/exportfile.h"
#include "windows/skin.h"
#include "windows/viewport.h"

using viewport::toPixels;
using viewport::toTwips;

namespace {

const QString kModule = QStringLiteral("Form2");

// Places a control at its design position, given in twips.
void place(QWidget* w, int left, int top, int width, int height) {
  w->setGeometry(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

void makeWhite(QWidget* w) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, Qt::white);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

QFont arialBold(double points) {
  QFont font(QStringLiteral("Arial"));
  font.setPointSizeF(points);
  font.setBold(true);
  return font;
}

bool isMouseEvent(const QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
      return true;
    default:
      return false;
  }
}

}  // namespace

// --- PictureBox ---

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
  makeWhite(this);
}

void PictureBox::setPicture(const QImage& picture) {
  picture_ = picture;
  drawing_ = QPixmap();
  update();
}

void PictureBox::removePicture() {
  picture_ = QImage();
  update();
}

void PictureBox::setDrawing(const QPixmap& drawing) {
  drawing_ = drawing;
  update();
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!picture_.isNull()) painter.drawImage(0, 0, picture_);
  if (!drawing_.isNull()) painter.drawPixmap(0, 0, drawing_);
}

// --- The preview window ---

// Building the window shows no dialog: its Form_Load runs when the program first uses it.
PreviewWindow::PreviewWindow(QWidget* parent) : QWidget(parent) {
  buildControls();
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::buildControls() {
  setObjectName(QStringLiteral("Form2"));
  setFont(arialBold(9));
  setFixedSize(toPixels(9840), toPixels(9390));
  setMouseTracking(true);

  Picture2 = new QWidget(this);
  Picture2->setObjectName(QStringLiteral("Picture2"));
  place(Picture2, 120, 120, 9330, 7425);
  makeWhite(Picture2);
  Picture2->setAttribute(Qt::WA_NoMousePropagation);

  Picture1 = new PictureBox(Picture2);
  Picture1->setObjectName(QStringLiteral("Picture1"));
  place(Picture1, 0, 0, 2340, 3435);
  Picture1->installEventFilter(this);

  Zoom_Ori = new PictureBox(this);
  Zoom_Ori->setObjectName(QStringLiteral("Zoom_Ori"));
  place(Zoom_Ori, 10320, 480, 735, 375);

  auto makeBar = [this](Qt::Orientation orientation, const char* name) {
    auto* bar = new QScrollBar(orientation, this);
    bar->setObjectName(QLatin1String(name));
    bar->setRange(0, 32767);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->setAttribute(Qt::WA_NoMousePropagation);
    return bar;
  };
  VScroll1 = makeBar(Qt::Vertical, "VScroll1");
  place(VScroll1, 9450, 120, 255, 7425);
  HScroll1 = makeBar(Qt::Horizontal, "HScroll1");
  place(HScroll1, 120, 7545, 9330, 255);
  connect(HScroll1, &QScrollBar::valueChanged, this, &PreviewWindow::HScroll1_Change);
  connect(VScroll1, &QScrollBar::valueChanged, this, &PreviewWindow::VScroll1_Change);

  Frame1 = new QGroupBox(QStringLiteral("Zoom:"), this);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  place(Frame1, 120, 7860, 9600, 855);
  Frame1->setMouseTracking(true);
  Frame1->setAttribute(Qt::WA_NoMousePropagation);
  Frame1->installEventFilter(this);

  auto makeButton = [this](QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setFont(arialBold(11.25));
    button->setMouseTracking(true);
    button->setAttribute(Qt::WA_NoMousePropagation);
    button->installEventFilter(this);
    return button;
  };
  PushButton1 = makeButton(Frame1, "PushButton1", QStringLiteral("Zoom In"));
  place(PushButton1, 240, 300, 4440, 405);
  PushButton2 = makeButton(Frame1, "PushButton2", QStringLiteral("Zoom Out"));
  place(PushButton2, 4800, 300, 4560, 405);
  PushButton8 = makeButton(this, "PushButton8", QStringLiteral("< Back"));
  place(PushButton8, 120, 8850, 4680, 405);
  PushButton6 = makeButton(this, "PushButton6", QStringLiteral("Save Results To Excel File"));
  place(PushButton6, 4920, 8850, 4800, 405);

  // Keyboard and screen readers: the bars take the focus (arrow keys scroll), every control has
  // a name; the focus goes from the picture's bars to the zoom buttons, "< Back" and "Save".
  Picture2->setAccessibleName(QStringLiteral("Report picture"));
  Picture1->setAccessibleName(QStringLiteral("Report picture"));
  HScroll1->setAccessibleName(QStringLiteral("Horizontal position"));
  VScroll1->setAccessibleName(QStringLiteral("Vertical position"));
  for (QScrollBar* bar : {HScroll1, VScroll1}) {
    bar->setFocusPolicy(Qt::StrongFocus);
    bar->installEventFilter(this);
  }
  QWidget* order[] = {HScroll1, VScroll1, PushButton1, PushButton2, PushButton8, PushButton6};
  for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

  connect(PushButton1, &QPushButton::clicked, this, &PreviewWindow::PushButton1_Click);
  connect(PushButton2, &QPushButton::clicked, this, &PreviewWindow::PushButton2_Click);
  connect(PushButton6, &QPushButton::clicked, this, &PreviewWindow::PushButton6_Click);
  connect(PushButton8, &QPushButton::clicked, this, &PreviewWindow::PushButton8_Click);
  buildContextMenu();
}

void PreviewWindow::buildContextMenu() {
  // Print, PDF and the picture: a context menu on the picture and its viewport, and shortcuts
  // that work anywhere in the window.
  auto makeAction = [this](const char* name, const QString& text, const QKeySequence& keys,
                           void (PreviewWindow::*handler)()) {
    auto* action = new QAction(text, this);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, handler);
    addAction(action);
    return action;
  };
  mnuPrint = makeAction("mnuPrint", QStringLiteral("Print\u2026"), QKeySequence::Print,
                        &PreviewWindow::mnuPrint_Click);
  mnuExportPdf = makeAction("mnuExportPdf", QStringLiteral("Export as PDF\u2026"),
                            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E),
                            &PreviewWindow::mnuExportPdf_Click);
  mnuExportXlsx = makeAction("mnuExportXlsx", QStringLiteral("Export as Excel Workbook\u2026"),
                             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_X),
                             &PreviewWindow::mnuExportXlsx_Click);
  mnuCopyPicture = makeAction("mnuCopyPicture", QStringLiteral("Copy Picture"), QKeySequence::Copy,
                              &PreviewWindow::mnuCopyPicture_Click);
  ContextMenu = new QMenu(this);
  ContextMenu->setObjectName(QStringLiteral("ContextMenu"));
  ContextMenu->addActions({mnuPrint, mnuExportPdf, mnuExportXlsx, mnuCopyPicture});
  for (QWidget* area : {static_cast<QWidget*>(Picture1), Picture2}) {
    area->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(area, &QWidget::customContextMenuRequested, this,
            [this, area](const QPoint& at) { ContextMenu->popup(area->mapToGlobal(at)); });
  }
  // From the keyboard: the Menu key and Shift+F10 open it over the viewport.
  for (const QKeySequence& keys :
       {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
    auto* shortcut = new QShortcut(keys, this);
    connect(shortcut, &QShortcut::activated, this,
            [this] { ContextMenu->popup(Picture2->mapToGlobal(Picture2->rect().center())); });
  }
}

void PreviewWindow::Form_Load() {
  Trap trap{kModule, QStringLiteral("Form_Load")};
  trap(100, [&] { mSetupPending = true; });
  trap(102, [&] { SetFormBackColors(this); });
  trap(104, [&] { setWindowTitle(QStringLiteral("Tinselwick")); });
  trap(106, [&] { setWindowIcon(QIcon(QStringLiteral(":/tinselwick.svg"))); });
  trap(108, [&] { pointer_.setHand(loadHandCursor()); });
}

void PreviewWindow::setReport(const std::optional<QImage>& picture, const QString& workbook) {
  if (picture) setReportPicture(*picture);
  mExcelFile = workbook;
  mSetupPending = true;
}

void PreviewWindow::setReportPicture(const QImage& picture) {
  Picture1->setPicture(picture);
  if (!picture.isNull()) Picture1->resize(picture.size());  // the box sizes itself
  mSetupPending = true;
}

// --- Viewport ---

void PreviewWindow::Form_Activate() {
  // An error dialog during the set-up hands the activation back to this window; that is no
  // new activation of the window.
  if (!mSetupPending || activating_) return;
  activating_ = true;
  Trap trap{kModule, QStringLiteral("Form_Activate")};
  trap(100, [&] {
    // Picture1 keeps what is painted on it, sizes itself to its picture and is white.
    makeWhite(Picture1);
    if (!Picture1->picture().isNull()) Picture1->resize(Picture1->picture().size());
  });
  trap(102, [&] {
    Zoom_Ori->hide();
    Zoom_Ori->resize(Picture1->size());
    Zoom_Ori->setPicture(Picture1->picture());
  });
  trap(104, [&] { mZoom = 1.0f; });
  trap(106, [&] { readImageSize(); });
  trap(108, [&] {
    mScaledWidth = viewport::scaledLength(mImageWidth, 1.0f);
    mScaledHeight = viewport::scaledLength(mImageHeight, 1.0f);
  });
  trap(110, [&] { RedrawImage(); });
  trap(112, [&] { SetupScrollBars(); });
  trap(114, [&] { mSetupPending = false; });
  activating_ = false;
}

// The unscaled source size: the interior of Zoom_Ori less 2.
void PreviewWindow::readImageSize() {
  mImageWidth = viewport::imageSizeFromInterior(toTwips(Zoom_Ori->width()));
  mImageHeight = viewport::imageSizeFromInterior(toTwips(Zoom_Ori->height()));
}

void PreviewWindow::RedrawImage() {
  Trap trap{kModule, QStringLiteral("RedrawImage")};
  trap(100, [&] {
    mScaledWidth = viewport::scaledLength(mImageWidth, mZoom);
    mScaledHeight = viewport::scaledLength(mImageHeight, mZoom);
  });
  bool tooLarge = true;
  trap(102, [&] { tooLarge = viewport::tooLarge(mScaledWidth, mScaledHeight); });
  if (tooLarge) {
    // Nothing is painted; the next zoom step starts again from 1.0.
    trap(104, [&] { mZoom = 1.0f; });
    trap(106, [&] { readImageSize(); });
    trap(108, [&] {
      mScaledWidth = viewport::scaledLength(mImageWidth, 1.0f);
      mScaledHeight = viewport::scaledLength(mImageHeight, 1.0f);
    });
    return;
  }
  trap(110, [&] { Picture1->removePicture(); });
  trap(112, [&] { Picture1->resize(toPixels(mScaledWidth), toPixels(mScaledHeight)); });
  trap(114, [&] {
    const QSize target(toPixels(mScaledWidth), toPixels(mScaledHeight));
    QPixmap drawing;
    if (!target.isEmpty()) {
      drawing = QPixmap(target);
      if (drawing.isNull()) fail(QStringLiteral("Out of memory"));
      drawing.fill(Qt::white);
      const QImage& source = Zoom_Ori->picture();
      const QRect from =
          QRect(0, 0, toPixels(mImageWidth), toPixels(mImageHeight)).intersected(source.rect());
      if (!from.isEmpty()) {
        QImage part = source.copy(from);
        if (part.size() != target)
          part = part.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QPainter painter(&drawing);
        painter.drawImage(0, 0, part);
      }
    }
    Picture1->setDrawing(drawing);
  });
  trap(116, [&] { setPointer(Pointer::Default); });
  trap(118, [&] { HScroll1->setValue(0); });
  trap(120, [&] { VScroll1->setValue(0); });
  trap(122, [&] { HScroll1->setEnabled(toTwips(Picture2->width()) < mScaledWidth); });
  trap(124, [&] { VScroll1->setEnabled(toTwips(Picture2->height()) < mScaledHeight); });
}

void PreviewWindow::SetZoom(float newZoom) {
  if (!viewport::zoomAccepted(newZoom)) return;
  mZoom = newZoom;
  RedrawImage();
}

void PreviewWindow::ChangeZoom(std::int16_t zoomOut) {
  SetZoom(viewport::requestedZoom(mZoom, zoomOut));
}

void PreviewWindow::PushButton1_Click() {
  Trap trap{kModule, QStringLiteral("PushButton1_Click")};
  trap(100, [&] { ChangeZoom(0); });
}

void PreviewWindow::PushButton2_Click() {
  Trap trap{kModule, QStringLiteral("PushButton2_Click")};
  trap(100, [&] { ChangeZoom(1); });
}

void PreviewWindow::SetupScrollBars() {
  Picture1->move(Picture1->x(), 0);
  Picture1->move(0, Picture1->y());
  auto apply = [](QScrollBar* bar, std::int16_t& step, const viewport::BarSetup& setup) {
    bar->setEnabled(setup.enabled);
    if (!setup.enabled) {
      step = 0;
      return;
    }
    bar->setMaximum(*setup.maximum);
    step = setup.step;
    bar->setValue(0);
  };
  apply(HScroll1, mHStep,
        viewport::setupBar(toTwips(Picture1->width()), toTwips(Picture2->width())));
  apply(VScroll1, mVStep,
        viewport::setupBar(toTwips(Picture1->height()), toTwips(Picture2->height())));
}

void PreviewWindow::HScroll1_Change(int value) {
  Picture1->move(toPixels(viewport::scrollOffset(mHStep, value)), Picture1->y());
}

void PreviewWindow::VScroll1_Change(int value) {
  Picture1->move(Picture1->x(), toPixels(viewport::scrollOffset(mVStep, value)));
}

void PreviewWindow::SetHScrollbarByPercent(QScrollBar* HScrollbar, std::int16_t percent) {
  if (const auto value = viewport::barValueForPercent(percent, HScrollbar->maximum()))
    HScrollbar->setValue(*value);
}

void PreviewWindow::SetVScrollbarByPercent(QScrollBar* VScrollbar, std::int16_t percent) {
  if (const auto value = viewport::barValueForPercent(percent, VScrollbar->maximum()))
    VScrollbar->setValue(*value);
}

void PreviewWindow::picture1_MouseDown(QMouseEvent* event) {
  Trap trap{kModule, QStringLiteral("picture1_MouseDown")};
  trap(100, [&] { mDownX = static_cast<float>(event->position().x() * viewport::kTwipsPerPixel); });
  trap(102, [&] { mDownY = static_cast<float>(event->position().y() * viewport::kTwipsPerPixel); });
}

void PreviewWindow::picture1_MouseMove(QMouseEvent* event) {
  if (event->buttons() == Qt::NoButton) return;
  Trap trap{kModule, QStringLiteral("picture1_MouseMove")};
  const auto x = static_cast<float>(event->position().x() * viewport::kTwipsPerPixel);
  const auto y = static_cast<float>(event->position().y() * viewport::kTwipsPerPixel);
  float newLeft = 0.0f;
  float newTop = 0.0f;
  trap(100, [&] {
    newLeft = viewport::dragPosition(static_cast<float>(toTwips(Picture1->x())), mDownX, x,
                                     toTwips(Picture2->width()), toTwips(Picture1->width()));
  });
  trap(102, [&] {
    newTop = viewport::dragPosition(static_cast<float>(toTwips(Picture1->y())), mDownY, y,
                                    toTwips(Picture2->height()), toTwips(Picture1->height()));
  });
  trap(104, [&] { Picture1->move(toPixels(newLeft), toPixels(newTop)); });
}

void PreviewWindow::Picture1_MouseUp() {
  Trap trap{kModule, QStringLiteral("Picture1_MouseUp")};
  std::int32_t horizontal = 0;
  std::int32_t vertical = 0;
  trap(100, [&] {
    horizontal = viewport::releasePercent(toTwips(Picture1->x()), toTwips(Picture1->width()),
                                          toTwips(Picture2->width()));
  });
  trap(102, [&] {
    vertical = viewport::releasePercent(toTwips(Picture1->y()), toTwips(Picture1->height()),
                                        toTwips(Picture2->height()));
  });
  trap(104, [&] { SetHScrollbarByPercent(HScroll1, viewport::toInt16(horizontal)); });
  trap(106, [&] { SetVScrollbarByPercent(VScroll1, viewport::toInt16(vertical)); });
}

// --- Pointer ---

void PreviewWindow::setPointer(Pointer p) {
  pointer_.set(p);
}

void PreviewWindow::mouseMoveEvent(QMouseEvent* event) {
  if (pointer() != Pointer::Hourglass) setPointer(Pointer::Default);
  QWidget::mouseMoveEvent(event);
}

bool PreviewWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Picture1 && isMouseEvent(event)) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
        picture1_MouseDown(mouse);
        break;
      case QEvent::MouseMove:
        picture1_MouseMove(mouse);
        break;
      default:
        Picture1_MouseUp();
        break;
    }
    return true;
  }
  if (event->type() == QEvent::KeyPress && (watched == HScroll1 || watched == VScroll1)) {
    // Scroll bars do not take keys by themselves: arrows move one unit, Page Up/Down ten,
    // Home/End to the ends. The new value moves the picture as a drag of the bar does.
    auto* bar = static_cast<QScrollBar*>(watched);
    const int key = static_cast<QKeyEvent*>(event)->key();
    const int value = bar->value();
    int next = value;
    if (key == Qt::Key_Right || key == Qt::Key_Down) next = value + 1;
    if (key == Qt::Key_Left || key == Qt::Key_Up) next = value - 1;
    if (key == Qt::Key_PageDown) next = value + 10;
    if (key == Qt::Key_PageUp) next = value - 10;
    if (key == Qt::Key_Home) next = bar->minimum();
    if (key == Qt::Key_End) next = bar->maximum();
    if (next != value) {
      bar->setValue(next);
      return true;
    }
  }
  if (event->type() == QEvent::MouseMove && pointer() != Pointer::Hourglass) {
    if (watched == PushButton1 || watched == PushButton2 || watched == PushButton6 ||
        watched == PushButton8)
      setPointer(Pointer::Custom);
    else if (watched == Frame1)
      setPointer(Pointer::Default);
  }
  return QWidget::eventFilter(watched, event);
}

// --- Activation, closing, back ---

bool PreviewWindow::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) Form_Activate();
  return QWidget::event(event);
}

void PreviewWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!placed_) {
    placed_ = true;
    if (const QScreen* s = screen())
      move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
  }
  Form_Activate();
}

bool PreviewWindow::Form_QueryUnload() {
  Trap trap{kModule, QStringLiteral("Form_QueryUnload")};
  // The lists are stored here too: the main window is only hidden and gets no close of its own.
  // They are stored first, so that a window kept open still has its workbook.
  bool mayClose = true;
  trap(106, [&] {
    if (host_) mayClose = host_->storeAllLists();
  });
  if (!mayClose) return false;
  trap(100, [&] {
    if (host_) host_->removeReportWorkbook();
  });
  trap(102, [&] { QCoreApplication::processEvents(); });
  trap(104, [&] { QCoreApplication::processEvents(); });
  return true;
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
  if (closing_) {  // the program is already ending
    event->accept();
    return;
  }
  // The close request processes events: a second close meanwhile is the same request.
  closing_ = true;
  if (!Form_QueryUnload()) {
    closing_ = false;
    event->ignore();
    return;
  }
  event->accept();
  if (host_)
    host_->endProgram();
  else
    QCoreApplication::quit();
}

void PreviewWindow::PushButton8_Click() {
  Trap trap{kModule, QStringLiteral("PushButton8_Click")};
  trap(100, [&] {
    if (host_) host_->removeReportWorkbook();
  });
  trap(102, [&] {
    if (host_) host_->showMainWindow();
  });
  trap(104, [&] { hide(); });
}

// --- Saving ---

void PreviewWindow::PushButton6_Click() {
  Trap trap{kModule, QStringLiteral("PushButton6_Click")};
  QString initialName;
  QString title;
  QString filter;
  QString chosen;
  trap(100, [&] { initialName = QString(); });
  trap(102, [&] { title = QStringLiteral("Save File"); });
  trap(104, [&] { filter = QStringLiteral("Excel Files (*.xls)|*.xls|"); });
  // Without a report workbook (the run that made this report could not save one) there is
  // nothing to save: the user is told so and asked for no file name.
  bool haveWorkbook = false;
  trap(106, [&] {
    report::requireReportWorkbook(mExcelFile, QStringLiteral("save"));
    haveWorkbook = true;
    chosen = prompts().saveFileName(title, filter, initialName);
  });
  if (!haveWorkbook) return;
  int answer = 0;
  if (!chosen.isEmpty()) {
    bool exists = true;
    trap(108, [&] { exists = FileExists(chosen); });
    if (exists) {
      trap(110, [&] { answer = askOverwrite(chosen); });
    } else {
      trap(112, [&] { answer = msg::Yes; });
    }
  }
  bool copied = true;
  if (answer == msg::Yes)
    copied = trap(114, [&] { report::copyReportWorkbook(mExcelFile, chosen); });
  // A failed copy has shown its error; "Done." would claim otherwise.
  if (copied) trap(116, [&] { MsgBox(QStringLiteral("Done.")); });
}

// --- Print, PDF and the picture ---

void PreviewWindow::mnuPrint_Click() {
  Trap trap{kModule, QStringLiteral("mnuPrint_Click")};
  // The print dialog starts from the paper and orientation of the sheet's page set-up.
  QPrinter printer(QPrinter::HighResolution);
  bool ready = false;
  trap(100, [&] {
    const QPageLayout sheetPaper = report::reportPageLayout(mExcelFile);
    printer.setFullPage(true);
    ready = true;
    // The pages are laid out on whatever paper the dialog ends with; a printer that refuses the
    // sheet's paper is said so, and the dialog starts from the printer's own.
    if (!printer.setPageLayout(sheetPaper))
      fail(QStringLiteral("The printer does not take the report's paper (%1, %2); the report is "
                          "fitted to the paper chosen in the print dialog.")
               .arg(sheetPaper.pageSize().name(), sheetPaper.orientation() == QPageLayout::Landscape
                                                      ? QStringLiteral("landscape")
                                                      : QStringLiteral("portrait")));
  });
  if (!ready) return;
  bool chosen = false;
  trap(102, [&] { chosen = prompts().choosePrinter(printer); });
  if (chosen) trap(104, [&] { report::printReport(mExcelFile, printer); });
}

void PreviewWindow::mnuExportPdf_Click() {
  Trap trap{kModule, QStringLiteral("mnuExportPdf_Click")};
  bool haveWorkbook = false;
  trap(100, [&] {
    report::requireReportWorkbook(mExcelFile, QStringLiteral("export"));
    haveWorkbook = true;
  });
  if (!haveWorkbook) return;
  const QString chosen =
      chooseExportFile(trap, 102, QStringLiteral("Export as PDF"),
                       QStringLiteral("PDF Files (*.pdf)|*.pdf|"), QStringLiteral(".pdf"));
  if (chosen.isEmpty()) return;
  const bool written = trap(108, [&] {
    writeNaming(QStringLiteral("the PDF"), [&] {
      writeFileAtomically(chosen, report::reportPdf(mExcelFile), FileAccess::Usual);
    });
  });
  if (written) trap(110, [&] { MsgBox(QStringLiteral("Done.")); });
}

void PreviewWindow::mnuExportXlsx_Click() {
  Trap trap{kModule, QStringLiteral("mnuExportXlsx_Click")};
  bool haveWorkbook = false;
  trap(100, [&] {
    report::requireReportWorkbook(mExcelFile, QStringLiteral("export"));
    haveWorkbook = true;
  });
  if (!haveWorkbook) return;
  const QString chosen =
      chooseExportFile(trap, 102, QStringLiteral("Export as Excel Workbook"),
                       QStringLiteral("Excel Workbook (*.xlsx)|*.xlsx|"), QStringLiteral(".xlsx"));
  if (chosen.isEmpty()) return;
  const bool written = trap(108, [&] { report::exportReportXlsx(mExcelFile, chosen); });
  if (written) trap(110, [&] { MsgBox(QStringLiteral("Done.")); });
}

void PreviewWindow::mnuCopyPicture_Click() {
  Trap trap{kModule, QStringLiteral("mnuCopyPicture_Click")};
  trap(100, [&] {
    report::requireReportWorkbook(mExcelFile, QStringLiteral("copy"));
    if (Zoom_Ori->picture().isNull()) fail(QStringLiteral("There is no report picture to copy."));
    QGuiApplication::clipboard()->setImage(Zoom_Ori->picture());
  });
}
