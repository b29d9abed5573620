#pragma once
// The preview window: shows the report picture in a viewport with zoom, scroll bars and drag,
// copies the report workbook to a file the user names, and leads back to the main window.
#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>
#include "windows/pointer.h"

class QAction;
class QGroupBox;
class QMenu;
class QPushButton;
class QScrollBar;

// What the preview asks of the program around it. The owner installs it with setHost().
class PreviewHost {
 public:
  virtual ~PreviewHost() = default;
  // Shows the main window again (modeless).
  virtual void showMainWindow() = 0;
  // Stores all gift lists exactly as closing the main window does; false when they could not be
  // stored and the person chose to keep the window open.
  virtual bool storeAllLists() = 0;
  // Removes the report workbook of the report on show (when the report run created it).
  virtual void removeReportWorkbook() = 0;
  // Ends the program.
  virtual void endProgram() = 0;
};

// A picture box: a white surface showing its picture at the top-left corner and, over it, what
// was painted on it. It does not scale anything itself.
class PictureBox : public QWidget {
  Q_OBJECT
 public:
  explicit PictureBox(QWidget* parent);

  // Assigning a picture replaces what was painted.
  void setPicture(const QImage& picture);
  void removePicture();
  const QImage& picture() const { return picture_; }

  void setDrawing(const QPixmap& drawing);
  const QPixmap& drawing() const { return drawing_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
  QPixmap drawing_;
};

class PreviewWindow : public QWidget {
  Q_OBJECT
 public:
  explicit PreviewWindow(QWidget* parent = nullptr);
  ~PreviewWindow() override;

  void setHost(PreviewHost* host) { host_ = host; }

  // The report to show, in one call: Picture1's picture (none: it keeps what it holds) and the
  // temporary workbook's path; the next activation sets the viewport up.
  void setReport(const std::optional<QImage>& picture, const QString& workbook);
  // The picture alone (Picture1's picture), with the set-up due.
  void setReportPicture(const QImage& picture);

  // Full path of the temporary workbook of the report on show.
  const QString& workbookPath() const { return mExcelFile; }
  // The viewport set-up is due at the next activation.
  bool setupPending() const { return mSetupPending; }

  // Sets a bar's value from a whole percentage of its maximum (0..100; others are ignored).
  void SetHScrollbarByPercent(QScrollBar* HScrollbar, std::int16_t percent);
  void SetVScrollbarByPercent(QScrollBar* VScrollbar, std::int16_t percent);

  // The window's one pointer setting.
  using Pointer = WindowPointer::Kind;
  void setPointer(Pointer p);
  Pointer pointer() const { return pointer_.kind(); }
  bool hasHandCursor() const { return pointer_.hasHand(); }

  // Event handlers, callable directly.
  void Form_Load();
  void Form_Activate();
  // The close request; refused (false) only when the lists could not be stored and the person
  // chose to keep the window open.
  bool Form_QueryUnload();
  void PushButton1_Click();  // Zoom In
  void PushButton2_Click();  // Zoom Out
  void PushButton6_Click();  // Save Results To Excel File
  void PushButton8_Click();  // < Back
  // The context menu and its shortcuts.
  void mnuPrint_Click();        // Print...
  void mnuExportPdf_Click();    // Export as PDF...
  void mnuExportXlsx_Click();   // Export as Excel Workbook...
  void mnuCopyPicture_Click();  // Copy Picture

  // Viewport state, in twips.
  float zoom() const { return mZoom; }
  std::int32_t imageWidth() const { return mImageWidth; }
  std::int32_t imageHeight() const { return mImageHeight; }
  std::int32_t scaledWidth() const { return mScaledWidth; }
  std::int32_t scaledHeight() const { return mScaledHeight; }
  std::int16_t hStep() const { return mHStep; }
  std::int16_t vStep() const { return mVStep; }

  // Controls, by their names.
  QWidget* Picture2 = nullptr;
  PictureBox* Picture1 = nullptr;
  PictureBox* Zoom_Ori = nullptr;
  QScrollBar* HScroll1 = nullptr;
  QScrollBar* VScroll1 = nullptr;
  QGroupBox* Frame1 = nullptr;
  QPushButton* PushButton1 = nullptr;
  QPushButton* PushButton2 = nullptr;
  QPushButton* PushButton8 = nullptr;
  QPushButton* PushButton6 = nullptr;
  QMenu* ContextMenu = nullptr;
  QAction* mnuPrint = nullptr;
  QAction* mnuExportPdf = nullptr;
  QAction* mnuExportXlsx = nullptr;
  QAction* mnuCopyPicture = nullptr;

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void buildContextMenu();
  void RedrawImage();
  void SetZoom(float newZoom);
  void ChangeZoom(std::int16_t zoomOut);
  void SetupScrollBars();
  void readImageSize();
  void HScroll1_Change(int value);
  void VScroll1_Change(int value);
  void picture1_MouseDown(QMouseEvent* event);
  void picture1_MouseMove(QMouseEvent* event);
  void Picture1_MouseUp();

  QString mExcelFile;
  bool mSetupPending = false;
  float mZoom = 1.0f;
  std::int32_t mImageWidth = 0;
  std::int32_t mImageHeight = 0;
  std::int32_t mScaledWidth = 0;
  std::int32_t mScaledHeight = 0;
  std::int16_t mHStep = 0;
  std::int16_t mVStep = 0;
  float mDownX = 0.0f;
  float mDownY = 0.0f;

  PreviewHost* host_ = nullptr;
  WindowPointer pointer_{this};
  bool placed_ = false;
  bool activating_ = false;
  bool closing_ = false;
};
