#include "testing/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "tool_under_test.h"

namespace vexlo::testing {

namespace {

// Reads both pipes until the child has closed them.
void drain(int out_fd, int err_fd, ProgramRun& run) {
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[2] = {&run.out, &run.err};
  int open_pipes = 2;
  char block[65536];
  while (open_pipes > 0) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      return;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) {
        continue;
      }
      const ssize_t got = ::read(fds[i].fd, block, sizeof block);
      if (got > 0) {
        sinks[i]->append(block, static_cast<std::size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --open_pipes;
      }
    }
  }
}

// The argv array for program and its arguments, pointing into them.
std::vector<char*> argv_of(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  return argv;
}

}  // namespace

ProgramRun run_program(const std::string& program, const std::vector<std::string>& arguments) {
  ProgramRun run;
  int out_pipe[2];
  int err_pipe[2];
  if (::pipe2(out_pipe, O_CLOEXEC) != 0 || ::pipe2(err_pipe, O_CLOEXEC) != 0) {
    return run;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);

  std::vector<char*> argv = argv_of(program, arguments);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  if (spawned == 0) {
    drain(out_pipe[0], err_pipe[0], run);
    const int status = wait_for_program(child);
    run.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  ::close(out_pipe[0]);
  ::close(err_pipe[0]);
  return run;
}

pid_t start_program(const std::string& program, const std::vector<std::string>& arguments) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv = argv_of(program, arguments);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? child : -1;
}

int wait_for_program(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      return -1;
    }
  }
  return status;
}

std::string tool_under_test() {
  const char* chosen = std::getenv("VEXLO_COMMAND");
  return chosen != nullptr && *chosen != '\0' ? chosen : built_tool;
}

}  // namespace vexlo::testing
