#include "sheet_output.h"

#include "json_writer.h"
#include "log/log_errors.h"
#include "log/log_sheet.h"
#include "log/log_sheet_filer.h"
#include "session/log_document.h"
#include "support/number_text.h"
#include "tool_environment.h"

namespace kest::tool {

void LoadSheetFile(const std::string& path, const ToolEnvironment& env, LogDocument& document,
                   float null_value) {
  LogFileOptions options = env.FileOptions();
  options.Las.NullValue = null_value;
  document.Open(path, options);
  document.Sheet().Update();
}

const TLogTrack& TrackBySpec(const TLogSheet& sheet, const std::string& spec) {
  std::string name = spec;
  int instance = 0;
  auto hash = spec.rfind('#');
  if (hash != std::string::npos) {
    if (auto n = ParseInt(spec.substr(hash + 1)); n && *n >= 0) {
      name = spec.substr(0, hash);
      instance = *n;
    }
  }
  const TLogTrack* track = sheet.FindTrack(name, instance);
  if (!track) throw ELogSheetError("Track \"" + spec + "\" not found");
  return *track;
}

namespace {

void WriteLines(JsonWriter& json, const StringList& lines) {
  json.BeginArray();
  for (const auto& line : lines) json.String(line);
  json.EndArray();
}

void WriteTrack(JsonWriter& json, const TLogTrack& t, bool with_samples, float null_value) {
  json.BeginObject();
  json.Key("parameter").String(t.Parameter());
  json.Key("instance").Int(t.Instance());
  json.Key("origin").Int(t.Origin());
  json.Key("step").Int(t.Step());
  json.Key("count").Int(t.Count());
  if (with_samples) {
    json.Key("samples").BeginArray();
    for (int i = 0; i < t.Count(); ++i) {
      if (IsNullSample(t.Sample(i), null_value))
        json.Null();
      else
        json.Float(t.Sample(i));
    }
    json.EndArray();
  }
  json.EndObject();
}

}  // namespace

std::string SheetJson(const TLogSheet& sheet, bool with_samples, const TLogTrack* only,
                      float null_value) {
  JsonWriter json;
  json.BeginObject();
  json.Key("argument").String(ArgumentIdentifier(sheet.Argument()));
  json.Key("start").Int(sheet.Start());
  json.Key("end").Int(sheet.End());
  json.Key("params");
  WriteLines(json, sheet.Params());
  json.Key("comments");
  WriteLines(json, sheet.Comments());
  json.Key("tracks").BeginArray();
  for (int i = 0; i < sheet.Count(); ++i)
    if (!only || sheet.Tracks(i) == only)
      WriteTrack(json, *sheet.Tracks(i), with_samples, null_value);
  json.EndArray();
  json.EndObject();
  return json.Text() + "\n";
}

std::string SheetInfoText(const std::string& path, const TLogSheet& sheet) {
  std::string out = "File:     " + path + "\n";
  out += "Argument: " + std::string(ArgumentName(sheet.Argument())) + "  start " +
         std::to_string(sheet.Start()) + "  end " + std::to_string(sheet.End()) + "\n";
  auto lines = [&](const char* title, const StringList& list) {
    out += title + std::string(list.Empty() ? " (none)\n" : "\n");
    for (const auto& line : list) out += "  " + line + "\n";
  };
  lines("Params:", sheet.Params());
  lines("Comments:", sheet.Comments());
  out += "Tracks:   " + std::to_string(sheet.Count()) + "\n";
  for (int i = 0; i < sheet.Count(); ++i) {
    const TLogTrack& t = *sheet.Tracks(i);
    out += "  " + t.Parameter() + "#" + std::to_string(t.Instance()) + "  origin " +
           std::to_string(t.Origin()) + "  step " + std::to_string(t.Step()) + "  count " +
           std::to_string(t.Count()) + "  end " + std::to_string(t.End()) +
           (t.Foreign() ? "  foreign" : "") + "\n";
  }
  return out;
}

std::string TrackDumpText(const TLogTrack& t, float null_value) {
  std::string out = "# " + t.Parameter() + "#" + std::to_string(t.Instance()) +
                    " origin=" + std::to_string(t.Origin()) + " step=" + std::to_string(t.Step()) +
                    " count=" + std::to_string(t.Count()) + "\n";
  for (int i = 0; i < t.Count(); ++i)
    out += std::to_string(t.ArgumentOf(i)) + "\t" +
           (IsNullSample(t.Sample(i), null_value) ? std::string("null")
                                                  : FormatGeneral(t.Sample(i), 9)) +
           "\n";
  return out;
}

}  // namespace kest::tool
