// SPDX-License-Identifier: Apache-2.0
/* Hosts that do what host programs do: fork after reading, cancel a reading
 * thread, run out of file descriptors, format numbers on another thread
 * while the library sets up, end while a timed-out read is still under way,
 * close their standard descriptors.
 * Each case is a child of its own, forked before any read, ending through
 * exit(). The library writes nothing to a case's standard error, nor do the
 * case's own children. */
#define _GNU_SOURCE
#include <pelorin/pelorin_c.h>

#include <fcntl.h>
#include <locale.h>
#include <pthread.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static int report_fd; /* the test's own stderr, apart from each case's */
static int failures;

#define CHECK(cond, ...)                                                       \
    do {                                                                       \
        if (!(cond)) {                                                         \
            ++failures;                                                        \
            dprintf(report_fd, "%s:%d: %s: ", __FILE__, __LINE__, #cond);      \
            dprintf(report_fd, __VA_ARGS__);                                   \
            dprintf(report_fd, "\n");                                          \
        }                                                                      \
    } while (0)

static void pause_ms(long ms)
{
    const struct timespec pause = {ms / 1000, ms % 1000 * 1000000L};
    nanosleep(&pause, NULL);
}

/* Waits at most seconds in all for the children: each one's wait status, or
 * -1 for one that has not ended by then (it is killed). */
static void reap_all(const pid_t* children, int* statuses, int count, int seconds)
{
    int left = count;
    for (int i = 0; i < count; ++i)
        statuses[i] = -1;
    for (long waited = 0; left > 0 && waited < seconds * 1000L; waited += 10) {
        for (int i = 0; i < count; ++i) {
            int status = 0;
            if (statuses[i] == -1 && waitpid(children[i], &status, WNOHANG) == children[i]) {
                statuses[i] = status;
                --left;
            }
        }
        pause_ms(10);
    }
    for (int i = 0; i < count; ++i) {
        if (statuses[i] == -1) {
            kill(children[i], SIGKILL);
            waitpid(children[i], NULL, 0);
        }
    }
}

static int read_and_free(void)
{
    pelorin_card* card = NULL;
    const int result = pelorin_read(&card);
    pelorin_card_free(card);
    return result;
}

/* The worker of a timed-out read goes on in the reader; the process ends
 * meanwhile, quietly. */
static void exit_during_a_late_worker(void)
{
    setenv("KVSSIM_SCENARIO", "block:9000", 1);
    CHECK(read_and_free() == PELORIN_READ_DATA_TIMEOUT, "blocked read");
}

static void* keep_reading(void* stop)
{
    while (!*(volatile int*)stop)
        read_and_free();
    return NULL;
}

static void* keep_freeing(void* stop)
{
    while (!*(volatile int*)stop)
        pelorin_card_free((pelorin_card*)(uintptr_t)-1);  /* no card: takes the card table's lock */
    return NULL;
}

/* Children forked after reads, half of them while a read runs, all end
 * through exit() at once: none waits for the library's threads, which
 * stayed in the parent, nor for a lock one of them held at the fork (each
 * frees a card it inherited while the parent frees cards meanwhile). */
static void fork_after_reads(void)
{
    enum { kChildren = 40 };
    pelorin_card* kept = NULL;
    CHECK(pelorin_read(&kept) == PELORIN_OK, "first read");
    volatile int stop = 0, stopFreeing = 0;
    pthread_t reader, freer;
    pthread_create(&reader, NULL, keep_reading, (void*)&stop);
    pthread_create(&freer, NULL, keep_freeing, (void*)&stopFreeing);
    pid_t children[kChildren];
    for (int i = 0; i < kChildren; ++i) {
        if (i == kChildren / 2) {
            stop = 1;
            pthread_join(reader, NULL);
        }
        children[i] = fork();
        if (children[i] == 0)
            exit(pelorin_card_free(kept) == PELORIN_OK && read_and_free() == PELORIN_FORKED ? 0 : 3);
        pause_ms(15);
    }
    stopFreeing = 1;
    pthread_join(freer, NULL);
    pelorin_card_free(kept);
    int statuses[kChildren], ended = 0;
    reap_all(children, statuses, kChildren, 20);
    for (int i = 0; i < kChildren; ++i)
        ended += statuses[i] != -1 && WIFEXITED(statuses[i]) && WEXITSTATUS(statuses[i]) == 0;
    CHECK(ended == kChildren, "%d of %d children ended normally", ended, kChildren);
}

static void* read_then_meet_a_cancellation_point(void* result)
{
    *(int*)result = read_and_free();
    pthread_testcancel();
    return NULL;
}

/* A thread cancelled during a read finishes it, then is cancelled; the host
 * goes on reading. */
static void cancel_a_reading_thread(void)
{
    setenv("KVSSIM_SCENARIO", "block:1000", 1);
    int result = -1;
    pthread_t reader;
    pthread_create(&reader, NULL, read_then_meet_a_cancellation_point, &result);
    pause_ms(300);
    pthread_cancel(reader);
    void* end = NULL;
    pthread_join(reader, &end);
    CHECK(end == PTHREAD_CANCELED, "the thread was not cancelled");
    CHECK(result == PELORIN_OK, "cancelled read: %s", pelorin_result_name(result));
    setenv("KVSSIM_SCENARIO", "", 1);
    CHECK(read_and_free() == PELORIN_OK, "read after the cancellation");
}

/* With 0 and then 1 descriptor free the first read is refused in words; once
 * descriptors are free again, reads work. */
static void first_read_without_descriptors(void)
{
    enum { kLimit = 64 };
    const struct rlimit limit = {kLimit, kLimit};
    CHECK(setrlimit(RLIMIT_NOFILE, &limit) == 0, "limit");
    int held[kLimit], count = 0, fd;
    while (count < kLimit && (fd = dup(report_fd)) >= 0)
        held[count++] = fd;
    for (int free_ones = 0; free_ones <= 1; ++free_ones) {
        if (free_ones > 0)
            close(held[--count]);
        CHECK(pelorin_init() == PELORIN_NO_DESCRIPTORS, "init with %d free", free_ones);
        const int result = read_and_free();
        CHECK(result == PELORIN_NO_DESCRIPTORS, "read with %d free: %s", free_ones, pelorin_result_name(result));
    }
    CHECK(strcmp(pelorin_result_name(PELORIN_NO_DESCRIPTORS), "PELORIN_NO_DESCRIPTORS") == 0, "name");
    CHECK(strstr(pelorin_result_text(PELORIN_NO_DESCRIPTORS), "descriptors") != NULL, "text");
    while (count > 0)
        close(held[--count]);
    CHECK(read_and_free() == PELORIN_OK, "read with descriptors free again");
}

/* A host that closed its standard descriptors finds them closed after
 * reads: the library's threads and files took none of them. */
static void read_with_standard_descriptors_closed(void)
{
    for (int fd = 0; fd <= 2; ++fd)
        close(fd);
    CHECK(read_and_free() == PELORIN_OK, "first read");
    CHECK(read_and_free() == PELORIN_OK, "second read");
    for (int fd = 0; fd <= 2; ++fd)
        CHECK(fcntl(fd, F_GETFD) == -1, "descriptor %d is open", fd);
}

static volatile int g_stop_formatting;

static void* format_numbers(void* changed)
{
    char text[16];
    while (!g_stop_formatting) {
        snprintf(text, sizeof text, "%.2f", 3.25);
        *(long*)changed += strcmp(text, "3.25") != 0;
    }
    return NULL;
}

/* After pelorin_init() no read changes the process's locale, not even for a
 * moment: another thread keeps formatting numbers in "C" while the
 * environment names a locale with a decimal comma. */
static void format_numbers_during_reads(void)
{
    char dir[] = "/tmp/pelorin-locale-XXXXXX", command[256];
    CHECK(mkdtemp(dir) != NULL, "locale directory");
    snprintf(command, sizeof command, "localedef -i de_DE -f UTF-8 %s/de_DE.UTF-8 >/dev/null 2>&1", dir);
    const int made = system(command);
    setenv("LOCPATH", dir, 1);
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    const locale_t comma = newlocale(LC_ALL_MASK, "de_DE.UTF-8", (locale_t)0);
    CHECK(made == 0 && comma != (locale_t)0, "no decimal comma locale (localedef of the locales package)");
    if (comma != (locale_t)0)
        freelocale(comma);

    CHECK(pelorin_init() == PELORIN_OK, "init");
    long changed = 0;
    pthread_t formatter;
    pthread_create(&formatter, NULL, format_numbers, &changed);
    for (int i = 0; i < 3; ++i)
        CHECK(read_and_free() == PELORIN_OK, "read %d", i);
    g_stop_formatting = 1;
    pthread_join(formatter, NULL);
    CHECK(changed == 0, "3.25 formatted otherwise %ld times", changed);
    CHECK(strcmp(setlocale(LC_ALL, NULL), "C") == 0, "locale now %s", setlocale(LC_ALL, NULL));
    snprintf(command, sizeof command, "rm -rf %s", dir);
    (void)!system(command);
}

struct odd_host {
    const char* name;
    void (*run)(void);
    pid_t child;
    char error_file[64];
};

static void start(struct odd_host* host)
{
    snprintf(host->error_file, sizeof host->error_file, "/tmp/pelorin-odd-host-XXXXXX");
    const int error = mkstemp(host->error_file);
    host->child = fork();
    if (host->child == 0) {
        dup2(error, STDERR_FILENO);
        host->run();
        exit(failures == 0 ? 0 : 1);
    }
    close(error);
}

/* Whether the host ended by itself, passing its checks, with nothing on its
 * standard error. */
static int finish(struct odd_host* host)
{
    int status;
    reap_all(&host->child, &status, 1, 60);
    char written[512] = "";
    FILE* error = fopen(host->error_file, "r");
    if (error != NULL) {
        written[fread(written, 1, sizeof written - 1, error)] = '\0';
        fclose(error);
    }
    unlink(host->error_file);
    const int passed = status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0 && written[0] == '\0';
    if (!passed)
        dprintf(report_fd, "%s: %s, status %#x, standard error: \"%s\"\n", host->name,
                status == -1 ? "hung" : "ended", (unsigned)status, written);
    return passed;
}

int main(void)
{
    report_fd = dup(STDERR_FILENO);
    setenv("KVSSIM_SCENARIO", "", 1);
    setenv("KVSSIM_CARD", "", 1);
    /* The first mostly waits for the reader: it runs alongside the others,
     * which run in turn (under emulation a read may take most of its 8 s). */
    struct odd_host hosts[] = {
        {"exit during a late worker", exit_during_a_late_worker, 0, ""},
        {"fork after reads", fork_after_reads, 0, ""},
        {"cancel a reading thread", cancel_a_reading_thread, 0, ""},
        {"first read without descriptors", first_read_without_descriptors, 0, ""},
        {"format numbers during reads", format_numbers_during_reads, 0, ""},
        {"read with the standard descriptors closed", read_with_standard_descriptors_closed, 0, ""},
    };
    const int count = (int)(sizeof hosts / sizeof hosts[0]);
    int passed = 0;
    start(&hosts[0]);
    for (int i = 1; i < count; ++i) {
        start(&hosts[i]);
        passed += finish(&hosts[i]);
    }
    passed += finish(&hosts[0]);
    if (passed == count)
        puts("odd_hosts_test: all checks passed");
    return passed == count ? 0 : 1;
}
