/* Starts a program a number of times, each time in a fresh empty folder with the given file as
 * its standard input and /dev/null as its output, and prints one line per run: wall seconds
 * from fork to reaping, peak resident kilobytes, processor seconds. A small launcher of its own
 * keeps the figures clean: a child forked from a large interpreter would count the
 * interpreter's pages in its peak resident memory. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static int removeEntry(const char* path, const struct stat* st, int flag, struct FTW* ftw) {
  (void)st;
  (void)flag;
  (void)ftw;
  return remove(path);
}

static double now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: %s runs input-file program [arguments]\n", argv[0]);
    return 2;
  }
  const int runs = atoi(argv[1]);
  for (int run = 0; run < runs; ++run) {
    char folder[] = "/tmp/sumquill_bench_XXXXXX";
    if (!mkdtemp(folder)) return perror("mkdtemp"), 1;
    const int input = open(argv[2], O_RDONLY);
    const int null = open("/dev/null", O_WRONLY);
    if (input < 0 || null < 0) return perror("open"), 1;
    const double started = now();
    const pid_t pid = fork();
    if (pid == 0) {
      if (chdir(folder) != 0) _exit(126);
      dup2(input, 0);
      dup2(null, 1);
      dup2(null, 2);
      execv(argv[3], argv + 3);
      _exit(127);
    }
    int status = 0;
    struct rusage usage;
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return perror("fork/wait"), 1;
    const double seconds = now() - started;
    close(input);
    close(null);
    nftw(folder, removeEntry, 16, FTW_DEPTH | FTW_PHYS);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      fprintf(stderr, "%s ended with status %d\n", argv[3], status);
      return 1;
    }
    const double cpu = (double)usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 +
                       (double)usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
    printf("%.9f %ld %.6f\n", seconds, usage.ru_maxrss, cpu);
  }
  return 0;
}
