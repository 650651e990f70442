#include "cli/provision_live.h"

#include <algorithm>

namespace quillon::cli {

TProvisionLive::TProvisionLive(std::FILE* out, bool terminal, int width)
    : out_(out), terminal_(terminal), width_(static_cast<size_t>(std::max(width, 20))) {}

TProvisionLive::TLine& TProvisionLive::Line(const std::string& port) {
  for (TLine& line : lines_)
    if (line.Port == port && !line.Finished) return line;
  lines_.push_back({port, "", "", "", false});
  return lines_.back();
}

void TProvisionLive::Emit(const std::string& port, const std::string& text) {
  if (terminal_) {
    dirty_ = true;
    return;
  }
  std::fprintf(out_, "%s: %s\n", port.c_str(), text.c_str());
  std::fflush(out_);
}

void TProvisionLive::Add(const std::string& port, const std::string& text) {
  TLine& line = Line(port);
  line.Stage.clear();
  line.Text = text;
  Emit(port, text);
}

void TProvisionLive::Stage(const std::string& port, const std::string& stage,
                           const std::string& text) {
  TLine& line = Line(port);
  const bool changed = line.Stage != stage;
  line.Stage = stage;
  line.Text = text;
  if (changed || terminal_) Emit(port, StageText(line));
}

// The stage's name before its text, unless the text says it already ("storing into flash").
std::string TProvisionLive::StageText(const TLine& line) {
  if (line.Text.empty()) return line.Stage;
  if (line.Stage.empty() || line.Text.rfind(line.Stage, 0) == 0) return line.Text;
  return line.Stage + " " + line.Text;
}

void TProvisionLive::Identity(const std::string& port, const std::string& imei,
                              const std::string& model, const std::string& firmware) {
  TLine& line = Line(port);
  line.Imei = imei;
  std::string text = "IMEI " + imei;
  if (!model.empty()) text += ", " + model;
  if (!firmware.empty()) text += ", firmware " + firmware;
  Emit(port, text);
}

void TProvisionLive::Note(const std::string& port, const std::string& text) {
  Line(port).Text = text;
  Emit(port, text);
}

void TProvisionLive::Finish(const std::string& port, const std::string& text) {
  TLine& line = Line(port);
  line.Stage.clear();
  line.Text = text;
  line.Finished = true;
  if (!terminal_) {
    Emit(port, text);
  } else {
    pending_.push_back(Shown(line));
    dirty_ = true;
  }
  lines_.erase(
      std::remove_if(lines_.begin(), lines_.end(), [](const TLine& l) { return l.Finished; }),
      lines_.end());
}

void TProvisionLive::Print(const std::string& text) {
  if (!terminal_) {
    std::fputs(text.c_str(), out_);
    std::fflush(out_);
    return;
  }
  std::string lines = text;
  if (!lines.empty() && lines.back() == '\n') lines.pop_back();
  pending_.push_back(lines);
  Refresh(true);
}

std::string TProvisionLive::Shown(const TLine& line) const {
  return line.Port + "  " + (line.Imei.empty() ? "-" : line.Imei) + "  " + StageText(line);
}

// Cuts to the terminal's width, counting UTF-8 characters, so a line never wraps (a wrapped
// line would throw the redraw off by one).
std::string TProvisionLive::Fit(const std::string& text) const {
  size_t columns = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (++columns == width_) return text.substr(0, i);
  }
  return text;
}

void TProvisionLive::Refresh(bool force) {
  if (!terminal_ || (!dirty_ && !force)) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && now - lastDraw_ < std::chrono::milliseconds(100)) return;
  lastDraw_ = now;
  dirty_ = false;
  std::string screen;
  if (drawn_) screen += "\x1b[" + std::to_string(drawn_) + "A";
  screen += "\r\x1b[J";  // clears from here down: lines that left the live part go too
  for (const std::string& text : pending_) screen += text + "\n";  // kept whole: they scroll
  pending_.clear();
  for (const TLine& line : lines_) screen += Fit(Shown(line)) + "\n";
  drawn_ = lines_.size();
  std::fputs(screen.c_str(), out_);
  std::fflush(out_);
}

}  // namespace quillon::cli
