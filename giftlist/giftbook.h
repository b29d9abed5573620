#pragma once
// The gift book: the four category lists, restored from the settings store at start-up and
// stored there, all four in one write, when the program closes.
#include <array>
#include <memory>

#include "giftlist/giftlistmodel.h"

class Trap;

class GiftBook {
 public:
  GiftBook();
  ~GiftBook();

  // The list of a category (0..3).
  GiftListModel& list(int category) { return *lists_[static_cast<size_t>(category)]; }
  const GiftListModel& list(int category) const { return *lists_[static_cast<size_t>(category)]; }

  // What the restored lists are for: the windows, which store them again when they close, or a
  // report made without windows, which never stores.
  enum class Restore { ForWindows, ForReportOnly };
  // Restores the four lists from the settings store, appending to them, as steps firstStep ..
  // firstStep+8 of the caller's trap.
  void restore(Trap& trap, int firstStep, Restore purpose = Restore::ForWindows);
  // Stores all four lists, each under its own key, in one write of the store; failures are
  // shown (routine Form_QueryUnload of Form1), and a settings file kept aside (damaged, or
  // changed by another program) is named. Returns true when the lists were stored whole.
  bool store() const;
  // Stores the lists as a window closes. When they cannot be stored, asks whether to close
  // anyway (No by default); returns true when the window may close.
  bool storeBeforeClosing() const;

 private:
  std::array<std::unique_ptr<GiftListModel>, kCategoryCount> lists_;
};
