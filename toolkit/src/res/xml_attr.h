#pragma once
// Attribute readers with the forms the descriptions use. Numbers never
// overflow: decimals are clamped to a range far beyond any screen, so the
// layout arithmetic built on them stays defined.
#include <tinyxml2.h>

#include <string>
#include <vector>

namespace Res::xml {

constexpr long kDecimalLimit = 1000000;

// Leading decimal digits with an optional sign, as C's atoi reads them; text
// without digits gives 0. Clamped to +-kDecimalLimit.
int ParseDecimal(const char* text);
// A real number; non-finite values and text without a number give `fallback`.
double ParseReal(const char* text, double fallback);

int Decimal(const tinyxml2::XMLElement* e, const char* name, int fallback = 0);
double Real(const tinyxml2::XMLElement* e, const char* name, double fallback);
// Exactly "true".
bool StrictBool(const tinyxml2::XMLElement* e, const char* name);
// "true" or "yes" in any case.
bool LooseBool(const tinyxml2::XMLElement* e, const char* name);
// The attribute, or "" when absent.
std::string Text(const tinyxml2::XMLElement* e, const char* name);
bool Has(const tinyxml2::XMLElement* e, const char* name);
// Comma list split exactly at ',' (no trimming, empty items kept).
std::vector<std::string> SplitList(const std::string& text);
// The element's first text, or "".
std::string ElementText(const tinyxml2::XMLElement* e);

}  // namespace Res::xml
