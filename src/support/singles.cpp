#include "support/singles.h"

#include "support/assert.h"

namespace kest {

TSingles::TSingles(int capacity) { SetCapacity(capacity); }

void TSingles::SetCapacity(int capacity) {
  KEST_ASSERT(capacity >= 0);
  items_.assign(static_cast<size_t>(capacity), 0.0f);
  Clear();
}

void TSingles::Clear() {
  count_ = 0;
  position_ = 0;
}

void TSingles::Push(float value) {
  KEST_ASSERT(!items_.empty());
  items_[static_cast<size_t>(position_)] = value;
  position_ = (position_ + 1) % Capacity();
  if (count_ < Capacity()) ++count_;
}

float TSingles::Average() const {
  if (count_ == 0) return 0.0f;
  double sum = 0.0;
  for (int i = 0; i < count_; ++i) sum += items_[static_cast<size_t>(i)];
  return static_cast<float>(sum / count_);
}

float TSingles::Item(int i) const {
  KEST_ASSERT(i >= 0 && i < count_);
  int start = count_ < Capacity() ? 0 : position_;
  return items_[static_cast<size_t>((start + i) % Capacity())];
}

}  // namespace kest
