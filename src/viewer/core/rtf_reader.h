#pragma once

#include <cstddef>
#include <string_view>

#include "viewer/core/rtf_document.h"
#include "viewer/core/viewer_types.h"

namespace kest {

// Every fault of a rich-text template; the message names the byte offset.
KEST_DECLARE_ERROR(ERtfReaderError, ELogViewerError);

// Bounds on hostile input: nothing is allocated before a length has passed them.
struct RtfReaderLimits {
  size_t MaxInput = size_t{4} * 1024 * 1024;  // bytes
  int MaxDepth = 64;                          // nested groups
  int MaxWordLetters = 32;                    // letters of a control word
  int MaxNumberDigits = 10;                   // digits of a control word's parameter
};

// Reads the RTF subset head-line templates use: fonts and colours (\fonttbl,
// \colortbl, \f, \cf), \b \i \ul (and their 0 forms), \plain, \pard, \fs, \ql \qc
// \qr \qj, \li \ri \fi, \tab \par \line, tables (\trowd \cellx \cell \row \intbl),
// \'hh as Windows-1251, \uN with \ucN, the \{ \} \\ escapes. Unknown control words
// are ignored and unknown destinations (\* groups, \info, \stylesheet, \pict, ...)
// skipped. Raises ERtfReaderError for input that is not RTF, unbalanced groups,
// nesting, words, numbers or input beyond the limits.
RtfDocument ReadRtf(std::string_view rtf, const RtfReaderLimits& limits = {});

}  // namespace kest
