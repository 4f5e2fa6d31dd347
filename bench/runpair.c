/* Times two commands run alternately: runpair N cmdA [args] -- cmdB [args]
   After two untimed warm-up rounds, runs both N times, swapping which goes first
   every round so that neither always follows the other, and prints one line per
   round: "wallA cpuA wallB cpuB" in microseconds. Wall time runs from the spawn to
   the reaping of the child; CPU time is the child's user plus system time, which
   a loaded machine inflates far less than the wall time. Exits 1 if a command
   fails. */
#define _GNU_SOURCE
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

extern char** environ;

static long long micros(const struct timespec* t)
{
    return (long long)t->tv_sec * 1000000 + t->tv_nsec / 1000;
}

static int run(char** argv, long long* wall, long long* cpu)
{
    struct timespec t0, t1;
    struct rusage ru;
    pid_t pid;
    int status;
    clock_gettime(CLOCK_MONOTONIC, &t0);
    if (posix_spawn(&pid, argv[0], NULL, NULL, argv, environ) != 0)
        return -1;
    if (wait4(pid, &status, 0, &ru) != pid)
        return -1;
    clock_gettime(CLOCK_MONOTONIC, &t1);
    *wall = micros(&t1) - micros(&t0);
    *cpu = (long long)(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1000000 + ru.ru_utime.tv_usec +
           ru.ru_stime.tv_usec;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int main(int argc, char** argv)
{
    if (argc < 5) {
        fprintf(stderr, "usage: runpair N cmdA [args] -- cmdB [args]\n");
        return 2;
    }
    const int rounds = atoi(argv[1]);
    char** a = argv + 2;
    char** b = NULL;
    for (int i = 2; i < argc; ++i) {
        if (strcmp(argv[i], "--") == 0) {
            argv[i] = NULL;
            b = argv + i + 1;
            break;
        }
    }
    if (!b || !*b || rounds < 1) {
        fprintf(stderr, "usage: runpair N cmdA [args] -- cmdB [args]\n");
        return 2;
    }
    for (int r = -2; r < rounds; ++r) {
        long long wa, ca, wb, cb;
        const int aFirst = (r & 1) == 0;
        int rc;
        if (aFirst)
            rc = run(a, &wa, &ca) | run(b, &wb, &cb);
        else
            rc = run(b, &wb, &cb) | run(a, &wa, &ca);
        if (rc != 0) {
            fprintf(stderr, "runpair: a command failed\n");
            return 1;
        }
        if (r >= 0)
            printf("%lld %lld %lld %lld\n", wa, ca, wb, cb);
    }
    return 0;
}
