// Runs test code in forked children: several programs at once on one file, a process killed
// with SIGKILL, or a user without root's rights (CI runs the suite as root, which no file mode
// stops). A child reports through its output text and ends with _exit, so it runs none of the
// parent's destructors or test framework.
#pragma once

#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

namespace quillon::test {

struct TChildResult {
  int Status = -1;  // as waitpid gives it
  std::string Out;  // what the child's body returned
  bool Exited() const { return WIFEXITED(Status) && WEXITSTATUS(Status) == 0; }
  bool Killed(int signal) const { return WIFSIGNALED(Status) && WTERMSIG(Status) == signal; }
};

// uid and gid of the user "nobody" on Debian.
constexpr uid_t kNobody = 65534;

// Gives up root for nobody, with no supplementary groups; false when the process may not
// (not root).
inline bool DropToNobody() {
  return setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0;
}

// Starts one child per body, all held at a barrier until every one is forked, so that they
// really start at once; waits for all. A body runs with the index of its child.
inline std::vector<TChildResult> RunChildren(int count,
                                             const std::function<std::string(int)>& body) {
  int barrier[2];
  if (pipe(barrier) != 0) return {};
  std::vector<pid_t> pids;
  std::vector<int> outputs;
  for (int i = 0; i < count; ++i) {
    int out[2];
    if (pipe(out) != 0) break;
    const pid_t pid = fork();
    if (pid == 0) {
      close(barrier[1]);
      close(out[0]);
      char go;
      while (read(barrier[0], &go, 1) < 0) {
      }
      const std::string text = body(i);
      size_t done = 0;
      while (done < text.size()) {
        const ssize_t n = write(out[1], text.data() + done, text.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
      }
      _exit(0);
    }
    close(out[1]);
    if (pid < 0) {
      close(out[0]);
      break;
    }
    pids.push_back(pid);
    outputs.push_back(out[0]);
  }
  close(barrier[0]);
  close(barrier[1]);  // the children's reads end: go
  std::vector<TChildResult> results(pids.size());
  for (size_t i = 0; i < pids.size(); ++i) {
    char buffer[4096];
    for (ssize_t n; (n = read(outputs[i], buffer, sizeof buffer)) > 0;)
      results[i].Out.append(buffer, static_cast<size_t>(n));
    close(outputs[i]);
    waitpid(pids[i], &results[i].Status, 0);
  }
  return results;
}

inline TChildResult RunInChild(const std::function<std::string()>& body) {
  std::vector<TChildResult> results = RunChildren(1, [&](int) { return body(); });
  return results.empty() ? TChildResult() : results[0];
}

}  // namespace quillon::test
