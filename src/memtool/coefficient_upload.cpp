#include "memtool/coefficient_upload.h"

#include <cmath>

#include "memtool/memory_tool.h"
#include "memtool/memory_tool_host.h"
#include "memtool/memory_tool_link.h"
#include "memtool/memtool_errors.h"
#include "memtool/tool_codec.h"

namespace kest {

namespace {

constexpr double kSmallest = 1e-35;
// The tool takes the data of a memory write more slowly than commands.
constexpr int kBytePauseMs = 2;

void AppendToolFloat(std::vector<uint8_t>& out, double v) {
  auto b = EncodeToolFloat(std::fabs(v) < kSmallest ? 0.0 : v);
  out.insert(out.end(), b.begin(), b.end());
}

std::vector<uint8_t> WriteHeader(uint16_t offset, uint16_t length) {
  return {static_cast<uint8_t>(TMemoryCommand::WriteMemory),
          0x00,
          0x00,
          static_cast<uint8_t>(offset >> 8),
          static_cast<uint8_t>(offset),
          static_cast<uint8_t>(length >> 8),
          static_cast<uint8_t>(length)};
}

// One acknowledged memory write; false when the acknowledgement does not come.
bool AcknowledgedWrite(TMemoryTool& tool, const std::vector<uint8_t>& command) {
  TReciveDataObject& collector = tool.Collector();
  collector.ReplyName = "MessageLink";
  collector.ExpectedCount = 1;
  collector.ModeFlags = 7;
  collector.OnComplete = nullptr;
  // Armed before the bytes go, so an acknowledgement that comes at once is heard.
  collector.Start();
  tool.Link().Send(command, kBytePauseMs);
  return tool.WaitReply();
}

}  // namespace

std::array<double, kCoefToolFloats> CoefficientToolValues(const TCoefRecord& r) {
  std::array<double, kCoefToolFloats> v{};
  size_t n = 0;
  for (int row = 0; row < 7; ++row)
    for (int c = 0; c < 7; ++c) v[n++] = r.Get(TCoefTable::Full, c, row);
  for (int i = 0; i < 7; ++i) v[n++] = r.Get(TCoefTable::Temperature, 0, i);
  for (int row = 0; row < 2; ++row)
    for (int c = 0; c < 4; ++c) v[n++] = r.Get(TCoefTable::Thermal, c, row);
  for (int row = 0; row < 2; ++row)
    for (int c = 0; c < 7; ++c) v[n++] = r.Get(TCoefTable::Reduced, c, row);
  return v;
}

std::vector<uint8_t> CoefficientWriteCommand(const TCoefRecord& r) {
  auto out = WriteHeader(0, kCoefBlockBytes);
  for (double v : CoefficientToolValues(r)) AppendToolFloat(out, v);
  return out;
}

std::vector<uint8_t> DividerWriteCommand(const TCoefRecord& r) {
  auto out = WriteHeader(kDividerBlockOffset, kDividerBlockBytes);
  for (int i = 0; i < TCoefRecord::kShownDividers; ++i)
    AppendToolFloat(out, r.Get(TCoefTable::Divider, i, 0));
  out.insert(out.end(), 3, 0);
  for (int i = 0; i < TCoefRecord::kGains; ++i) out.push_back(r.Gain(i));
  return out;
}

TCoefRecord RecordFromCalibrationBlock(std::span<const uint32_t> values, const TCoefRecord& base) {
  if (values.size() < static_cast<size_t>(TMemoryTool::kPageValues))
    throw EMemoryToolError(kNoReplyText);
  std::vector<uint8_t> bytes;
  UnpackReplyBytes(values.first(static_cast<size_t>(TMemoryTool::kPageValues)), bytes);
  auto f = [&](size_t k) {
    return DecodeToolFloat({bytes[4 * k], bytes[4 * k + 1], bytes[4 * k + 2], bytes[4 * k + 3]});
  };
  TCoefRecord r = base;
  size_t n = 0;
  for (int row = 0; row < 7; ++row)
    for (int c = 0; c < 7; ++c) r.Put(TCoefTable::Full, c, row, f(n++));
  for (int i = 0; i < 7; ++i) r.Put(TCoefTable::Temperature, 0, i, f(n++));
  for (int row = 0; row < 2; ++row)
    for (int c = 0; c < 4; ++c) r.Put(TCoefTable::Thermal, c, row, f(n++));
  for (int row = 0; row < 2; ++row)
    for (int c = 0; c < 7; ++c) r.Put(TCoefTable::Reduced, c, row, f(n++));
  for (int i = 0; i < TCoefRecord::kShownDividers; ++i)
    r.Put(TCoefTable::Divider, i, 0, f(kDividerBlockOffset / 4 + static_cast<size_t>(i)));
  for (int i = 0; i < TCoefRecord::kGains; ++i)
    r.SetGain(i, bytes[kDividerBlockOffset + 15 + static_cast<size_t>(i)]);
  return r;
}

void UploadCoefficients(TMemoryTool& tool, const TCoefRecord& record) {
  tool.Host().ShowStatusText("Передача коэффициентов");
  if (!AcknowledgedWrite(tool, CoefficientWriteCommand(record)))
    throw EMemoryToolError("Неверный формат файла: прибор не подтвердил запись коэффициентов");
  if (!AcknowledgedWrite(tool, DividerWriteCommand(record)))
    throw EMemoryToolError(
        "Прибор не подтвердил запись делителей и коэффициентов усиления: коэффициенты "
        "записаны, делители и усиления - нет");
  tool.Host().ShowStatusText("Коэффициенты переданы в прибор");
}

TCoefRecord ReadToolCoefficients(TMemoryTool& tool, const TCoefRecord& base) {
  auto values = tool.ReadPages(0, 1, nullptr);
  return RecordFromCalibrationBlock(values, base);
}

}  // namespace kest
