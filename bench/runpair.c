/* Times commands run in turn: runpair N [--copy SRC DST] cmdA [args] -- cmdB [args] [-- cmdC ...]
   After two untimed warm-up rounds, runs every command N times, each round
   starting one further along the list, so that no command always follows the
   same one, and prints one line per round: "wallA cpuA wallB cpuB ..." in
   microseconds; the commands' own standard output is discarded. Wall time runs from the spawn to the reaping of the child; CPU
   time is the child's user plus system time, which a loaded machine inflates
   far less than the wall time. With --copy, SRC is copied over DST before
   every command, untimed, for programs that rewrite their input. Exits 1 if a
   command fails. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

extern char** environ;

enum { maxCommands = 8 };

static long long micros(const struct timespec* t)
{
    return (long long)t->tv_sec * 1000000 + t->tv_nsec / 1000;
}

static int copyFile(const char* from, const char* to)
{
    FILE* in = fopen(from, "rb");
    if (!in)
        return -1;
    FILE* out = fopen(to, "wb");
    if (!out) {
        fclose(in);
        return -1;
    }
    char buffer[65536];
    size_t n;
    int rc = 0;
    while ((n = fread(buffer, 1, sizeof buffer, in)) > 0)
        if (fwrite(buffer, 1, n, out) != n)
            rc = -1;
    if (ferror(in))
        rc = -1;
    fclose(in);
    if (fclose(out) != 0)
        rc = -1;
    return rc;
}

static int run(char** argv, long long* wall, long long* cpu)
{
    struct timespec t0, t1;
    struct rusage ru;
    pid_t pid;
    int status;
    posix_spawn_file_actions_t actions;
    /* The timings go to standard output; what the commands print does not. */
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    clock_gettime(CLOCK_MONOTONIC, &t0);
    const int spawned = posix_spawn(&pid, argv[0], &actions, NULL, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    if (wait4(pid, &status, 0, &ru) != pid)
        return -1;
    clock_gettime(CLOCK_MONOTONIC, &t1);
    *wall = micros(&t1) - micros(&t0);
    *cpu = (long long)(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1000000 + ru.ru_utime.tv_usec +
           ru.ru_stime.tv_usec;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

static int usage(void)
{
    fprintf(stderr,
            "usage: runpair N [--copy SRC DST] cmdA [args] -- cmdB [args] [-- cmdC [args] ...]\n");
    return 2;
}

int main(int argc, char** argv)
{
    if (argc < 5)
        return usage();
    const int rounds = atoi(argv[1]);
    int first = 2;
    const char* copyFrom = NULL;
    const char* copyTo = NULL;
    if (strcmp(argv[first], "--copy") == 0) {
        if (argc < first + 3)
            return usage();
        copyFrom = argv[first + 1];
        copyTo = argv[first + 2];
        first += 3;
    }
    char** commands[maxCommands];
    int count = 0;
    commands[count++] = argv + first;
    for (int i = first; i < argc; ++i) {
        if (strcmp(argv[i], "--") == 0) {
            if (count == maxCommands)
                return usage();
            argv[i] = NULL;
            commands[count++] = argv + i + 1;
        }
    }
    if (count < 2 || rounds < 1)
        return usage();
    for (int c = 0; c < count; ++c)
        if (!commands[c][0])
            return usage();

    long long wall[maxCommands], cpu[maxCommands];
    for (int r = -2; r < rounds; ++r) {
        const int start = ((r % count) + count) % count;
        for (int k = 0; k < count; ++k) {
            const int c = (start + k) % count;
            if (copyFrom && copyFile(copyFrom, copyTo) != 0) {
                fprintf(stderr, "runpair: cannot copy %s to %s\n", copyFrom, copyTo);
                return 1;
            }
            if (run(commands[c], &wall[c], &cpu[c]) != 0) {
                fprintf(stderr, "runpair: %s failed\n", commands[c][0]);
                return 1;
            }
        }
        if (r >= 0) {
            for (int c = 0; c < count; ++c)
                printf(c ? " %lld %lld" : "%lld %lld", wall[c], cpu[c]);
            printf("\n");
        }
    }
    return 0;
}
