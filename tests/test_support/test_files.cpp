#include "test_support/test_files.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace kest::test {

std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!in.is_open() || in.bad()) throw std::runtime_error("cannot read " + path.string());
  return bytes;
}

std::string SourceDir() { return KEST_TEST_SOURCE_DIR; }
std::string DataRoot() { return SourceDir() + "/data"; }
std::string TestDataDir() { return SourceDir() + "/tests/data"; }

}  // namespace kest::test
