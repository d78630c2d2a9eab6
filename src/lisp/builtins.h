#pragma once

namespace kest {

class TWLisp;

// The engine's built-in definitions, registered in this order at start-up.
void RegisterSymbolBuiltins(TWLisp& lisp);
void RegisterListBuiltins(TWLisp& lisp);
void RegisterNumericBuiltins(TWLisp& lisp);
void RegisterStringBuiltins(TWLisp& lisp);
void RegisterControlBuiltins(TWLisp& lisp);

}  // namespace kest
