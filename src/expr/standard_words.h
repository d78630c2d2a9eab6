#pragma once

#include <random>

namespace kest {

class TExpressList;

// Adds the constants, functions and operators every parser knows. "random" and
// "randg" draw from `generator`, which must outlive the words.
void DefineStandardWords(TExpressList& words, std::mt19937_64& generator);

}  // namespace kest
