#pragma once

#include <cstdint>
#include <string>

#include "lisp/node.h"

namespace kest {

// A string value; the text is UTF-8.
class TStringNode : public TNode {
 public:
  static constexpr TNodeClass kClass{"TStringNode", &TNode::kClass};
  explicit TStringNode(std::string text) : text_(std::move(text)) {}

  const TNodeClass& NodeClass() const override { return kClass; }
  const char* TypeName() const override { return "STRING"; }
  void Print(std::string& out, int depth = 0) const override;

  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// Base of every number. Subclasses override at least one of AsInteger and AsFloat;
// host layers derive live values (sensors, channels) from it.
class TNumericNode : public TNode {
 public:
  static constexpr TNodeClass kClass{"TNumericNode", &TNode::kClass};
  const TNodeClass& NodeClass() const override { return kClass; }

  // Truncation of AsFloat towards zero (saturating at the 32-bit limits).
  virtual int32_t AsInteger() const;
  virtual float AsFloat() const { return static_cast<float>(AsInteger()); }
};

// A 32-bit signed integer.
class TIntNode : public TNumericNode {
 public:
  static constexpr TNodeClass kClass{"TIntNode", &TNumericNode::kClass};
  explicit TIntNode(int32_t value) : value_(value) {}

  const TNodeClass& NodeClass() const override { return kClass; }
  const char* TypeName() const override { return "INTEGER"; }
  void Print(std::string& out, int depth = 0) const override;
  int32_t AsInteger() const override { return value_; }

  int32_t Value() const { return value_; }

 private:
  int32_t value_;
};

// A 32-bit float; arithmetic on it is done in double precision.
class TFloatNode : public TNumericNode {
 public:
  static constexpr TNodeClass kClass{"TFloatNode", &TNumericNode::kClass};
  explicit TFloatNode(float value) : value_(value) {}

  const TNodeClass& NodeClass() const override { return kClass; }
  const char* TypeName() const override { return "FLOAT"; }
  // The widened value with 15 significant digits: 0.1 prints as 0.100000001490116.
  void Print(std::string& out, int depth = 0) const override;
  float AsFloat() const override { return value_; }

  float Value() const { return value_; }

 private:
  float value_;
};

NodeRef MakeInt(int32_t value);
NodeRef MakeFloat(float value);
NodeRef MakeString(std::string text);

}  // namespace kest
