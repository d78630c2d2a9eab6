#include "viewer/core/column_commands.h"

#include "support/stream.h"
#include "support/undo_stack.h"
#include "viewer/core/log_viewer_core.h"

namespace kest {

std::string LayoutSnapshot(const TLogViewerCore& viewer) {
  MemoryStream out;
  viewer.SaveLayout(out);
  return out.Text();
}

namespace {

class ColumnsChangeCommand : public UndoCommand {
 public:
  ColumnsChangeCommand(TLogViewerCore& viewer, std::string before, std::string text, bool marks_log)
      : viewer_(viewer),
        before_(std::move(before)),
        after_(LayoutSnapshot(viewer)),
        text_(std::move(text)),
        marks_log_(marks_log) {}

  // The change is made when the command is pushed: only a redo loads it.
  void Do() override {
    if (done_once_) Load(after_);
    done_once_ = true;
  }
  void Undo() override { Load(before_); }
  std::string Text() const override { return text_; }
  bool ChangesSheet() const override { return marks_log_; }

 private:
  void Load(const std::string& layout) {
    MemoryStream in(layout);
    viewer_.LoadLayout(in);
  }

  TLogViewerCore& viewer_;
  std::string before_;
  std::string after_;
  std::string text_;
  bool marks_log_;
  bool done_once_ = false;
};

}  // namespace

std::unique_ptr<UndoCommand> ColumnsChange(TLogViewerCore& viewer, std::string before,
                                           std::string text, bool marks_log) {
  return std::make_unique<ColumnsChangeCommand>(viewer, std::move(before), std::move(text),
                                                marks_log);
}

}  // namespace kest
