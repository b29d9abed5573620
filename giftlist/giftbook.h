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

  // Restores the four lists from the settings store, appending to them, as steps firstStep ..
  // firstStep+8 of the caller's trap.
  void restore(Trap& trap, int firstStep);
  // Stores all four lists, each under its own key, in one write of the store; failures are
  // shown (routine Form_QueryUnload of Form1), and a damaged settings file kept aside is named.
  void store() const;

 private:
  std::array<std::unique_ptr<GiftListModel>, kCategoryCount> lists_;
};
