/* Starts two commands by turns, ROUNDS times each, and prints the median
   wall time of each in milliseconds and the median of the pairs' ratios:

     paired ROUNDS A... -- B...

   Used by the scripts beside it. */
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
extern char** environ;
static double now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}
static double timed(char** argv, posix_spawn_file_actions_t* quiet) {
  pid_t pid;
  int status;
  const double start = now();
  if (posix_spawn(&pid, argv[0], quiet, NULL, argv, environ) != 0) exit(2);
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) exit(3);
  return now() - start;
}
static int byValue(const void* a, const void* b) {
  const double x = *(const double*)a, y = *(const double*)b;
  return (x > y) - (x < y);
}
static double median(double* v, int n) {
  qsort(v, n, sizeof *v, byValue);
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}
int main(int argc, char** argv) {  /* paired ROUNDS A... -- B... */
  const int rounds = atoi(argv[1]);
  char** a = argv + 2;
  int split = 2;
  while (strcmp(argv[split], "--") != 0) ++split;
  argv[split] = NULL;
  char** b = argv + split + 1;
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", 1 /* O_WRONLY */, 0);
  double* ta = malloc(rounds * sizeof *ta);
  double* tb = malloc(rounds * sizeof *tb);
  double* ratio = malloc(rounds * sizeof *ratio);
  for (int i = 0; i < 10; ++i) timed(a, &quiet), timed(b, &quiet); /* warm the caches */
  for (int i = 0; i < rounds; ++i) {
    /* Each goes first every other time. */
    if (i % 2) {
      ta[i] = timed(a, &quiet);
      tb[i] = timed(b, &quiet);
    } else {
      tb[i] = timed(b, &quiet);
      ta[i] = timed(a, &quiet);
    }
    ratio[i] = tb[i] / ta[i];
  }
  printf("%.3f %.3f %.2f\n", median(ta, rounds), median(tb, rounds), median(ratio, rounds));
  return 0;
}
