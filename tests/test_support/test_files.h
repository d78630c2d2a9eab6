#pragma once

#include <filesystem>
#include <string>

namespace kest::test {

// The whole file as bytes in a string; throws std::runtime_error naming the file when
// it cannot be read, so a missing file fails the test instead of comparing as empty.
std::string Slurp(const std::filesystem::path& path);

// The source tree the tests were built from (no trailing slash).
std::string SourceDir();
// The shipped data (source tree "data": Data/, Classes, research params, ...).
std::string DataRoot();
// The test files kept with the tests (source tree "tests/data": LAS samples, ...).
std::string TestDataDir();

}  // namespace kest::test
