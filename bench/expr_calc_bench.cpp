// Throughput of calculator-style formulas: three lines over 1,000,000 rows, each line
// found by its text and evaluated once per row, as the curve calculator does.
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench_line.h"
#include "expr/expression_parser.h"

namespace {

constexpr int kRows = 1'000'000;
const char* const kLines[] = {
    "ngk := ngk * 2 + gk / 3",
    "ps := if(gk > 50, (gk - 50) * 0.5 + sqrt(abs(ngk)), ps - 1)",
    "t := ln(ngk * ngk + 1) * degtorad(45) + max(gk, ps) mod 7",
};

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

}  // namespace

int main() {
  using Clock = std::chrono::steady_clock;
  std::vector<double> gk_track(kRows), ngk_track(kRows), ps_track(kRows);
  for (int r = 0; r < kRows; ++r) {
    gk_track[r] = 10 + (r % 97);
    ngk_track[r] = 1 + (r % 13) * 0.25;
    ps_track[r] = -(r % 5);
  }

  double gk = 0, ngk = 0, ps = 0;
  kest::TExpressionParser parser;
  parser.DefineVariable("GK", &gk);
  parser.DefineVariable("NGK", &ngk);
  parser.DefineVariable("PS", &ps);
  size_t records_per_row = 0;
  for (const char* line : kLines) records_per_row += parser.RecordCount(parser.AddExpression(line));

  // Calculator loop: read the row, look each line up by text, evaluate, write back.
  double checksum = 0;
  auto start = Clock::now();
  for (int r = 0; r < kRows; ++r) {
    gk = gk_track[r];
    ngk = ngk_track[r];
    ps = ps_track[r];
    for (const char* line : kLines) parser.Evaluate(parser.AddExpression(line));
    ngk_track[r] = ngk;
    ps_track[r] = ps;
    checksum += ngk;
  }
  double with_lookup = Seconds(Clock::now() - start);

  // The same rows with the expression indices kept by the caller.
  int indices[3];
  for (int i = 0; i < 3; ++i) indices[i] = parser.AddExpression(kLines[i]);
  start = Clock::now();
  for (int r = 0; r < kRows; ++r) {
    gk = gk_track[r];
    ngk = ngk_track[r];
    ps = ps_track[r];
    for (int index : indices) parser.Evaluate(index);
    ngk_track[r] = ngk;
    ps_track[r] = ps;
    checksum += ngk;
  }
  double cached = Seconds(Clock::now() - start);

  double records = static_cast<double>(records_per_row) * kRows;
  std::printf("formulas: 3, records per row: %zu, rows: %d\n", records_per_row, kRows);
  std::printf("lookup by text + evaluate: %.3f s, %.2f M rows/s, %.1f M records/s\n", with_lookup,
              kRows / with_lookup / 1e6, records / with_lookup / 1e6);
  std::printf("evaluate by index:         %.3f s, %.2f M rows/s, %.1f M records/s\n", cached,
              kRows / cached / 1e6, records / cached / 1e6);
  std::printf("(checksum %.6g)\n", checksum);
  namespace b = kest::bench;
  std::string size = b::Format("%d rows x 3 formulas", kRows);
  b::Line("expr: lookup by text + evaluate", size,
          b::Format("%.2f M rows/s", kRows / with_lookup / 1e6));
  b::Line("expr: evaluate by index", size, b::Format("%.2f M rows/s", kRows / cached / 1e6));
  return 0;
}
