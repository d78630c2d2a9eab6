#include "witness/witness_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "witness/witness_settings.h"

namespace kest {

using nlohmann::json;

namespace {

// A sample as "%.9g" gives back the same float; an argument as "%.10g" keeps
// millimetres (and milliseconds). Not finite: null.
void AppendNumber(std::string& out, double v, bool argument) {
  if (!std::isfinite(v)) {
    out += "null";
    return;
  }
  char buffer[40];
  int n = argument ? std::snprintf(buffer, sizeof buffer, "%.10g", v)
                   : std::snprintf(buffer, sizeof buffer, "%.9g", v);
  out.append(buffer, static_cast<size_t>(n));
}

void AppendRows(std::string& out, const std::vector<WitnessRow>& rows) {
  out += "\"rows\":[";
  bool first_row = true;
  for (const WitnessRow& row : rows) {
    if (!first_row) out += ',';
    first_row = false;
    out += '[';
    AppendNumber(out, row.arg, true);
    for (float v : row.values) {
      out += ',';
      AppendNumber(out, v, false);
    }
    out += ']';
  }
  out += ']';
}

std::optional<json> Parse(std::string_view text, std::string* why) {
  if (text.size() > kMaxWitnessMessage) {
    if (why) *why = "message larger than 1 MB";
    return std::nullopt;
  }
  json j = json::parse(text.begin(), text.end(), nullptr, false);
  if (j.is_discarded()) {
    if (why) *why = "not JSON";
    return std::nullopt;
  }
  if (!j.is_object()) {
    if (why) *why = "not a JSON object";
    return std::nullopt;
  }
  return j;
}

// Field readers: false when the field is there with the wrong type, or missing
// and required.
bool Text(const json& j, const char* key, std::string& out, bool required = false) {
  auto it = j.find(key);
  if (it == j.end()) return !required;
  if (!it->is_string()) return false;
  out = it->get<std::string>();
  return true;
}

bool Number(const json& j, const char* key, double& out, bool required = false) {
  auto it = j.find(key);
  if (it == j.end()) return !required;
  if (!it->is_number()) return false;
  out = it->get<double>();
  return std::isfinite(out);
}

bool Index(const json& j, const char* key, int64_t& out) {
  auto it = j.find(key);
  if (it == j.end() || !it->is_number_integer()) return false;
  if (it->is_number_unsigned() && it->get<uint64_t>() > uint64_t(kMaxRowIndex)) return false;
  out = it->get<int64_t>();
  return out >= 0 && out <= kMaxRowIndex;
}

template <typename T>
std::optional<T> Fail(std::string* why, const std::string& reason) {
  if (why) *why = reason;
  return std::nullopt;
}

}  // namespace

std::string HeaderJson(const WitnessHeader& h) {
  json tracks = json::array();
  for (const WitnessTrack& t : h.tracks)
    tracks.push_back({{"name", t.name},
                      {"mnemonic", t.mnemonic},
                      {"unit", t.unit},
                      {"caption", t.caption},
                      {"offset", t.offset},
                      {"shift", t.shift}});
  json columns = json::array();
  for (const WitnessColumn& c : h.columns) {
    json curves = json::array();
    for (const WitnessCurve& k : c.curves)
      curves.push_back(
          {{"track", k.track}, {"min", k.min}, {"max", k.max}, {"color", k.color}, {"log", k.log}});
    columns.push_back({{"width", c.width}, {"curves", curves}});
  }
  json j = {{"unit", h.unit},
            {"run", h.run},
            {"research", h.research},
            {"well", h.well},
            {"argument", h.time ? "time" : "depth"},
            {"step", h.step},
            {"direction", h.direction},
            {"started", h.started},
            {"tracks", tracks},
            {"layout", {{"columns", columns}}}};
  // Names come from files and settings: bytes that are not UTF-8 are replaced, not
  // thrown about.
  return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string RowsJson(int64_t from, const std::vector<WitnessRow>& rows,
                     std::optional<int64_t> total) {
  std::string out = "{\"from\":" + std::to_string(from) + ",";
  AppendRows(out, rows);
  if (total) out += ",\"total\":" + std::to_string(*total);
  out += '}';
  return out;
}

std::string RunsJson(const RunsMessage& runs) {
  json list = json::array();
  for (const RunEntry& r : runs.runs)
    list.push_back(
        {{"run", r.run}, {"started", r.started}, {"state", r.recording ? "recording" : "ended"}});
  json j = {{"unit", runs.unit}, {"runs", list}};
  return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string EndJson(const EndMessage& end) {
  json j = {{"file", end.file}, {"rows", end.rows}};
  return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::optional<WitnessHeader> ParseHeader(std::string_view text, std::string* why) {
  auto j = Parse(text, why);
  if (!j) return std::nullopt;
  WitnessHeader h;
  std::string argument;
  if (!Text(*j, "unit", h.unit) || !Text(*j, "run", h.run) || !Text(*j, "research", h.research) ||
      !Text(*j, "well", h.well) || !Text(*j, "argument", argument, true) ||
      !Number(*j, "step", h.step, true) || !Text(*j, "direction", h.direction, true) ||
      !Text(*j, "started", h.started))
    return Fail<WitnessHeader>(why, "header: a field is missing or of the wrong type");
  if (argument != "depth" && argument != "time")
    return Fail<WitnessHeader>(why, "header: argument is neither depth nor time");
  h.time = argument == "time";
  if (h.direction != "down" && h.direction != "up" && h.direction != "time")
    return Fail<WitnessHeader>(why, "header: unknown direction");
  if (!(h.step > 0) || h.step > 1000) return Fail<WitnessHeader>(why, "header: step out of range");
  auto tracks = j->find("tracks");
  if (tracks == j->end() || !tracks->is_array() || tracks->empty() || tracks->size() > 4096)
    return Fail<WitnessHeader>(why, "header: no tracks");
  for (const json& t : *tracks) {
    WitnessTrack track;
    if (!t.is_object() || !Text(t, "name", track.name, true) ||
        !Text(t, "mnemonic", track.mnemonic) || !Text(t, "unit", track.unit) ||
        !Text(t, "caption", track.caption) || !Number(t, "offset", track.offset) ||
        !Number(t, "shift", track.shift) || std::fabs(track.offset) > 1e6 ||
        std::fabs(track.shift) > 1e6)
      return Fail<WitnessHeader>(why, "header: a track does not fit the format");
    h.tracks.push_back(std::move(track));
  }
  // The layout only draws: a damaged one is left out, the run is still read.
  auto layout = j->find("layout");
  if (layout != j->end() && layout->is_object()) {
    auto columns = layout->find("columns");
    if (columns != layout->end() && columns->is_array()) {
      for (const json& c : *columns) {
        if (!c.is_object()) continue;
        WitnessColumn column;
        double width = column.width;
        Number(c, "width", width);
        column.width = static_cast<int32_t>(std::clamp(width, 0.0, 10000.0));
        auto curves = c.find("curves");
        if (curves != c.end() && curves->is_array()) {
          for (const json& k : *curves) {
            WitnessCurve curve;
            double track = -1;
            if (!k.is_object() || !Number(k, "track", track) || track < 0 ||
                track >= static_cast<double>(h.tracks.size()) || !Number(k, "min", curve.min) ||
                !Number(k, "max", curve.max) || !Text(k, "color", curve.color))
              continue;
            curve.track = static_cast<int32_t>(track);
            if (auto log = k.find("log"); log != k.end() && log->is_boolean()) curve.log = *log;
            column.curves.push_back(curve);
          }
        }
        h.columns.push_back(std::move(column));
      }
    }
  }
  return h;
}

std::optional<RowsMessage> ParseRows(std::string_view text, std::optional<size_t> width,
                                     std::string* why) {
  auto j = Parse(text, why);
  if (!j) return std::nullopt;
  RowsMessage m;
  if (!Index(*j, "from", m.from))
    return Fail<RowsMessage>(why, "rows: \"from\" is not a row index");
  if (j->contains("total")) {
    int64_t total = 0;
    if (!Index(*j, "total", total)) return Fail<RowsMessage>(why, "rows: \"total\" is not a count");
    m.total = total;
  }
  auto rows = j->find("rows");
  if (rows == j->end() || !rows->is_array()) return Fail<RowsMessage>(why, "rows: no row list");
  if (m.from + static_cast<int64_t>(rows->size()) > kMaxRowIndex)
    return Fail<RowsMessage>(why, "rows: beyond the last row index");
  m.rows.reserve(rows->size());
  for (const json& r : *rows) {
    if (!r.is_array() || r.empty() || !r[0].is_number())
      return Fail<RowsMessage>(why, "rows: a row is not [argument, values...]");
    if (width && r.size() != *width + 1)
      return Fail<RowsMessage>(why, "rows: a row has " + std::to_string(r.size() - 1) +
                                        " values, the header " + std::to_string(*width) +
                                        " tracks");
    WitnessRow row;
    row.arg = r[0].get<double>();
    if (!std::isfinite(row.arg) || std::fabs(row.arg) > 1e9)
      return Fail<RowsMessage>(why, "rows: argument out of range");
    row.values.reserve(r.size() - 1);
    for (size_t i = 1; i < r.size(); ++i) {
      if (r[i].is_null()) {
        row.values.push_back(NAN);
      } else if (r[i].is_number()) {
        row.values.push_back(static_cast<float>(r[i].get<double>()));
      } else {
        return Fail<RowsMessage>(why, "rows: a value is neither a number nor null");
      }
    }
    m.rows.push_back(std::move(row));
  }
  return m;
}

std::optional<RunsMessage> ParseRuns(std::string_view text, std::string* why) {
  auto j = Parse(text, why);
  if (!j) return std::nullopt;
  RunsMessage m;
  if (!Text(*j, "unit", m.unit)) return Fail<RunsMessage>(why, "runs: unit is not a string");
  auto runs = j->find("runs");
  if (runs == j->end() || !runs->is_array()) return Fail<RunsMessage>(why, "runs: no run list");
  for (const json& r : *runs) {
    RunEntry e;
    std::string state;
    if (!r.is_object() || !Text(r, "run", e.run, true) || !Text(r, "started", e.started) ||
        !Text(r, "state", state) || !UnitNameProblem(e.run).empty())
      return Fail<RunsMessage>(why, "runs: an entry does not fit the format");
    e.recording = state != "ended";
    m.runs.push_back(std::move(e));
  }
  return m;
}

std::optional<EndMessage> ParseEnd(std::string_view text, std::string* why) {
  auto j = Parse(text, why);
  if (!j) return std::nullopt;
  EndMessage m;
  if (!Text(*j, "file", m.file, true) || !Index(*j, "rows", m.rows))
    return Fail<EndMessage>(why, "end: file or rows missing or of the wrong type");
  return m;
}

}  // namespace kest
