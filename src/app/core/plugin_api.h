#pragma once

// The interface of a KEST plug-in: a shared object in the installation's PlugIns
// folder exporting these C entry points. The program calls GetInfo once at start
// to learn the menu caption, then, each time the user picks the item, loads the
// library again, calls InitPlugInEx (or InitPlugIn when InitPlugInEx is absent)
// and unloads it when the call returns. The plug-in gets the program's own live
// objects and may call their operations; it must not keep them after returning.
// The logger is null in the curve editor.

namespace kest {
class TLogger;
class TLogSheet;
}  // namespace kest

extern "C" {

// The record GetInfo fills: the first field is the caption as a length-prefixed
// string (one length byte, up to 255 bytes of UTF-8).
struct KestPlugInInfo {
  unsigned char Caption[256];
};

using KestGetInfoFn = void (*)(KestPlugInInfo* info);
using KestInitPlugInExFn = void (*)(kest::TLogger* logger, kest::TLogSheet* sheet);
using KestInitPlugInFn = void (*)(kest::TLogger* logger);

}  // extern "C"
