#include "log/las_units.h"

#include <array>

#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "support/code_page.h"

namespace kest {

namespace {

// The spelling compared: lower case without blanks and separators.
std::string UnitKey(std::string_view text) {
  std::string lower = LowerCase(text);
  std::string key;
  for (size_t i = 0; i < lower.size();) {
    size_t at = i;
    char32_t c = DecodeUtf8(lower, i);
    if (c == U' ' || c == U'\t' || c == U'.' || c == U'_' || c == U'-' || c == U'*' || c == U'·' ||
        c == U'\u2219')
      continue;
    key.append(lower, at, i - at);
  }
  return key;
}

// Spellings of one unit, as UnitKey leaves them; the first is the group's name.
const std::vector<std::vector<std::string_view>>& UnitGroups() {
  static const std::vector<std::vector<std::string_view>> groups = {
      {"м", "m", "meter", "metre", "meters", "metres"},
      {"мм", "mm"},
      {"см", "cm"},
      {"с", "s", "sec"},
      {"мс", "ms", "msec"},
      {"мв", "mv"},
      {"в", "v", "volt"},
      {"ма", "ma"},
      {"омм", "ohmm", "ohm/m", "ом/м"},
      {"мсм/м", "мс/м", "ms/m", "mmho/m"},
      {"г/см3", "g/cm3", "g/cc", "gm/cc", "gr/cc"},
      {"кг/м3", "kg/m3", "k/m3"},
      {"мкс/м", "us/m", "µs/m", "mks/m"},
      {"мкс/фут", "us/ft", "µs/ft", "us/f"},
      {"%", "pu", "percent", "pct"},
      {"де", "v/v", "frac", "dec", "m3/m3"},
      {"api", "gapi"},
      {"°c", "degc", "degreec", "c°", "градc"},
      {"мпа", "mpa"},
      {"атм", "atm"},
      {"б/эл", "b/e", "b/elec", "barn/e"},
      {"ppm"},
      {"мкр/ч", "ur/h", "ur/hr", "mkr/h", "мкр/час"},
      {"имп/мин", "cpm", "imp/min"},
      {"имп/с", "cps", "imp/s"},
      {"м/ч", "m/h", "m/hr"},
      {"кгс", "kgf"},
      {"м3/сут", "m3/d", "m3/day"},
      {"уе", "ue"},
  };
  return groups;
}

std::string_view Canonical(const std::string& key) {
  for (const auto& group : UnitGroups())
    for (std::string_view spelling : group)
      if (key == spelling) return group.front();
  return key;
}

// The entry Get finds for the name (here or in the sensor table), if any.
const TLogParameter* Described(const TLogParameters& dictionary, const std::string& name) {
  try {
    return &dictionary.Get(name);
  } catch (const ELogParametersError&) {
    return nullptr;
  }
}

}  // namespace

bool SameUnits(std::string_view a, std::string_view b) {
  std::string ka = UnitKey(a), kb = UnitKey(b);
  return ka == kb || Canonical(ka) == Canonical(kb);
}

std::string LasWord(std::string_view text, std::string_view replacing) {
  std::string word(text);
  for (char& c : word)
    if (replacing.find(c) != std::string_view::npos) c = '_';
  return word;
}

const TLogParameter& CurveEntry(TLogParameters& dictionary, std::string_view mnemonic,
                                std::string_view units, std::vector<std::string>& notices) {
  const TLogParameter* found = dictionary.FindByMnemonic(mnemonic);
  if (found == nullptr) {
    // An entry without a mnemonic is exported under its name.
    const TLogParameter* named = Described(dictionary, UpperCase(mnemonic));
    if (named != nullptr && named->Mnemonic.empty()) found = named;
  }
  if (found == nullptr) {
    // A name the tables already use for another mnemonic would show this curve as
    // that parameter; the file's curve gets a name of its own.
    std::string name = UpperCase(mnemonic);
    if (Described(dictionary, name)) name += "(" + std::string(units.empty() ? "LAS" : units) + ")";
    const TLogParameter* same = dictionary.Find(name);
    if (same == nullptr) {
      int i = dictionary.Add(name, mnemonic, 0, "0.00", mnemonic, units.empty() ? "у.е." : units,
                             mnemonic);
      same = &dictionary.Items(i);
    }
    notices.push_back("Отсутствует описание параметра \"" + std::string(mnemonic) + "\".");
    return *same;
  }
  if (units.empty() || SameUnits(found->Units, units)) return *found;
  std::string name = UpperCase(found->Name + "(" + std::string(units) + ")");
  const TLogParameter* own = dictionary.Find(name);
  if (own == nullptr) {
    int i = dictionary.Add(name, found->Caption, found->Number, found->Format, found->Mnemonic,
                           units, found->ShortCaption);
    own = &dictionary.Items(i);
  }
  notices.push_back("Кривая \"" + std::string(mnemonic) + "\" записана в единицах \"" +
                    std::string(units) + "\", в описании параметра \"" + found->Units +
                    "\": показана в единицах файла.");
  return *own;
}

void RestoreOwnUnitEntries(const TLogSheet& sheet, TLogParameters& dictionary) {
  for (int i = 0; i < sheet.Count(); ++i) {
    const std::string& name = sheet.Tracks(i)->Parameter();
    if (name.size() < 4 || name.back() != ')' || dictionary.Find(name)) continue;
    const size_t open = name.rfind('(');
    if (open == std::string::npos || open == 0 || open + 2 >= name.size()) continue;
    const TLogParameter* base = dictionary.Find(name.substr(0, open));
    if (base == nullptr || base->Mnemonic.empty()) continue;
    const std::string units = name.substr(open + 1, name.size() - open - 2);
    if (SameUnits(base->Units, units)) continue;
    dictionary.Add(name, base->Caption, base->Number, base->Format, base->Mnemonic, units,
                   base->ShortCaption);
  }
}

}  // namespace kest
