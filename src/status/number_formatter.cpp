#include "status/number_formatter.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace quillon {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// "1.5E+020"-style exponents from printf become "1.5E20".
std::string TidyExponent(const std::string& text) {
  const size_t e = text.find('E');
  if (e == std::string::npos) return text;
  std::string mantissa = text.substr(0, e);
  std::string exponent = text.substr(e + 1);
  std::string sign;
  if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
    if (exponent[0] == '-') sign = "-";
    exponent.erase(0, 1);
  }
  const size_t nonZero = exponent.find_first_not_of('0');
  exponent = nonZero == std::string::npos ? "0" : exponent.substr(nonZero);
  return mantissa + "E" + sign + exponent;
}

}  // namespace

std::string TGeneralNumberFormatter::FormatGeneral(double value) const {
  if (!std::isfinite(value)) return value != value ? "NAN" : (value > 0 ? "INF" : "-INF");
  if (value == 0) value = 0;  // no "-0"
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::string text = TidyExponent(buffer);
  // printf writes the C locale's point; the operator's separator replaces it.
  const size_t point = text.find('.');
  if (point != std::string::npos) text.replace(point, 1, decimalSeparator_);
  return text;
}

bool ParsePointDecimal(const std::string& text, double& value) {
  size_t i = 0;
  std::string plain;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') plain += '-';
    ++i;
  }
  size_t digits = 0;
  const size_t mantissaStart = i;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != text.size()) return false;
  plain += text.substr(mantissaStart);
  double parsed = 0;
  const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), parsed);
  if (ec != std::errc() || end != plain.data() + plain.size() || !std::isfinite(parsed))
    return false;
  value = parsed;
  return true;
}

}  // namespace quillon
