// Runs a command and prints what it cost: "CPU_SECONDS PEAK_KIB STATUS", the
// processor time (user and system) and the peak resident memory of the
// command alone. Processor time, not wall time, so that a busy machine
// does not change the result. Standard output of the command goes to
// /dev/null unless it is redirected by the command line ("-o" files are
// the command's own business).
//
//     run_measured COMMAND [ARGS...]
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: run_measured COMMAND [ARGS...]\n", stderr);
        return 2;
    }
    const pid_t child = fork();
    if (child < 0)
        return 2;
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    rusage usage {};
    if (wait4(child, &status, 0, &usage) != child)
        return 2;
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::printf("%.3f %ld %d\n", cpu, usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return 0;
}
