#pragma once
// A window's one pointer setting: the default arrow, the hourglass while the program works, or
// the custom pointer, the hand from HAND-M.CUR (the arrow when no hand was loaded).
#include <QCursor>
#include <QWidget>
#include <optional>
#include <utility>

class WindowPointer {
 public:
  enum class Kind { Default, Hourglass, Custom };

  explicit WindowPointer(QWidget* window) : window_(window) {}

  void setHand(std::optional<QCursor> hand) { hand_ = std::move(hand); }
  bool hasHand() const { return hand_.has_value(); }
  Kind kind() const { return kind_; }

  void set(Kind kind) {
    kind_ = kind;
    if (kind == Kind::Hourglass)
      window_->setCursor(Qt::WaitCursor);
    else if (kind == Kind::Custom && hand_)
      window_->setCursor(*hand_);
    else
      window_->setCursor(Qt::ArrowCursor);
  }

 private:
  QWidget* window_;
  std::optional<QCursor> hand_;
  Kind kind_ = Kind::Default;
};
