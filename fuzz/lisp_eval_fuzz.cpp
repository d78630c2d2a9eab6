// The script evaluator: each input runs in a fresh engine, every expression of the
// text evaluated in turn. Endless recursion must end in an error, not in a crash.
#include <string>

#include "fuzz_common.h"
#include "lisp/node.h"
#include "lisp/reader.h"
#include "lisp/wlisp.h"

using namespace kest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  TWLisp lisp;
  lisp.SetStepLimit(100000);  // a long-running input ends as an evaluation error, quickly
  fuzz::Guarded([&] {
    TLispReader reader(text);
    for (int i = 0; i < 32 && !reader.AtEnd(); ++i) {
      NodeRef form = reader.Read();
      fuzz::Guarded([&] {
        NodeRef value = lisp.Eval(form.Get());
        ToText(value.Get());
      });
    }
  });
  return 0;
}
