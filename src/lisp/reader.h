#pragma once

#include <cstddef>
#include <string_view>

#include "lisp/node.h"

namespace kest {

// Turns script text (UTF-8) into nodes, one expression per Read. The text ends at
// its end or at a zero byte. Atoms are upper-cased and read as integers (decimal,
// or hexadecimal after "$", "X" or "0X"), floats ("1,5" reads as 1.5) or symbols.
// Atoms over 64 characters, strings over 255 characters and nesting deeper than
// kMaxLispNesting are refused with ELispReadError.
class TLispReader {
 public:
  explicit TLispReader(std::string_view text) : text_(text) {}

  // The next expression; the NIL node at the end of the text.
  NodeRef Read();
  // Skips blanks and comments; true when nothing but them is left.
  bool AtEnd();
  size_t Position() const { return pos_; }

 private:
  char Peek(size_t ahead = 0) const;
  void SkipBlanks();
  NodeRef ReadExpr(int depth);
  NodeRef ReadWrapped(const char* head, int depth);
  NodeRef ReadAtom();
  NodeRef ReadString();
  NodeRef ReadList(int depth);
  [[noreturn]] void UnexpectedChar() const;

  std::string_view text_;
  size_t pos_ = 0;
};

// The first expression of `text`; what follows it is ignored.
NodeRef ReadText(std::string_view text);

}  // namespace kest
