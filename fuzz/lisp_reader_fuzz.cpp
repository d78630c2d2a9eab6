// The script reader and printer: every expression of the text is read and printed,
// and what is printed reads again.
#include <string>

#include "fuzz_common.h"
#include "lisp/node.h"
#include "lisp/reader.h"
#include "lisp/wlisp.h"

using namespace kest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TWLisp* lisp = new TWLisp();
  (void)lisp;
  std::string text(reinterpret_cast<const char*>(data), size);
  fuzz::Guarded([&] {
    TLispReader reader(text);
    for (int i = 0; i < 64 && !reader.AtEnd(); ++i) {
      NodeRef form = reader.Read();
      std::string printed = ToText(form.Get());
      fuzz::Guarded([&] { ReadText(printed); });
    }
  });
  return 0;
}
