// Runs a command with its standard input from a file and prints the CPU it used (user and
// system, from the kernel's accounting of the child) and its wall time.
//   azelrot-child-cpu INPUT OUTPUT COMMAND [ARGS...]

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "thread_cpu.h"

namespace {

double us(const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_usec);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s INPUT OUTPUT COMMAND [ARGS...]\n", argv[0]);
        return 2;
    }
    const double start = bench::monotonic_us();
    const pid_t pid = fork();
    if (pid < 0) return 1;
    if (pid == 0) {
        const int in = open(argv[1], O_RDONLY);
        const int out = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0) _exit(126);
        execvp(argv[3], argv + 3);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return 1;
    const double wall = bench::monotonic_us() - start;
    std::printf("cpu_us %.0f\nwall_ms %.1f\nexit %d\n", us(usage.ru_utime) + us(usage.ru_stime),
                wall / 1000, WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    return 0;
}
