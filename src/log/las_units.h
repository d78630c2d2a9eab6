#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kest {

class TLogParameters;
class TLogSheet;
struct TLogParameter;

// Whether two unit texts name the same unit: case, blanks, '.', '_', '-', '*' and
// '·' do not count, and the common English spellings of LAS files match the
// Russian ones of the parameter tables ("G/CM3" and "г/см3", "OHMM" and "Ом·м",
// "GAPI" and "API"). Units that merely measure the same quantity ("K/M3" and
// "г/см3", "V/V" and "%") differ.
bool SameUnits(std::string_view a, std::string_view b);

// The dictionary entry of a curve of an exchange file, `mnemonic` in `units`, so
// that the curve is shown in the file's own unit:
// - the entry with that mnemonic when the file names no unit or the same one;
// - else an entry of its own for this run, named "NAME(UNITS)" after the one
//   found, with the file's unit (added the first time, found again later);
// - an unknown mnemonic gets a new entry named after it, with the file's unit
//   ("у.е." when the file names none).
// What the user should know goes to `notices`: "Отсутствует описание параметра
// \"%s\"." for an unknown mnemonic, a note for a unit kept against the table's.
const TLogParameter& CurveEntry(TLogParameters& dictionary, std::string_view mnemonic,
                                std::string_view units, std::vector<std::string>& notices);

// The entries CurveEntry made in the run that imported a file, made again for the
// tracks of a log read later (LS and TMP keep only the name "NAME(UNITS)"): for each
// track whose parameter the dictionary lacks and whose name is a described
// parameter's name followed by "(UNITS)", an entry like that parameter's in those
// units. Other names are left alone.
void RestoreOwnUnitEntries(const TLogSheet& sheet, TLogParameters& dictionary);

// A mnemonic or unit as a LAS header can carry it: no blanks, dots or colons.
std::string LasWord(std::string_view text, std::string_view replacing = " \t.:");

}  // namespace kest
