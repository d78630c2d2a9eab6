#include "lisp/value_nodes.h"

#include <string>

#include "support/number_text.h"
#include "support/rounding.h"

namespace kest {

int32_t TNumericNode::AsInteger() const { return Trunc32(AsFloat()); }

void TStringNode::Print(std::string& out, int /*depth*/) const {
  out += '"';
  out += text_;
  out += '"';
}

void TIntNode::Print(std::string& out, int /*depth*/) const { out += std::to_string(value_); }

void TFloatNode::Print(std::string& out, int /*depth*/) const {
  out += FormatGeneral(static_cast<double>(value_), 15);
}

NodeRef MakeInt(int32_t value) { return MakeNode<TIntNode>(value); }
NodeRef MakeFloat(float value) { return MakeNode<TFloatNode>(value); }
NodeRef MakeString(std::string text) { return MakeNode<TStringNode>(std::move(text)); }

}  // namespace kest
