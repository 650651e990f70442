// How the status window writes a computed number (the height sum): general format with the
// operator's decimal separator, which the front end takes from its locale.
#pragma once

#include <string>

namespace quillon {

class INumberFormatter {
 public:
  virtual ~INumberFormatter() = default;
  // At most 15 significant digits, no trailing zeros; Windows-1251 text.
  virtual std::string FormatGeneral(double value) const = 0;
};

class TGeneralNumberFormatter : public INumberFormatter {
 public:
  explicit TGeneralNumberFormatter(std::string decimalSeparator = ".")
      : decimalSeparator_(std::move(decimalSeparator)) {}
  std::string FormatGeneral(double value) const override;

 private:
  std::string decimalSeparator_;
};

// Reads a decimal number with a point as the separator ("-12.5", "1e3", "+.5"); the whole text
// must read and the value must be finite.
bool ParsePointDecimal(const std::string& text, double& value);

}  // namespace quillon
