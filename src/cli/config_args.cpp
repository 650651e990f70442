#include "cli/config_args.h"

namespace quillon::cli {

namespace {

bool LooksLikeOption(const std::string& a) {
  return a.size() > 1 && a[0] == '-';
}

// Takes the one FILE argument out of rest; the flags are handed to takeFlag first.
template <typename TakeFlag>
std::string ParseFileAndFlags(const std::vector<std::string>& rest, std::string& file,
                              TakeFlag takeFlag) {
  for (const std::string& a : rest) {
    if (takeFlag(a)) continue;
    if (LooksLikeOption(a)) return "unknown option '" + a + "'";
    if (!file.empty()) return "unexpected argument '" + a + "' (one FILE only)";
    file = a;
  }
  if (file.empty()) return "FILE is required";
  return {};
}

}  // namespace

std::string ParseSessionArgs(const std::vector<std::string>& args, TSessionArgs& out) {
  std::vector<std::string> rest;
  std::string error;
  if (!ParseEngineOptions(args, out.Engine, rest, error)) return error;
  if (out.Engine.Json) return "unknown option '--json'";
  if (!rest.empty()) return "unexpected argument '" + rest[0] + "'";
  return {};
}

std::string ParseConfigSaveArgs(const std::vector<std::string>& args, TConfigSaveArgs& out) {
  std::vector<std::string> rest;
  std::string error;
  if (!ParseEngineOptions(args, out.Engine, rest, error)) return error;
  if (out.Engine.Json) return "unknown option '--json'";
  return ParseFileAndFlags(rest, out.File, [&](const std::string& a) {
    if (a != "--force") return false;
    out.Force = true;
    return true;
  });
}

std::string ParseConfigLoadArgs(const std::vector<std::string>& args, TConfigLoadArgs& out) {
  std::vector<std::string> rest;
  std::string error;
  if (!ParseEngineOptions(args, out.Engine, rest, error)) return error;
  return ParseFileAndFlags(rest, out.File, [&](const std::string& a) {
    bool* flag = a == "--no-store"          ? &out.NoStore
                 : a == "--accept-defaults" ? &out.AcceptDefaults
                 : a == "--allow-defaults"  ? &out.AllowDefaults
                                            : nullptr;
    if (flag == nullptr) return false;
    *flag = true;
    return true;
  });
}

std::string ParseConfigDiffArgs(const std::vector<std::string>& args, TConfigDiffArgs& out) {
  std::vector<std::string> rest;
  std::string error;
  if (!ParseEngineOptions(args, out.Engine, rest, error)) return error;
  out.Terminal = !out.Engine.Link.Port.empty();
  std::vector<std::string> files;
  for (const std::string& a : rest) {
    if (LooksLikeOption(a)) return "unknown option '" + a + "'";
    files.push_back(a);
  }
  if (out.Terminal) {
    if (files.size() != 1) return "with --port, give one FILE to compare the terminal with";
    out.B = files[0];
    return {};
  }
  const TConsoleLinkOptions& link = out.Engine.Link;
  if (link.Timeout || link.TimeoutInterval || link.TimeoutEcho || link.Speed || link.Password ||
      link.Fast || out.Engine.MasterPassword || out.Engine.RetryCount)
    return "terminal options need --port";
  if (files.size() != 2) return "two FILEs are required (or --port PORT and one FILE)";
  out.A = files[0];
  out.B = files[1];
  return {};
}

}  // namespace quillon::cli
