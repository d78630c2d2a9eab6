// Coefficient files and measurement text: any bytes are either refused with the
// product's error or read; a file that reads writes back to one that reads the same,
// and its record survives the recalculation (or its error), the upload encoding and
// the read-back of the calibration block.
#include <span>
#include <string_view>

#include "fuzz_common.h"
#include "memtool/calibration_fit.h"
#include "memtool/calibration_grids.h"
#include "memtool/coefficient_file.h"
#include "memtool/coefficient_upload.h"
#include "memtool/tool_codec.h"

using namespace kest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  fuzz::Guarded([&] {
    TCoefFile file = DecodeCoefFile(bytes);
    TCoefFile again = DecodeCoefFile(EncodeCoefFile(file));
    fuzz::Require(again.Record == file.Record, "a record survives writing");
    (void)DayCountText(file.SavedDays);
    fuzz::Guarded([&] { (void)Recalculate(file.Record); });
    auto first = CoefficientWriteCommand(file.Record);
    auto second = DividerWriteCommand(file.Record);
    fuzz::Require(first.size() == 7 + 312 && second.size() == 7 + 20, "write sizes are fixed");
    std::vector<uint8_t> page(528, 0);
    std::copy(first.begin() + 7, first.end(), page.begin());
    std::copy(second.begin() + 7, second.end(), page.begin() + 508);
    std::vector<uint32_t> values;
    for (size_t v = 0; v < 132; ++v) values.push_back(ReplyValueOf(&page[4 * v]));
    TCoefRecord back = RecordFromCalibrationBlock(values, file.Record);
    for (int g = 0; g < TCoefRecord::kGains; ++g)
      fuzz::Require(back.Gain(g) == file.Record.Gain(g), "gains survive the upload");
  });
  fuzz::Guarded([&] {
    TCoefRecord record = NewCoefRecord();
    ReadMeasurementText(std::string_view(reinterpret_cast<const char*>(data), size), record);
    fuzz::Guarded([&] { (void)Recalculate(record); });
  });
  return 0;
}
