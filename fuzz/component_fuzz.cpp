// The component-stream reader on its own: walks any tree of components, skipping
// values of every kind and reading binary blocks byte by byte.
#include "fuzz_common.h"
#include "log/component_reader.h"
#include "support/stream.h"

using namespace kest;

namespace {

// Nested value lists are walked recursively here, so they are bounded as the
// reader's own SkipValue bounds them (a deep input must end as a reader error,
// not as this walker's stack overflow).
void ReadValue(ComponentReader& in, int depth = 0) {
  if (depth > kMaxComponentNesting) in.Fail("слишком глубокая вложенность значений");
  switch (in.NextValue()) {
    case ValueTag::kBinary: {
      in.BeginBinary();
      while (in.Remaining() >= 4) in.ReadInt32();
      if (in.Remaining() > 0) in.ReadByte();
      in.EndBinary();
      break;
    }
    case ValueTag::kList:
      in.ReadListBegin();
      while (!in.EndOfList()) ReadValue(in, depth + 1);
      break;
    case ValueTag::kString:
    case ValueTag::kLString:
    case ValueTag::kWString:
    case ValueTag::kUTF8String:
      in.ReadString();
      break;
    case ValueTag::kSet:
      in.ReadSet();
      break;
    case ValueTag::kExtended:
      in.ReadFloat();
      break;
    default:
      in.SkipValue();
  }
}

void ReadComponent(ComponentReader& in, int depth) {
  if (depth > kMaxComponentNesting) in.Fail("nesting");
  in.ReadShortString();
  in.ReadShortString();
  while (!in.EndOfList()) {
    in.ReadShortString();
    ReadValue(in);
  }
  while (!in.EndOfList()) ReadComponent(in, depth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryStream stream(fuzz::Bytes(data, size));
  fuzz::Guarded([&] {
    ComponentReader in(stream);
    in.ReadSignature();
    ReadComponent(in, 0);
  });
  return 0;
}
