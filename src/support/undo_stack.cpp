#include "support/undo_stack.h"

namespace kest {

void UndoStack::Push(std::unique_ptr<UndoCommand> command) {
  command->Do();
  if (clean_ > static_cast<int64_t>(index_)) clean_ = -1;  // that state is dropped below
  commands_.resize(index_);
  // The newest command may absorb this one, unless it is the saved state's last change.
  if (index_ > 0 && !IsClean() && commands_[index_ - 1]->MergeWith(*command)) {
    Changed(*commands_[index_ - 1]);
    return;
  }
  commands_.push_back(std::move(command));
  ++index_;
  Changed(*commands_[index_ - 1]);
}

void UndoStack::Undo() {
  if (!CanUndo()) return;
  commands_[index_ - 1]->Undo();
  --index_;
  Changed(*commands_[index_]);
}

void UndoStack::Redo() {
  if (!CanRedo()) return;
  commands_[index_]->Do();
  ++index_;
  Changed(*commands_[index_ - 1]);
}

std::string UndoStack::UndoText() const { return CanUndo() ? commands_[index_ - 1]->Text() : ""; }

std::string UndoStack::RedoText() const { return CanRedo() ? commands_[index_]->Text() : ""; }

void UndoStack::Clear() {
  commands_.clear();
  index_ = 0;
  clean_ = 0;
  ++changes_;  // no notice: the owner clears because the sheet is replaced anyway
}

void UndoStack::Changed(const UndoCommand& command) {
  ++changes_;
  if (OnChanged) OnChanged(command);
}

}  // namespace kest
