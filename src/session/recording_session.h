#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "link/logger_data_source.h"
#include "link/logger_item.h"
#include "log/log_sheet.h"
#include "session/background_save.h"
#include "session/local_time.h"

namespace kest {

class Clock;
class Research;
class SessionHost;
class Settings;
class TLogger;
class TLoggerChannel;
class TLoggerSensor;
class RecordingSession;

// Told of a recording as it happens (the live witness): called on the main thread
// after the sheet's lock is let go, so a listener reads the sheet without waiting.
class RecordingListener {
 public:
  virtual ~RecordingListener() = default;
  // A run started: lsSave holds its tracks, argument, step and direction.
  virtual void RecordingStarted(RecordingSession& session) = 0;
  // A row was added at the end of the recording order (a depth or time step, a
  // perforation mark).
  virtual void RowAdded(RecordingSession& session) = 0;
  // The last row in the recording order was taken back (moving against the run).
  virtual void RowDropped(RecordingSession& session) = 0;
  // The run stopped; `saved_path` is the file it is saved as, empty when not saved.
  virtual void RecordingEnded(RecordingSession& session, const std::string& saved_path) = 0;
};

// Records the logger's channels into the working sheet lsSave, one row per time
// period or per depth step, into the open research. Owns the items that drive it
// (time, depth, direction, speed, magnetic label), the record mode and its rules,
// the depth correction by magnetic cable labels, perforation marks, stopping and
// saving "%.3d.ls" in the background, the auto-save into the crash file and its
// recovery. Everything runs on the main thread, in the logger's notifications; the
// sheet's lock is held only while a row is added or taken back, so the viewer and
// the save never wait long and never miss a row.
//
// Depth rows lie on the grid of RecordStep. Going in the recording direction adds
// one row per step crossed, carrying the values read when the step was crossed, at
// the depth of that step; going back takes away the rows of the steps crossed back,
// so that a stretch logged again replaces what was there.
class RecordingSession {
 public:
  enum Mode : uint8_t { rmStop = 0, rmTime = 1, rmDepthDown = 2, rmDepthUp = 3 };

  static constexpr const char* kTitle = "Регистратор";
  static constexpr const char* kNullTrackValueName = "NullValue";
  static constexpr float kPerforationValue = -99.99f;
  // Every recorded row goes into the crash file: a recovered recording has all its
  // samples. The file carries the stride per track, so files written with a larger
  // one (older versions kept every 10th time row, every 5th depth row) still load.
  static constexpr int32_t kCrashStride = 1;

  // `crash_file`: where the rows of the recording in progress are auto-saved.
  RecordingSession(TLogger& logger, Research& research, SessionHost& host, Clock& clock,
                   std::string crash_file, LocalTimeFn now = LocalNow);
  ~RecordingSession();
  RecordingSession(const RecordingSession&) = delete;
  RecordingSession& operator=(const RecordingSession&) = delete;

  TLogSheet& Sheet() { return lsSave; }
  Research& CurrentResearch() { return research_; }
  const std::string& CrashFile() const { return crash_file_; }

  // Settings: LogRecorder/Main form (RecordStep, ResearchDir, the label values) and
  // Settings (SaveFiles, NullValue, TimeDelay, AutoSave), read in the documented
  // order, a missing number ending the pass. Opens the research named by
  // ResearchDir when its folder exists, else the base. Returns false when "Setted"
  // or "SaveFiles" is missing (the settings dialog is due).
  bool LoadSettings(const Settings& settings);
  void SaveSettings(Settings& settings) const;

  // One track of lsSave per recordable channel: its name and number, its offset as
  // origin. Call after the tool string changed.
  void BuildRecordingTracks();

  // The start actions (1 time, 2 down, 3 up) and stopping without saving (0).
  void SetRecordMode(uint8_t mode);
  uint8_t RecordMode() const { return record_mode_; }
  bool Recording() const { return record_mode_ != rmStop; }
  // Where `track`'s first row lies in depth: during a depth recording the origin
  // stop will give it (its sensor's offset applied), otherwise its own origin. The
  // tablet draws with it, so a curve stays where it is when the recording stops.
  int32_t SensorOrigin(const TLogTrack& track) const;
  // Where a track of sensor offset `offset` and step `step` starts once the run
  // stops, `base` being where the first track starts: the offset in whole steps.
  static int32_t ShiftedOrigin(int32_t offset, int32_t step, int32_t base);
  // The recorded tracks in order, with their channel's sensor offset (mm).
  struct RecordedTrack {
    const TLogTrack* track;
    int32_t offset;
  };
  std::vector<RecordedTrack> RecordedTracks() const;
  // One listener (or none) told of the runs as they are recorded.
  void SetListener(RecordingListener* listener) { listener_ = listener; }
  // Stops and, as "SaveFiles" says, saves the recording. Returns the path of the
  // file being saved, empty when none.
  std::string Stop();
  // Saves lsSave as the next numbered file of the research with `description`
  // (a recording, or a recovered crash file), in the background; returns its path.
  // The crash file goes once the save has ended well.
  std::string SaveToResearch(const std::string& description);
  // A perforation mark: one row where "MAG-LABEL", "TIME" and "DEPTH" repeat their
  // last value and every other track reads -99.99. Only while recording.
  void Perforation();
  // Seconds between time rows, 0..60 (0: every change of the time); refused with
  // ELoggerChannelItemError "Invalid period value". Ignored while recording.
  void SetTimeDelay(int32_t seconds);
  int32_t TimeDelay() const { return lciTime.Period(); }
  // Moves every track but "TIME" by `metres` (millimetres, nearest integer).
  void DepthOffset(double metres);
  // The depth dialog: sets the depth and expects the next label one label step on.
  void SetDepth(double metres);
  void ToggleDepthCorrection();
  // Powers the tool up or down and journals it.
  void SetPower(bool on);

  // Auto-save interval (0 = off); the timer runs while recording.
  void SetAutoSaveInterval(int64_t ms);
  int64_t AutoSaveInterval() const { return auto_save_ms_; }
  int32_t AutoSaveMinutes() const { return static_cast<int32_t>(auto_save_ms_ / 60000); }
  // What the auto-save timer does: appends the rows since SavedPosition to the crash
  // file, every 10th row of a time log, every 5th of a depth log.
  void AutoSave();
  // Why the last auto-save failed, empty once one has worked again. A failure is
  // logged, not shown: recording goes on and every tick tries again.
  const std::string& AutoSaveError() const { return auto_save_error_; }
  // The main loop's idle work: fires the auto-save timer when due and reports the
  // background saves that ended.
  void Idle();
  // Waits for the background saves (at exit).
  void WaitForSaves();

  // Crash recovery at start: when the crash file exists, asks whether to restore it;
  // Yes loads it into lsSave (true), No deletes it.
  bool OfferCrashRecovery();

  // State (names as the recorder's documents use them).
  int32_t RecordStep = 10;  // mm: 10, 100 or 200
  int32_t LastDepth() const { return last_depth_; }
  int32_t SavedPosition = 0;
  float NextLabelDepth = 0;  // m; 0: none expected yet
  bool DepthCorrection = false;
  bool StepCorrection = false;
  float MLStep = 10;
  float MLArea = 0.2f;
  float MLStep2 = 100;
  float MLSubStep = 1.5f;
  float MLOffset2 = 100;
  int32_t MLPos2 = 1;
  int32_t SaveFiles = 0;  // 0 save, 1 ask, other: do not save
  std::string NullValue = "-9999.99";

  TLoggerDataSource& DataSource() { return data_source_; }
  TLoggerChannelItem lciTime, lciDepth, lciDirection, lciSpeed;
  TLoggerSensorItem lsiMagLabel;

 private:
  struct Recorded {
    TLogTrack* track;
    TLoggerChannel* channel;
  };
  // The origin a recorded track takes at stop: its channel's offset in whole steps
  // from `base` (the first track's origin).
  static int32_t OffsetOrigin(const Recorded& r, int32_t base);

  void ChangeMode(uint8_t mode, bool keep_crash_file);
  void ReportSaves(const std::list<BackgroundSave::Result>& ended);
  void StartRecording(uint8_t mode);
  void StopRecording(uint8_t old_mode);
  void BindTracks();
  void TakeSample();
  void DropRow();
  void OnTime();
  void OnDepth();
  void OnMagLabel();
  void SaveRecording(uint8_t old_mode);
  std::string ProposeDescription(uint8_t old_mode);
  std::string ToolText() const;
  void DeleteCrashFile();
  void RewriteCrashFile(int32_t factor);

  TLogger& logger_;
  Research& research_;
  SessionHost& host_;
  Clock& clock_;
  std::string crash_file_;
  LocalTimeFn now_;

  TLogSheet lsSave;
  TLoggerDataSource data_source_;
  TLoggerSensor* mag_label_sensor_ = nullptr;
  std::vector<Recorded> recorded_;

  uint8_t record_mode_ = rmStop;
  int32_t last_depth_ = 0;
  bool in_depth_ = false;
  // Auto-save is on from the first run (a recording is never without its crash file
  // because nobody opened the settings yet); a stored 0 turns it off.
  int64_t auto_save_ms_ = 60000;
  int64_t next_auto_save_ = 0;
  int32_t next_saved_row_ = 0;  // index of the next row due in the crash file
  std::string auto_save_error_;
  BackgroundSave saves_;
  std::string pending_save_;  // the save whose success makes the crash file obsolete
  RecordingListener* listener_ = nullptr;
};

}  // namespace kest
