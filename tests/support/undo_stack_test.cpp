#include "support/undo_stack.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace kest {
namespace {

// Adds `by` to a shared value; optionally raises in Do or Undo; merges with an
// addition of the same group.
struct Add : UndoCommand {
  Add(int& value, int by, int group = -1) : value(value), by(by), group(group) {}
  void Do() override {
    if (fail_do) throw std::runtime_error("do");
    value += by;
  }
  void Undo() override {
    if (fail_undo) throw std::runtime_error("undo");
    value -= by;
  }
  std::string Text() const override { return "+" + std::to_string(by); }
  bool MergeWith(const UndoCommand& next) override {
    auto* n = dynamic_cast<const Add*>(&next);
    if (group < 0 || !n || n->group != group) return false;
    by += n->by;
    return true;
  }
  int& value;
  int by;
  int group;
  bool fail_do = false, fail_undo = false;
};

TEST(UndoStack, UndoAndRedoWalkTheHistoryAndANewChangeDropsTheUndoneOnes) {
  int v = 0, notices = 0;
  UndoStack s;
  std::string last;
  s.OnChanged = [&](const UndoCommand& c) {
    ++notices;
    last = c.Text();
  };
  EXPECT_FALSE(s.CanUndo());
  s.Undo();  // nothing to undo: nothing happens
  s.Push(std::make_unique<Add>(v, 1));
  s.Push(std::make_unique<Add>(v, 10));
  s.Push(std::make_unique<Add>(v, 100));
  EXPECT_EQ(v, 111);
  EXPECT_EQ(s.UndoText(), "+100");
  s.Undo();
  s.Undo();
  EXPECT_EQ(v, 1);
  EXPECT_EQ(last, "+10");  // told which command was undone
  EXPECT_EQ(s.RedoText(), "+10");
  s.Redo();
  EXPECT_EQ(v, 11);
  s.Push(std::make_unique<Add>(v, 1000));  // "+100" is gone for good
  EXPECT_FALSE(s.CanRedo());
  EXPECT_EQ(s.Count(), 3u);
  EXPECT_EQ(v, 1011);
  EXPECT_EQ(notices, 7);
  EXPECT_EQ(s.Changes(), 7u);
  s.Clear();
  EXPECT_FALSE(s.CanUndo());
  EXPECT_EQ(v, 1011);     // clearing forgets, it does not undo
  EXPECT_EQ(notices, 7);  // and changes nothing to tell
}

TEST(UndoStack, ACommandThatRaisesLeavesTheStackAsItWas) {
  int v = 0;
  UndoStack s;
  auto bad = std::make_unique<Add>(v, 5);
  bad->fail_do = true;
  EXPECT_THROW(s.Push(std::move(bad)), std::runtime_error);
  EXPECT_EQ(s.Count(), 0u);

  auto stuck = std::make_unique<Add>(v, 7);
  Add* raw = stuck.get();
  s.Push(std::move(stuck));
  raw->fail_undo = true;
  EXPECT_THROW(s.Undo(), std::runtime_error);
  EXPECT_TRUE(s.CanUndo());
  EXPECT_EQ(v, 7);
  raw->fail_undo = false;
  s.Undo();
  EXPECT_EQ(v, 0);
}

TEST(UndoStack, TheCleanMarkComesBackWhileReachableAndChangesNeverMergeAcrossIt) {
  int v = 0;
  UndoStack s;
  s.Push(std::make_unique<Add>(v, 1, 1));
  s.Push(std::make_unique<Add>(v, 2, 1));  // merged into the first
  EXPECT_EQ(s.Count(), 1u);
  s.SetClean();                            // saved here
  s.Push(std::make_unique<Add>(v, 4, 1));  // would merge, but the top is the saved state
  EXPECT_EQ(s.Count(), 2u);
  s.Undo();
  EXPECT_TRUE(s.IsClean());
  s.Undo();
  EXPECT_EQ(v, 0);
  EXPECT_FALSE(s.IsClean());
  s.Push(std::make_unique<Add>(v, 8));  // the saved state is dropped for good
  s.Undo();
  EXPECT_FALSE(s.IsClean());
  s.Clear();
  EXPECT_TRUE(s.IsClean());
}

}  // namespace
}  // namespace kest
