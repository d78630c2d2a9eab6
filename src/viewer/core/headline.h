#pragma once

#include <string>
#include <vector>

#include "viewer/core/rtf_document.h"

namespace kest {

class StringList;
class TResearchParameters;

// The head line of a printed log: a rich-text template from the "HeadLine" folder
// filled with the sheet's parameters. Line by line, each segment from "<" to the next
// ">" is replaced: "<NAME>" by the value of the sheet's parameter NAME (empty when the
// sheet has none; a name such as "[WELL]" that holds a "[" and is no sheet parameter
// stays as it is written), then every "[NAME]" in the result by the display name of
// the research parameter NAME described in the template's ".RP" file. The segment is
// blanked and the replacement written over the line from the segment's start (text
// after it is overwritten, not shifted; the line grows when the replacement is
// longer), in the character format of the segment's first character; trailing spaces
// are trimmed. A closing bracket before its opening one raises ELogViewerError
// "Invalid header data"; an unknown research parameter raises the research
// parameters' error.
RtfDocument FillHeadLine(const RtfDocument& head_line, const StringList& sheet_params,
                         const TResearchParameters& research);

// Reads the template at `template_path` and its ".RP" companion and fills it in.
// Raises any EKestError on failure (a missing ".RP" is ELogViewerError): the print
// catches it and goes on without the head line.
RtfDocument LoadHeadLine(const std::string& template_path, const StringList& sheet_params);

// The printed head line's height in screen pixels: Trunc(2.5 x the sum of the lines'
// character heights), a line's height being its largest font size in points x
// `screen_pixels_per_inch` / 72. A table row counts as its tallest cell.
int HeadLineHeight(const RtfDocument& head_line, double screen_pixels_per_inch);

// The names of the templates in `folder` (files "*.RTF", the extension in any case),
// sorted; empty when the folder does not exist.
std::vector<std::string> HeadLineTemplates(const std::string& folder);

// The ".RP" companion of a template (the same name, the extension in any case, in the
// same folder); empty when there is none.
std::string HeadLineParamsFile(const std::string& template_path);

}  // namespace kest
