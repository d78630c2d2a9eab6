#include "log/log_sheet.h"

#include <algorithm>

#include "log/log_errors.h"
#include "log/log_sheet_filer.h"
#include "log/tmp_filer.h"
#include "support/assert.h"
#include "support/atomic_file.h"
#include "support/code_page.h"
#include "support/stream.h"

namespace kest {

TLSLink::~TLSLink() { SetSheet(nullptr); }

void TLSLink::SetSheet(TLogSheet* sheet) {
  if (sheet_ == sheet) return;
  if (sheet_) sheet_->DetachLink(this);
  if (sheet) sheet->AttachLink(this);
}

TLogSheet::TLogSheet() = default;

TLogSheet::~TLogSheet() {
  for (TLSLink* link : links_) link->sheet_ = nullptr;
  links_.clear();
  Clear();
}

void TLogSheet::Lock() {
  ++lock_depth_;
  mutex_.lock();
}

bool TLogSheet::TryLock() {
  if (lock_depth_.load() != 0) return false;
  if (!mutex_.try_lock()) return false;
  ++lock_depth_;
  return true;
}

void TLogSheet::Unlock() {
  mutex_.unlock();
  --lock_depth_;
}

void TLogSheet::AttachLink(TLSLink* link) {
  if (link->sheet_ == this) return;
  if (link->sheet_) link->sheet_->DetachLink(link);
  links_.push_back(link);
  link->sheet_ = this;
}

void TLogSheet::DetachLink(TLSLink* link) {
  auto it = std::find(links_.begin(), links_.end(), link);
  if (it == links_.end()) return;
  links_.erase(it);
  link->sheet_ = nullptr;
}

void TLogSheet::UpdateRange() {
  if (tracks_.empty()) {
    start_ = end_ = 0;
    return;
  }
  bool all_foreign =
      std::all_of(tracks_.begin(), tracks_.end(), [](const auto& t) { return t->Foreign(); });
  bool first = true;
  for (const auto& track : tracks_) {
    if (track->Foreign() && !all_foreign) continue;
    if (first || track->Origin() < start_) start_ = track->Origin();
    if (first || track->End() > end_) end_ = track->End();
    first = false;
  }
}

void TLogSheet::Update() {
  UpdateRange();
  if (enabled_) {
    // A link may detach itself while being told; walk a copy.
    std::vector<TLSLink*> links = links_;
    for (TLSLink* link : links) {
      if (structure_changed_) link->StructureChanged();
      if (changed_from_ != changed_to_) link->DataChanged();
    }
  }
  structure_changed_ = false;
  changed_from_ = changed_to_ = 0;
}

TLogTrack* TLogSheet::NewTrack() { return NewTrack(std::string()); }

TLogTrack* TLogSheet::NewTrack(std::string parameter) {
  auto track = std::make_shared<TLogTrack>();
  track->SetParameter(std::move(parameter));
  track->SetArgument(argument_);
  AddTrack(track);
  return track.get();
}

void TLogSheet::AddTrack(TLogTrack* track) { AddTrack(track->shared_from_this()); }

void TLogSheet::AddTrack(const std::shared_ptr<TLogTrack>& track) {
  KEST_ASSERT(track && IndexOf(track.get()) < 0);
  if (track->Argument() != argument_ && HasRange()) throw ELogSheetError(kArgumentsDiffer);
  argument_ = track->Argument();
  auto first = std::find_if(tracks_.begin(), tracks_.end(),
                            [&](const auto& t) { return t->Parameter() == track->Parameter(); });
  auto after = std::find_if(first, tracks_.end(),
                            [&](const auto& t) { return t->Parameter() != track->Parameter(); });
  track->instance_ = static_cast<int32_t>(after - first);
  tracks_.insert(after, track);
  track->sheets_.push_back(this);
  structure_changed_ = true;
  WidenChanged(track->Origin(), track->End());
}

int TLogSheet::IndexOf(const TLogTrack* track) const {
  for (size_t i = 0; i < tracks_.size(); ++i)
    if (tracks_[i].get() == track) return static_cast<int>(i);
  return -1;
}

void TLogSheet::RemoveTrack(TLogTrack* track) {
  int index = IndexOf(track);
  if (index < 0) return;
  std::shared_ptr<TLogTrack> held = tracks_[static_cast<size_t>(index)];  // keeps it alive here
  int32_t k = track->Instance();
  tracks_.erase(tracks_.begin() + index);
  WidenChanged(track->Origin(), track->End());
  for (size_t i = static_cast<size_t>(index);
       i < tracks_.size() && tracks_[i]->Parameter() == track->Parameter(); ++i)
    tracks_[i]->instance_ = k++;
  structure_changed_ = true;
  WidenChanged(track->Origin(), track->End());
  auto& sheets = track->sheets_;
  sheets.erase(std::remove(sheets.begin(), sheets.end(), this), sheets.end());
  // `held` is the last reference when no other sheet holds the track: it goes here.
}

void TLogSheet::Clear() {
  while (!tracks_.empty()) RemoveTrack(tracks_.back().get());
}

void TLogSheet::ClearData() {
  for (const auto& track : tracks_) {
    int32_t capacity = track->Capacity();
    track->ClearSamples();
    track->SetCapacity(capacity);
  }
}

TLogTrack* TLogSheet::FindTrack(std::string_view name, int n) const {
  std::string wanted = UpperCase(name);
  for (const auto& track : tracks_) {
    if (track->Parameter() == wanted && n-- == 0) return track.get();
  }
  return nullptr;
}

int TLogSheet::TrackCountOf(std::string_view name) const {
  std::string wanted = UpperCase(name);
  return static_cast<int>(std::count_if(tracks_.begin(), tracks_.end(),
                                        [&](const auto& t) { return t->Parameter() == wanted; }));
}

void TLogSheet::CheckNotEmpty() const {
  if (tracks_.empty()) throw ELogSheetError(kSheetIsEmpty);
}

bool TLogSheet::IsStepUniform() const {
  CheckNotEmpty();
  int32_t step = tracks_.front()->Step();
  return std::all_of(tracks_.begin(), tracks_.end(),
                     [&](const auto& t) { return t->Step() == step; });
}

bool TLogSheet::IsAligned() const {
  CheckNotEmpty();
  int32_t step = tracks_.front()->Step();
  return std::all_of(tracks_.begin(), tracks_.end(),
                     [&](const auto& t) { return t->Step() == step && t->Origin() % step == 0; });
}

int32_t TLogSheet::SheetStep() const {
  if (!IsStepUniform()) throw ELogSheetError(kSheetStepNotUniform);
  return tracks_.front()->Step();
}

void TLogSheet::SetOrigins(int32_t origin) {
  for (const auto& t : tracks_) t->SetOrigin(origin);
}

void TLogSheet::SetSteps(int32_t step) {
  for (const auto& t : tracks_) t->SetStep(step);
}

void TLogSheet::SetAscending(bool ascending) {
  for (const auto& t : tracks_) t->SetAscending(ascending);
}

void TLogSheet::SetStart(int32_t start) {
  start_ = start;
  for (const auto& t : tracks_) {
    t->origin_ = start;
    t->RecomputeEnd();
  }
}

void TLogSheet::SetEnd(int32_t end) {
  end_ = end;
  for (const auto& t : tracks_) t->end_ = end;
}

void TLogSheet::DropLastRow() {
  for (const auto& t : tracks_) t->DropLast();
}

void TLogSheet::Progress(int percent) {
  if (OnProgress) OnProgress(*this, percent);
}

void TLogSheet::LoadFromStream(Stream& stream, std::string_view ext) {
  const TLogSheetFilerClass& format = ReaderFilers().Find(ext);
  SheetLock lock(*this);
  LoadSheet(format, stream, *this, [this](int p) { Progress(p); });
  structure_changed_ = true;
}

void TLogSheet::SaveToStream(Stream& stream, std::string_view ext) {
  const TLogSheetFilerClass& format = WriterFilers().Find(ext);
  SheetLock lock(*this);
  SaveSheet(format, stream, *this, [this](int p) { Progress(p); });
}

void TLogSheet::LoadFromFile(const std::string& file_name, std::string_view ext) {
  ReaderFilers().Find(ext);  // an unknown format fails before the file is touched
  FileStream file(file_name, FileStream::Mode::Read);
  LoadFromStream(file, ext);
}

void TLogSheet::SaveToFile(const std::string& file_name, std::string_view ext) {
  WriterFilers().Find(ext);
  AtomicFile file(file_name);
  SaveToStream(file, ext);
  file.Commit();
}

void TLogSheet::AppendCrashFile(const std::string& file_name, int32_t from, int32_t factor,
                                int32_t to) {
  SheetLock lock(*this);
  TTMPFiler::AppendRows(file_name, *this, from, factor, to);
}

void TLogSheet::AssignLog(const TLogSheet& other) {
  Assign(other);
  params_ = other.params_;
  comments_ = other.comments_;
  las_step_ = other.las_step_;
}

void TLogSheet::Assign(const TLogSheet& other) {
  argument_ = other.argument_;
  tag_ = other.tag_;
  Clear();
  try {
    for (const auto& source : other.tracks_) NewTrack()->Assign(*source);
  } catch (...) {
    Clear();
    throw;
  }
}

}  // namespace kest
