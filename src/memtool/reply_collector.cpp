#include "memtool/reply_collector.h"

#include <algorithm>

#include "support/code_page.h"

namespace kest {

void TReciveDataObject::Start() {
  state_ = kComplete;
  if (OnProgress) OnProgress(true);
  values_.clear();
  reply_upper_ = UpperCase(ReplyName);
  countdown_ = timeout_;
  last_count_ = 0;
  state_ = kCollecting;
}

void TReciveDataObject::DataArrived(std::string_view sensor, uint32_t value) {
  if (state_ != kCollecting || (sensor != reply_upper_ && UpperCase(sensor) != reply_upper_))
    return;
  if (values_.size() < kMaxValues) values_.push_back(value);
  if ((ModeFlags & kFinishOnCount) && Count() >= ExpectedCount) Finish();
}

void TReciveDataObject::Tick() {
  if (state_ != kCollecting) return;
  if (Count() != last_count_) {
    last_count_ = Count();
    countdown_ = timeout_;
    if (OnProgress) OnProgress(true);
    return;
  }
  if (OnProgress) OnProgress(false);
  if (--countdown_ <= 0) Complete(ModeFlags == kTimeoutIsSuccess ? kComplete : kFailed);
}

void TReciveDataObject::Finish() {
  if (OnProgress) OnProgress(false);
  Complete(kComplete);
}

void TReciveDataObject::Complete(uint8_t state) {
  bool was_collecting = state_ == kCollecting;
  state_ = state;
  if (was_collecting && OnComplete) OnComplete(*this);
}

void TReciveDataObject::SetCount(int count) {
  values_.resize(static_cast<size_t>(std::max(0, count)));
}

std::string TReciveDataObject::ProgressText() const {
  if (countdown_ < timeout_ - 1)
    return "Передача прервана, сброс через " + std::to_string(countdown_ / 10) + " секунд(ы)";
  int percent = ExpectedCount > 0 ? Count() * 100 / ExpectedCount : 0;
  return "Получение данных: " + std::to_string(percent) + "% завершено";
}

}  // namespace kest
