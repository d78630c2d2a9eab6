#include "lisp/cons_node.h"

#include <unordered_set>
#include <vector>

#include "lisp/func_node.h"
#include "lisp/lisp_error.h"
#include "lisp/symbol_node.h"
#include "lisp/wlisp.h"

namespace kest {

namespace {

void CheckDepth(int depth) {
  if (depth > kMaxLispNesting) throw ELispError("Слишком глубокая вложенность для печати");
}

// True when the flat text of `node` is shorter than `limit` characters; stops
// early, so long lists are not printed just to be measured.
bool FlatShorterThan(const TNode* node, int limit) {
  std::string out;
  int depth = 0;
  auto measure = [&](auto& self, const TNode* n) -> bool {
    auto* cell = NodeCast<TConsNode>(const_cast<TNode*>(n));
    if (!cell) {
      n->Print(out);
      return static_cast<int>(out.size()) < limit;
    }
    if (++depth > limit) return false;
    out += '(';
    for (; cell; cell = cell->Next()) {
      if (!self(self, cell->Car())) return false;
      TNode* cdr = cell->Cdr();
      if (cdr && !NodeCast<TConsNode>(cdr)) {
        out += " . ";
        if (!self(self, cdr)) return false;
      } else if (cdr) {
        out += ' ';
      }
      if (static_cast<int>(out.size()) >= limit) return false;
    }
    out += ')';
    --depth;
    return static_cast<int>(out.size()) < limit;
  };
  return measure(measure, node);
}

}  // namespace

TConsNode::TConsNode(NodeRef car, NodeRef cdr) : car_(std::move(car)), cdr_(std::move(cdr)) {
  if (!car_) Disown();
  KEST_LISP_ASSERT(car_, "Null-car lists ain't allowed");
}

void TConsNode::SetCar(NodeRef car) {
  KEST_LISP_ASSERT(car, "Null-car lists ain't allowed");
  car_ = std::move(car);
}

NodeRef TConsNode::Eval() { return Lisp().EvalCall(this); }

void TConsNode::Print(std::string& out, int depth) const {
  CheckDepth(depth);
  out += '(';
  for (const TConsNode* cell = this; cell; cell = cell->Next()) {
    KEST_LISP_ASSERT(cell->Car(), "Invalid list (unassigned car)");
    cell->Car()->Print(out, depth + 1);
    TNode* cdr = cell->Cdr();
    if (cdr && !NodeCast<TConsNode>(cdr)) {
      out += " . ";
      cdr->Print(out, depth + 1);
    } else if (cdr) {
      out += ' ';
    }
  }
  out += ')';
}

// Lists whose flat text reaches 40 characters are broken one element per line,
// aligned under the second element when the first is an atom.
void TConsNode::PrettyPrint(std::string& out, int& column, int& indent, int depth) const {
  CheckDepth(depth);
  if (FlatShorterThan(this, 40)) {
    TNode::PrettyPrint(out, column, indent, depth);
    return;
  }
  out += '(';
  ++column;
  const int saved_indent = indent;
  const TConsNode* cell = this;
  TNode* tail = nullptr;
  if (!NodeCast<TConsNode>(Car())) {
    Car()->PrettyPrint(out, column, indent, depth + 1);
    out += ' ';
    ++column;
    cell = Next();
    if (!cell) tail = Cdr();
  }
  indent = column;
  for (; cell; cell = cell->Next()) {
    cell->Car()->PrettyPrint(out, column, indent, depth + 1);
    if (cell->Next()) {
      out += "\r\n";
      out.append(static_cast<size_t>(indent), ' ');
      column = indent;
    } else {
      tail = cell->Cdr();
    }
  }
  if (tail) {
    out += " . ";
    column += 3;
    tail->PrettyPrint(out, column, indent, depth + 1);
  }
  out += ')';
  ++column;
  indent = saved_indent;
}

bool Reaches(TNode* from, const TNode* target) {
  std::vector<TNode*> todo{from};
  std::unordered_set<const TNode*> seen;
  while (!todo.empty()) {
    TNode* node = todo.back();
    todo.pop_back();
    if (!node) continue;
    if (node == target) return true;
    if (!seen.insert(node).second) continue;
    if (auto* cell = NodeCast<TConsNode>(node)) {
      todo.push_back(cell->Car());
      todo.push_back(cell->Cdr());
    } else if (auto* closure = NodeCast<TClosureNode>(node)) {
      todo.push_back(closure->Params());
      todo.push_back(closure->Body());
    }
  }
  return false;
}

NodeRef MakeCons(NodeRef car, NodeRef cdr) {
  return MakeNode<TConsNode>(std::move(car), std::move(cdr));
}

void TListBuilder::Add(NodeRef item) {
  NodeRef cell = MakeCons(std::move(item));
  auto* raw = static_cast<TConsNode*>(cell.Get());
  if (tail_)
    tail_->SetCdr(std::move(cell));
  else
    head_ = std::move(cell);
  tail_ = raw;
}

NodeRef TListBuilder::Take() {
  tail_ = nullptr;
  if (!head_) return NodeRef::Share(NilNode());
  return std::move(head_);
}

}  // namespace kest
