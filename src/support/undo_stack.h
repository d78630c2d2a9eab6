#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kest {

// One reversible change of the open sheet or its tablet. Do applies it (again,
// after an Undo), Undo takes it back; both leave the objects as the other found
// them. A command that raises leaves its place on the stack unchanged.
class UndoCommand {
 public:
  virtual ~UndoCommand() = default;
  virtual void Do() = 0;
  virtual void Undo() = 0;
  // What the menu shows after "Отменить" / "Повторить" ("Изменение значения", ...).
  virtual std::string Text() const { return {}; }
  // Called on the newest command when `next` has just been done: true when this
  // command has taken `next` in (so one Undo takes both back) and `next` is dropped.
  // Typing into a value field is one change, not one per keystroke.
  virtual bool MergeWith(const UndoCommand& /*next*/) { return false; }
  // False for a change of the tablet only (a marker, a column): the log file it
  // would be saved to stays the same.
  virtual bool ChangesSheet() const { return true; }
};

// The changes of the open sheet, newest last, with a position between the done
// and the undone ones. Main thread only.
//
// How a window uses it: build the command and Push it (Push does it); a command
// that raises from Do is not recorded. Clear when the sheet is replaced or closed
// (opening a file, clearing the data, a recording filling the sheet anew): the
// commands refer to tracks and columns of the old state. For a column created or
// deleted on the tablet, the command keeps the column (or its saved subtree) itself
// and re-inserts or frees it in Do / Undo, so later commands that point at the
// column stay valid.
//
// SetClean marks the state that matches the file on disk; IsClean tells whether the
// stack is back at it. Changes counts every Push, Undo and Redo, so a window can see
// that something happened since it last looked.
class UndoStack {
 public:
  UndoStack() = default;
  UndoStack(const UndoStack&) = delete;
  UndoStack& operator=(const UndoStack&) = delete;

  // Does `command` and records it; the undone commands are dropped. Whatever Do
  // raises goes to the caller, and nothing is recorded.
  void Push(std::unique_ptr<UndoCommand> command);
  bool CanUndo() const { return index_ > 0; }
  bool CanRedo() const { return index_ < commands_.size(); }
  // Take back the newest done command / do the oldest undone one again. No-ops when
  // there is none. A command that raises stays where it was.
  void Undo();
  void Redo();
  std::string UndoText() const;
  std::string RedoText() const;
  // Done commands (the position) and all commands.
  size_t Index() const { return index_; }
  size_t Count() const { return commands_.size(); }
  // The newest done command, or null.
  const UndoCommand* Top() const { return index_ > 0 ? commands_[index_ - 1].get() : nullptr; }

  // Drops every command; the empty stack is clean.
  void Clear();
  void SetClean() { clean_ = static_cast<int64_t>(index_); }
  bool IsClean() const { return clean_ == static_cast<int64_t>(index_); }
  uint64_t Changes() const { return changes_; }

  // After every Push, Undo and Redo, with the command done or undone (the one that
  // took a merged command in): the sheet or its tablet changed by hand.
  std::function<void(const UndoCommand&)> OnChanged;

 private:
  void Changed(const UndoCommand& command);

  std::vector<std::unique_ptr<UndoCommand>> commands_;
  size_t index_ = 0;
  int64_t clean_ = 0;  // -1: the clean state was dropped and cannot come back
  uint64_t changes_ = 0;
};

}  // namespace kest
