// SPDX-License-Identifier: Apache-2.0
/* A C host's own state around a read: its signal handlers and mask, its
 * locale, its environment and its standard output and error stay as they
 * were, abort() still ends it through its own handler with SIGABRT, and the
 * display variables (an unreachable display, Wayland only, none) do not
 * matter. Each case runs in a child of its own, forked before any read. */
#define _GNU_SOURCE
#include <pelorin/pelorin_c.h>

#include <fcntl.h>
#include <locale.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

static int report_fd; /* the test's own stderr, kept apart from the host's */
static int abort_pipe[2];
static int failures;

#define CHECK(cond, what)                                                   \
    do {                                                                    \
        if (!(cond)) {                                                      \
            ++failures;                                                     \
            dprintf(report_fd, "%s:%d: %s: %s\n", __FILE__, __LINE__, what, #cond); \
        }                                                                   \
    } while (0)

static void host_handler(int sig)
{
    char mark = (char)sig;
    (void)!write(abort_pipe[1], &mark, 1);
}

struct host_state {
    struct sigaction handlers[NSIG];
    sigset_t mask;
    char locale[256];
    char number[16];
    char** environment;
    size_t environment_size;
};

static void take_state(struct host_state* state)
{
    memset(state, 0, sizeof *state);
    for (int sig = 1; sig < NSIG; ++sig)
        sigaction(sig, NULL, &state->handlers[sig]);
    pthread_sigmask(SIG_BLOCK, NULL, &state->mask);
    snprintf(state->locale, sizeof state->locale, "%s", setlocale(LC_ALL, NULL));
    snprintf(state->number, sizeof state->number, "%.2f", 3.25);
    size_t count = 0;
    while (environ[count] != NULL)
        ++count;
    state->environment = calloc(count, sizeof(char*));
    for (size_t i = 0; i < count; ++i)
        state->environment[i] = strdup(environ[i]);
    state->environment_size = count;
}

static void compare_state(const struct host_state* before, const struct host_state* after)
{
    for (int sig = 1; sig < NSIG; ++sig) {
        const struct sigaction *a = &before->handlers[sig], *b = &after->handlers[sig];
        if (a->sa_handler != b->sa_handler || a->sa_flags != b->sa_flags)
            dprintf(report_fd, "signal %d: handler changed\n", sig), ++failures;
    }
    for (int sig = 1; sig < NSIG; ++sig)
        CHECK(sigismember(&before->mask, sig) == sigismember(&after->mask, sig), "signal mask");
    CHECK(strcmp(before->locale, after->locale) == 0, after->locale);
    CHECK(strcmp(before->number, after->number) == 0, after->number);
    CHECK(uselocale((locale_t)0) == LC_GLOBAL_LOCALE, "thread locale");
    CHECK(before->environment_size == after->environment_size, "environment size");
    for (size_t i = 0; i < before->environment_size && i < after->environment_size; ++i)
        CHECK(strcmp(before->environment[i], after->environment[i]) == 0, after->environment[i]);
}

static off_t size_of(int fd)
{
    struct stat info;
    return fstat(fd, &info) == 0 ? info.st_size : -1;
}

/* The host: its own handlers, output into files it checks, two reads. */
static void host(void)
{
    signal(SIGSEGV, host_handler);
    signal(SIGABRT, host_handler);
    char out_name[] = "/tmp/pelorin-host-out-XXXXXX", err_name[] = "/tmp/pelorin-host-err-XXXXXX";
    const int out = mkstemp(out_name), err = mkstemp(err_name);
    unlink(out_name);
    unlink(err_name);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);

    struct host_state before, after;
    take_state(&before);
    for (int i = 0; i < 2; ++i) {
        pelorin_card* card = NULL;
        const int result = pelorin_read(&card);
        CHECK(result == PELORIN_OK, pelorin_result_name(result));
        const char* kind = "";
        pelorin_card_kind(card, &kind);
        CHECK(strcmp(kind, "ID_TYPE_CN") == 0, kind);
        pelorin_card_free(card);
    }
    take_state(&after);
    compare_state(&before, &after);
    CHECK(size_of(out) == 0, "the read wrote to standard output");
    CHECK(size_of(err) == 0, "the read wrote to standard error");
}

/* Runs the host with the display variables given ("-" to unset); true when
 * it passed its checks and abort() ended it through its own handler. */
static int run_case(const char* display, const char* wayland)
{
    if (pipe(abort_pipe) != 0)
        return 0;
    const pid_t child = fork();
    if (child == 0) {
        close(abort_pipe[0]);
        if (strcmp(display, "-") == 0)
            unsetenv("DISPLAY");
        else
            setenv("DISPLAY", display, 1);
        if (strcmp(wayland, "-") == 0)
            unsetenv("WAYLAND_DISPLAY");
        else
            setenv("WAYLAND_DISPLAY", wayland, 1);
        unsetenv("QT_QPA_PLATFORM");
        setenv("LC_ALL", "C.UTF-8", 1); /* what the library would take if it set the locale */
        host();
        if (failures != 0)
            _exit(1);
        abort();
    }
    close(abort_pipe[1]);
    char mark = 0;
    const int marked = read(abort_pipe[0], &mark, 1) == 1 && mark == SIGABRT;
    close(abort_pipe[0]);
    int status = 0;
    waitpid(child, &status, 0);
    const int aborted = WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT;
    if (!aborted || !marked)
        dprintf(report_fd, "DISPLAY=%s WAYLAND_DISPLAY=%s: status %#x, host's abort handler %s\n", display,
                wayland, (unsigned)status, marked ? "ran" : "did not run");
    return aborted && marked;
}

int main(void)
{
    report_fd = dup(STDERR_FILENO);
    setenv("KVSSIM_SCENARIO", "", 1);
    setenv("KVSSIM_CARD", "", 1);
    int passed = 0;
    passed += run_case(":99", "-");
    passed += run_case("-", "wayland-0");
    passed += run_case("-", "-");
    if (passed == 3)
        puts("host_test: all checks passed");
    return passed == 3 ? 0 : 1;
}
