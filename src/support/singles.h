#pragma once

#include <vector>

namespace kest {

// A fixed-capacity ring of 32-bit floats with push and average: the moving-average
// buffer of channel filters, item averaging and the curve filter. A push writes at
// the write position, advances it modulo the capacity and grows the fill count up to
// the capacity; changing the capacity empties the ring.
class TSingles {
 public:
  explicit TSingles(int capacity = 0);

  int Capacity() const { return static_cast<int>(items_.size()); }
  int Count() const { return count_; }
  void SetCapacity(int capacity);  // negative capacity is an assertion failure
  void Clear();

  // Pushing into a ring of capacity 0 is an assertion failure.
  void Push(float value);
  // Sum of the filled entries divided by their count; 0 when empty.
  float Average() const;
  // The i-th oldest filled entry (0 <= i < Count()).
  float Item(int i) const;

 private:
  std::vector<float> items_;
  int count_ = 0;
  int position_ = 0;
};

}  // namespace kest
