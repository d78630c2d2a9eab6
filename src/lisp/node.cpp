#include "lisp/node.h"

#include <vector>

#include "lisp/lisp_error.h"
#include "support/assert.h"
#include "support/diagnostic_log.h"

namespace kest {

void LispAssertionFailed(const char* file, int line, const char* message) {
  try {
    AssertionFailed(file, line);
  } catch (const EAssertionFailed& e) {
    throw EAssertionFailed(std::string(e.what()) + " " + message);
  }
}

NodeRef TNode::Eval() { return NodeRef::Share(this); }

void TNode::Print(std::string& out, int /*depth*/) const {
  out += '[';
  out += TypeName();
  out += ']';
}

namespace {

// Characters (not bytes) of UTF-8 text, for the column of the indented printer.
int TextLength(std::string_view text) {
  int n = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

}  // namespace

void TNode::PrettyPrint(std::string& out, int& column, int& /*indent*/, int depth) const {
  size_t start = out.size();
  Print(out, depth);
  column += TextLength(std::string_view(out).substr(start));
}

TNode::~TNode() {
  --live_count_;
  if (ref_count_ != 0) Diag().Error("Destroying bound node");
}

// The one place nodes are freed. Nodes own themselves through their intrusive count
// (NodeRef releases, the last release comes here), so no owning type holds them; the
// pending list frees a long chain one node at a time instead of by nested destructors.
void TNode::Destroy(TNode* node) noexcept {
  thread_local std::vector<TNode*> pending;
  thread_local bool destroying = false;
  if (destroying) {
    pending.push_back(node);
    return;
  }
  destroying = true;
  delete node;  // NOLINT(cppcoreguidelines-owning-memory): the last reference went
  while (!pending.empty()) {
    TNode* next = pending.back();
    pending.pop_back();
    delete next;  // NOLINT(cppcoreguidelines-owning-memory): the last reference went
  }
  destroying = false;
}

std::string ToText(const TNode* node) {
  std::string out;
  if (node) node->Print(out);
  return out;
}

std::string ToPrettyText(const TNode* node) {
  std::string out;
  int column = 0;
  int indent = 0;
  if (node) node->PrettyPrint(out, column, indent);
  return out;
}

}  // namespace kest
