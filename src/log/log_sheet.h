#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "log/log_argument.h"
#include "log/log_track.h"
#include "support/string_list.h"

namespace kest {

class Stream;
class TLogSheet;

// An observer of one sheet. The sheet calls it from Update, which its owner runs
// (the viewer from its idle refresh), never from the writer of the samples.
class TLSLink {
 public:
  TLSLink() = default;
  virtual ~TLSLink();
  TLSLink(const TLSLink&) = delete;
  TLSLink& operator=(const TLSLink&) = delete;

  TLogSheet* Sheet() const { return sheet_; }
  // Detaches from the current sheet (if any) and attaches to `sheet` (if any).
  void SetSheet(TLogSheet* sheet);

  // Tracks were added or removed, or the sheet was loaded.
  virtual void StructureChanged() {}
  // Samples or the range changed.
  virtual void DataChanged() {}

 private:
  friend class TLogSheet;
  TLogSheet* sheet_ = nullptr;
};

// The in-memory form of one logging run: tracks of one argument kind, ordered so
// that tracks of the same Parameter stand together in Instance order.
//
// Threads: every writer of samples or tracks holds Lock for the whole change; the
// viewer only tries the lock (TryLock) and pulls the accumulated change state with
// Update. Writers never notify: they set the structure flag and widen the changed
// interval.
class TLogSheet {
 public:
  using ProgressEvent = std::function<void(TLogSheet& sender, int progress)>;

  TLogSheet();
  ~TLogSheet();
  TLogSheet(const TLogSheet&) = delete;
  TLogSheet& operator=(const TLogSheet&) = delete;

  // Locking. Lock is re-entrant on one thread. TryLock never waits: it refuses when
  // the lock depth is not 0 or the lock is held elsewhere.
  void Lock();
  bool TryLock();
  void Unlock();
  int LockDepth() const { return lock_depth_.load(); }

  void AttachLink(TLSLink* link);
  void DetachLink(TLSLink* link);
  const std::vector<TLSLink*>& Links() const { return links_; }

  // Recomputes the range, tells the links what changed, resets the change state.
  void Update();
  void UpdateRange();

  // Tracks.
  TLogTrack* NewTrack();
  // A new track with its Parameter set before it is placed, so it joins the run of
  // same-named tracks with the right Instance.
  TLogTrack* NewTrack(std::string parameter);
  // Raises ELogSheetError "Arguments differ" for a track of another argument kind
  // when the sheet has a range.
  void AddTrack(const std::shared_ptr<TLogTrack>& track);
  void AddTrack(TLogTrack* track);  // a track already held by another sheet
  void RemoveTrack(TLogTrack* track);
  void Clear();
  void ClearData();
  int Count() const { return static_cast<int>(tracks_.size()); }
  TLogTrack* Tracks(int i) const { return tracks_[static_cast<size_t>(i)].get(); }
  std::shared_ptr<TLogTrack> SharedTrack(int i) const { return tracks_[static_cast<size_t>(i)]; }
  int IndexOf(const TLogTrack* track) const;
  // The (n+1)-th track whose Parameter equals the upper-cased name, or null.
  TLogTrack* FindTrack(std::string_view name, int n = 0) const;
  int TrackCountOf(std::string_view name) const;

  // Grid queries and bulk changes.
  void CheckNotEmpty() const;
  bool HasRange() const { return start_ != end_; }
  bool IsStepUniform() const;
  bool IsAligned() const;
  int32_t SheetStep() const;
  void SetOrigins(int32_t origin);
  void SetSteps(int32_t step);
  void SetAscending(bool ascending);
  // Set the sheet's Start (End) and every track's Origin (End) without notification.
  void SetStart(int32_t start);
  void SetEnd(int32_t end);
  void DropLastRow();

  // Files, through the format registries (by format name or extension).
  void LoadFromStream(Stream& stream, std::string_view ext);
  void SaveToStream(Stream& stream, std::string_view ext);
  void LoadFromFile(const std::string& file_name, std::string_view ext);
  // Writes through a temporary file renamed over the target when complete.
  void SaveToFile(const std::string& file_name, std::string_view ext);
  // Appends rows to the crash file (see TTMPFiler).
  void AppendCrashFile(const std::string& file_name, int32_t from, int32_t factor, int32_t to);

  // Copies Argument, Tag and every track of another sheet.
  void Assign(const TLogSheet& other);
  // Assign, and the parameters, comments and LAS step: the whole log as a file holds it.
  void AssignLog(const TLogSheet& other);

  // Properties.
  TLogArgument Argument() const { return argument_; }
  void SetArgument(TLogArgument argument) { argument_ = argument; }
  int32_t Start() const { return start_; }
  int32_t End() const { return end_; }
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool read_only) { read_only_ = read_only; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  std::intptr_t Tag() const { return tag_; }
  void SetTag(std::intptr_t tag) { tag_ = tag; }
  int32_t LasStep() const { return las_step_; }
  void SetLasStep(int32_t step) { las_step_ = step; }
  // The sheet as a component placed on a window: its name and design-time position,
  // which the LS writer stores ("lsSave", 184, 208 for the main window's sheet). They
  // belong to the window, not to the log: Assign and reading a file leave them.
  struct Placement {
    std::string name;
    std::optional<std::pair<int32_t, int32_t>> position;  // left, top
  };
  const Placement& Place() const { return place_; }
  void SetPlace(Placement place) { place_ = std::move(place); }
  StringList& Params() { return params_; }
  const StringList& Params() const { return params_; }
  StringList& Comments() { return comments_; }
  const StringList& Comments() const { return comments_; }
  ProgressEvent OnProgress;

  // Change state accumulated since the last Update.
  bool StructureChangedFlag() const { return structure_changed_; }
  void MarkStructureChanged() { structure_changed_ = true; }
  int32_t ChangedFrom() const { return changed_from_; }
  int32_t ChangedTo() const { return changed_to_; }
  void WidenChanged(int32_t from, int32_t to) {
    if (from < changed_from_) changed_from_ = from;
    if (to > changed_to_) changed_to_ = to;
  }

 private:
  void Progress(int percent);

  std::vector<std::shared_ptr<TLogTrack>> tracks_;
  std::vector<TLSLink*> links_;
  std::recursive_mutex mutex_;
  std::atomic<int> lock_depth_{0};
  bool read_only_ = false;
  bool enabled_ = true;
  TLogArgument argument_ = laDepth;
  int32_t start_ = 0;
  int32_t end_ = 0;
  bool structure_changed_ = false;
  int32_t changed_from_ = 0;
  int32_t changed_to_ = 0;
  StringList params_;
  StringList comments_;
  int32_t las_step_ = 0;
  Placement place_;
  std::intptr_t tag_ = 0;
};

// RAII for TLogSheet::Lock / Unlock.
class SheetLock {
 public:
  explicit SheetLock(TLogSheet& sheet) : sheet_(sheet) { sheet_.Lock(); }
  ~SheetLock() { sheet_.Unlock(); }
  SheetLock(const SheetLock&) = delete;
  SheetLock& operator=(const SheetLock&) = delete;

 private:
  TLogSheet& sheet_;
};

// RAII for TLogSheet::TryLock / Unlock: unlocks only what it took.
class SheetTryLock {
 public:
  explicit SheetTryLock(TLogSheet& sheet) : sheet_(sheet), owns_(sheet_.TryLock()) {}
  ~SheetTryLock() {
    if (owns_) sheet_.Unlock();
  }
  SheetTryLock(const SheetTryLock&) = delete;
  SheetTryLock& operator=(const SheetTryLock&) = delete;
  bool Owns() const { return owns_; }

 private:
  TLogSheet& sheet_;
  bool owns_;
};

}  // namespace kest
