// The live view of a provisioning run, one line per port. On a terminal the lines of the ports
// at work are redrawn in place and a finished port's last line stays above them; elsewhere
// (a pipe, a log file) every change of stage is printed once as "PORT: ...", so scripts and
// logs stay readable. Texts reach it masked and in UTF-8.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace quillon::cli {

class TProvisionLive {
 public:
  // width: the terminal's columns (lines are cut to fit), ignored when not a terminal.
  TProvisionLive(std::FILE* out, bool terminal, int width);

  // A port joins the view (waiting for a free worker, or started at once).
  void Add(const std::string& port, const std::string& text);
  // A stage of the worker began or its text changed: only a new stage is printed off a
  // terminal; the text alone changes the terminal's line.
  void Stage(const std::string& port, const std::string& stage, const std::string& text);
  void Identity(const std::string& port, const std::string& imei, const std::string& model,
                const std::string& firmware);
  // Something worth a line of its own off a terminal (a command not verified); on a terminal
  // it shows in the port's line.
  void Note(const std::string& port, const std::string& text);
  // The port's last line: it leaves the live part.
  void Finish(const std::string& port, const std::string& text);

  // Redraws the terminal's lines when something changed and the last redraw is a tenth of a
  // second old (or at once with force); nothing off a terminal.
  void Refresh(bool force = false);
  // Prints text (ending in a line break) above the live lines.
  void Print(const std::string& text);

  bool Terminal() const { return terminal_; }

 private:
  struct TLine {
    std::string Port, Imei, Stage, Text;
    bool Finished = false;
  };
  TLine& Line(const std::string& port);
  std::string Shown(const TLine& line) const;
  static std::string StageText(const TLine& line);
  std::string Fit(const std::string& text) const;
  void Emit(const std::string& port, const std::string& text);

  std::FILE* out_;
  bool terminal_;
  size_t width_;
  std::vector<TLine> lines_;          // the ports at work, in the order they came
  std::vector<std::string> pending_;  // finished lines and prints not drawn yet
  size_t drawn_ = 0;                  // live lines on the screen below the cursor's line
  bool dirty_ = false;
  std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace quillon::cli
