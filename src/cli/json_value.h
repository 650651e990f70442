// A small JSON reader for the lines a provisioning worker writes: one value per line, objects
// kept in their order, numbers as double. Strings stay UTF-8; \u escapes become UTF-8.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillon::cli {

struct TJsonValue {
  enum TKind { jkNull, jkBool, jkNumber, jkString, jkArray, jkObject };
  TKind Kind = jkNull;
  bool Bool = false;
  double Number = 0;
  std::string String;
  std::vector<TJsonValue> Items;                            // an array's
  std::vector<std::pair<std::string, TJsonValue>> Members;  // an object's, in order

  // The member of that name; nullptr when this is no object or it has none.
  const TJsonValue* Find(const std::string& key) const;
  // A member's text or number, with a fallback for a missing or differently typed one.
  std::string Text(const std::string& key, const std::string& fallback = {}) const;
  double Num(const std::string& key, double fallback = 0) const;
  bool Flag(const std::string& key, bool fallback = false) const;
};

// The one value the text holds (blanks around it allowed); nullopt when it is not JSON. Nesting
// deeper than 64 levels is refused, so a hostile line cannot exhaust the stack.
std::optional<TJsonValue> ParseJson(const std::string& text);

}  // namespace quillon::cli
