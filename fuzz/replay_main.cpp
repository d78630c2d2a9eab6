// Replays a fuzz target's corpus (seeds and kept findings) as an ordinary test, so
// every input that once broke a reader stays a regression test without clang or
// libFuzzer. Linked into one program per target, whose generated source names the
// target and its corpus folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace kest {
namespace fuzz_replay {
extern const char* const kName;
extern const char* const kCorpus;
}  // namespace fuzz_replay

namespace {

namespace fs = std::filesystem;

// Every file under `folder` (sub-folders too, hidden files left out), in sorted order.
std::vector<fs::path> CorpusFiles(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

void Replay(const fs::path& folder) {
  ASSERT_TRUE(fs::is_directory(folder)) << folder;
  const std::vector<fs::path> files = CorpusFiles(folder);
  ASSERT_FALSE(files.empty()) << "no inputs in " << folder;
  for (const fs::path& file : files) {
    // Named before it runs: a crash ends the test with the culprit on the last line.
    std::fprintf(stderr, "replay %s\n", file.c_str());
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      ADD_FAILURE() << file.string() << ": cannot be read";
      continue;
    }
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
    const uint8_t none = 0;  // libFuzzer never passes a null pointer, not even for no bytes
    try {
      LLVMFuzzerTestOneInput(bytes.empty() ? &none : bytes.data(), bytes.size());
    } catch (const std::exception& e) {
      ADD_FAILURE() << file.string() << ": " << ExceptionClassName(e) << ": " << e.what();
    } catch (...) {
      ADD_FAILURE() << file.string() << ": an exception of unknown type";
    }
  }
}

class CorpusReplay : public ::testing::Test {
 public:
  void TestBody() override { Replay(fuzz_replay::kCorpus); }
};

// Registered under the target's name: the test is FuzzReplay.<target>.
const bool kRegistered = [] {
  ::testing::RegisterTest("FuzzReplay", fuzz_replay::kName, nullptr, nullptr, __FILE__, __LINE__,
                          []() -> ::testing::Test* { return new CorpusReplay; });
  return true;
}();

}  // namespace
}  // namespace kest
