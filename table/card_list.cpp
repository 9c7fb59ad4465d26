#include "table/card_list.h"

void CardList::spillBack(int value) {
  if (size_ == kInline) {
    spill_.assign(inline_.begin(), inline_.end());
  }
  spill_.push_back(value);
  ++size_;
}
