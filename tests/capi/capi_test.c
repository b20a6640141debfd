// SPDX-License-Identifier: Apache-2.0
/* The C interface against the simulated reader: the sample cards equal what
 * pelorin-read prints for them, their checks and copies, failures carry their
 * names, bad use is refused, any thread may read, a readers file chosen at
 * run time is read. */
#define _POSIX_C_SOURCE 200809L
#include <pelorin/pelorin_c.h>

#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

static int failures;

#define CHECK(cond, ...)                                        \
    do {                                                        \
        if (!(cond)) {                                          \
            ++failures;                                         \
            fprintf(stderr, "%s:%d: %s: ", __FILE__, __LINE__, #cond); \
            fprintf(stderr, __VA_ARGS__);                       \
            fputc('\n', stderr);                                \
        }                                                       \
    } while (0)

/* Up to capacity - 1 bytes of the stream, zero-terminated; the count read. */
static size_t slurp(FILE* in, char* buffer, size_t capacity)
{
    const size_t size = in != NULL ? fread(buffer, 1, capacity - 1, in) : 0;
    buffer[size] = '\0';
    return size;
}

/* pelorin-read's standard output for the card file in KVSSIM_CARD. */
static void pelorin_read_output(char* buffer, size_t capacity)
{
    FILE* tool = popen("'" PELORIN_READ_PATH "'", "r");
    slurp(tool, buffer, capacity);
    CHECK(pclose(tool) == 0, "pelorin-read failed");
}

/* The string at record.<field> ("birth.year": record.birth.year) in JSON as
 * pelorin-read indents it, into text; 0 when absent or escaped beyond \" and \\. */
static int record_text(const char* json, const char* field, char* text)
{
    const char* at = strstr(json, "\"record\": {");
    char path[256], key[300];
    snprintf(path, sizeof path, "%s", field);
    for (char* part = strtok(path, "."); part != NULL && at != NULL; part = strtok(NULL, ".")) {
        snprintf(key, sizeof key, "\"%s\": ", part);
        at = strstr(at, key);
        at = at != NULL ? at + strlen(key) : NULL;
    }
    if (at == NULL || *at++ != '"')
        return 0;
    for (; *at != '"'; ++at) {
        if (*at == '\0' || (*at == '\\' && at[1] != '"' && at[1] != '\\'))
            return 0;
        *text++ = *at == '\\' ? *++at : *at;
    }
    *text = '\0';
    return 1;
}

static void expect_bytes(const unsigned char* got, size_t size, const char* file, const char* what)
{
    static char expected[65536];
    FILE* in = fopen(file, "rb");
    const size_t expected_size = slurp(in, expected, sizeof expected);
    if (in != NULL)
        fclose(in);
    CHECK(size == expected_size && memcmp(got, expected, size) == 0, "%s differs from %s", what, file);
}

static void check_sample_card(const char* card_name, int id_type, size_t field_count)
{
    char path[1024];
    snprintf(path, sizeof path, "%s/cards/%s.json", PELORIN_FIXTURES_DIR, card_name);
    setenv("KVSSIM_CARD", path, 1);
    pelorin_card* card = NULL;
    int result = pelorin_read(&card);
    CHECK(result == PELORIN_OK, "%s: %s", card_name, pelorin_result_name(result));
    if (result != PELORIN_OK)
        return;

    static char printed[65536];
    pelorin_read_output(printed, sizeof printed);
    const char* json = NULL;
    size_t length = 0;
    int kind = -1;
    CHECK(pelorin_card_json(card, &json, &length) == PELORIN_OK && length == strlen(printed) &&
              strcmp(json, printed) == 0, "%s: JSON differs from pelorin-read's:\n%s", card_name, json);
    CHECK(pelorin_card_id_type(card, &kind) == PELORIN_OK && kind == id_type, "%s: kind %d", card_name, kind);

    size_t index = 0;
    const char* field;
    for (; pelorin_card_field_name(card, index, &field) == PELORIN_OK; ++index) {
        const char* text = "";
        char expected[1024] = "";
        CHECK(pelorin_card_text(card, field, &text) == PELORIN_OK && record_text(printed, field, expected) &&
                  strcmp(text, expected) == 0, "%s: %s is \"%s\", pelorin-read prints \"%s\"", card_name,
              field, text, expected);
    }
    CHECK(index == field_count, "%s: %zu text fields", card_name, index);

    const unsigned char* bytes;
    size_t size;
    snprintf(path, sizeof path, "%s/cards/%s_photo.bmp", PELORIN_FIXTURES_DIR, card_name);
    CHECK(pelorin_card_photo(card, &bytes, &size) == PELORIN_OK, "%s", card_name);
    expect_bytes(bytes, size, path, "photo");
    CHECK(pelorin_card_front(card, &bytes, &size) == PELORIN_OK && size > 3 && bytes[0] == 0xff && bytes[1] == 0xd8,
          "%s: front is not a JPEG file", card_name);
    CHECK(pelorin_card_back(card, &bytes, &size) == PELORIN_OK && size > 3 && bytes[0] == 0xff && bytes[1] == 0xd8,
          "%s: back is not a JPEG file", card_name);

    int fp_type = -1;
    CHECK(pelorin_card_fingerprints(card, &bytes, &size, &fp_type) == PELORIN_OK, "%s", card_name);
    if (id_type == PELORIN_ID_TYPE_CN) {
        snprintf(path, sizeof path, "%s/cards/cn_fp.bin", PELORIN_FIXTURES_DIR);
        CHECK(fp_type == PELORIN_TWO_FP_INFO, "%d", fp_type);
        expect_bytes(bytes, size, path, "fingerprints");
    } else {
        CHECK(fp_type == PELORIN_NO_FP_INFO && size == 0, "%s: %zu fingerprint bytes", card_name, size);
    }
    CHECK(pelorin_card_free(card) == PELORIN_OK, "%s", card_name);
}

static pelorin_card* read_sample(const char* card_name)
{
    char path[1024];
    snprintf(path, sizeof path, "%s/cards/%s.json", PELORIN_FIXTURES_DIR, card_name);
    setenv("KVSSIM_CARD", path, 1);
    pelorin_card* card = NULL;
    const int result = pelorin_read(&card);
    CHECK(result == PELORIN_OK, "%s: %s", card_name, pelorin_result_name(result));
    return card;
}

static int check_of(pelorin_card* card, const char* check, const char* on_date)
{
    int value = -100;
    const int result = pelorin_card_check(card, check, on_date, &value);
    return result == PELORIN_OK ? value : result;
}

/* The checks by name on a given day: a good number, a mistyped one, a card
 * past its validity. */
static void check_checks(void)
{
    pelorin_card* card = read_sample("hmt"); /* valid until 2024-03-01, born 1985-07-23 */
    CHECK(check_of(card, "idNumberValid", NULL) == PELORIN_CHECK_TRUE, "hmt number");
    CHECK(check_of(card, "expired", "2024-03-01") == PELORIN_CHECK_FALSE, "on its last day");
    CHECK(check_of(card, "expired", "2024-03-02") == PELORIN_CHECK_TRUE, "the day after");
    CHECK(check_of(card, "expired", NULL) == PELORIN_CHECK_TRUE, "today");
    CHECK(check_of(card, "ageYears", "2024-07-22") == 38 && check_of(card, "ageYears", "2024-07-23") == 39, "age");
    CHECK(check_of(card, "expired", "2024-3-2") == PELORIN_BAD_ARGUMENT, "date form");
    CHECK(check_of(card, "expiry", NULL) == PELORIN_UNKNOWN_FIELD, "no such check");
    pelorin_card_free(card);

    card = read_sample("cn_mistyped");
    CHECK(check_of(card, "idNumberValid", NULL) == PELORIN_CHECK_FALSE, "mistyped number");
    CHECK(check_of(card, "birthMatchesIdNumber", NULL) == PELORIN_CHECK_TRUE, "its birth date");
    pelorin_card_free(card);
    card = read_sample("f2017");
    CHECK(check_of(card, "idNumberValid", NULL) == PELORIN_CHECK_NONE, "no such number on a 2017 card");
    CHECK(pelorin_card_check(card, "expired", NULL, NULL) == PELORIN_NULL_ARGUMENT, "null value");
    pelorin_card_free(card);
}

/* The copy as a file of its owner's whatever the umask, and as bytes. */
static void check_copy(void)
{
    char dir[] = "/tmp/capi_copy_XXXXXX", path[1024];
    CHECK(mkdtemp(dir) != NULL, "temporary directory");
    snprintf(path, sizeof path, "%s/copy.pdf", dir);
    pelorin_card* card = read_sample("cn");
    const mode_t umask_before = umask(022);
    CHECK(pelorin_card_copy(card, path, "FOR CHECK-IN ONLY") == PELORIN_OK, "copy to a file");
    umask(umask_before);
    struct stat status;
    CHECK(stat(path, &status) == 0 && (status.st_mode & 0777) == 0600, "mode %o", (unsigned)status.st_mode);
    char head[8] = "";
    FILE* pdf = fopen(path, "rb");
    slurp(pdf, head, 5);
    if (pdf != NULL)
        fclose(pdf);
    CHECK(strcmp(head, "%PDF") == 0, "not a PDF file: %s", head);

    const unsigned char* bytes = NULL;
    size_t size = 0;
    CHECK(pelorin_card_copy_bytes(card, "png", NULL, &bytes, &size) == PELORIN_OK && size > 8 &&
              memcmp(bytes, "\x89PNG", 4) == 0, "copy as PNG bytes");
    CHECK(pelorin_card_copy(card, "copy.doc", NULL) == PELORIN_BAD_ARGUMENT, "file of another kind");
    CHECK(pelorin_card_copy_bytes(card, "tiff", NULL, &bytes, &size) == PELORIN_BAD_ARGUMENT, "format");
    CHECK(pelorin_card_copy(card, "/nonexistent-dir/copy.pdf", NULL) == PELORIN_WRITE_FAILED, "unwritable");
    pelorin_card_free(card);
    CHECK(pelorin_card_copy_bytes(card, "pdf", NULL, &bytes, &size) == PELORIN_BAD_CARD, "freed card");
    remove(path);
    rmdir(dir);
}

static void check_failure(const char* scenario, int expected, const char* name)
{
    setenv("KVSSIM_SCENARIO", scenario, 1);
    pelorin_card* card = (pelorin_card*)&card;
    const int result = pelorin_read(&card);
    CHECK(result == expected && card == NULL, "%s: %d", scenario, result);
    CHECK(strcmp(pelorin_result_name(result), name) == 0, "%s", pelorin_result_name(result));
    setenv("KVSSIM_SCENARIO", "", 1);
}

/* A read whose card is checked and freed on the reading thread. */
static void* read_elsewhere(void* result)
{
    pelorin_card* card = NULL;
    const char* id_code = "";
    *(int*)result = pelorin_read(&card);
    if (*(int*)result == PELORIN_OK && (pelorin_card_text(card, "idCode", &id_code) != PELORIN_OK ||
                                        id_code[0] == '\0' || pelorin_card_free(card) != PELORIN_OK))
        *(int*)result = PELORIN_UNKNOWN_ERROR;
    return NULL;
}

/* Any thread may read, threads that come and go and threads at once; a
 * child forked after a read is told so at once. */
static void check_threads_and_fork(void)
{
    enum { kThreads = 3 };
    pthread_t threads[kThreads];
    int results[kThreads];
    for (int i = 0; i < kThreads; ++i) {  /* in turn, each thread gone before the next */
        results[i] = -1;
        pthread_create(&threads[i], NULL, read_elsewhere, &results[i]);
        pthread_join(threads[i], NULL);
        CHECK(results[i] == PELORIN_OK, "thread %d in turn: %s", i, pelorin_result_name(results[i]));
    }
    for (int i = 0; i < kThreads; ++i) {
        results[i] = -1;
        pthread_create(&threads[i], NULL, read_elsewhere, &results[i]);
    }
    for (int i = 0; i < kThreads; ++i) {
        pthread_join(threads[i], NULL);
        CHECK(results[i] == PELORIN_OK, "thread %d at once: %s", i, pelorin_result_name(results[i]));
    }

    /* A child that takes itself for its parent waits for the library's
     * thread, which it lacks, for ever: the alarm ends that wait. */
    enum { kChildSeconds = 5 };
    const pid_t child = fork();
    if (child == 0) {
        alarm(kChildSeconds);
        pelorin_card* card = NULL;
        _exit(pelorin_read(&card) == PELORIN_FORKED && card == NULL ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    CHECK(!WIFSIGNALED(status) || WTERMSIG(status) != SIGALRM, "the read in a forked child still waited after %d s",
          kChildSeconds);
    CHECK(WIFEXITED(status) && WEXITSTATUS(status) == 0, "read in a forked child: status %#x", (unsigned)status);
    CHECK(strcmp(pelorin_result_name(PELORIN_FORKED), "PELORIN_FORKED") == 0, "name");
}

static void check_bad_use(void)
{
    pelorin_card* card = NULL;
    const char* text = NULL;
    size_t size = 0;
    const unsigned char* bytes = NULL;
    CHECK(pelorin_read(NULL) == PELORIN_NULL_ARGUMENT, "read(NULL)");
    CHECK(pelorin_read(&card) == PELORIN_OK, "read");
    CHECK(pelorin_card_text(card, "nickname", &text) == PELORIN_UNKNOWN_FIELD, "unknown field");
    CHECK(pelorin_card_field_name(card, 1000, &text) == PELORIN_UNKNOWN_FIELD, "field index");
    CHECK(pelorin_card_text(card, NULL, &text) == PELORIN_NULL_ARGUMENT, "null field");
    CHECK(pelorin_card_photo(card, &bytes, NULL) == PELORIN_NULL_ARGUMENT, "null size");
    CHECK(pelorin_card_json(NULL, &text, NULL) == PELORIN_NULL_ARGUMENT, "null card");
    int degraded = -1;
    CHECK(pelorin_card_faces_degraded(card, NULL) == PELORIN_NULL_ARGUMENT, "null degraded");
    CHECK(pelorin_card_faces_degraded(card, &degraded) == PELORIN_OK && degraded == 0, "faces degraded: %d", degraded);
    CHECK(pelorin_card_free(card) == PELORIN_OK, "free");
    CHECK(pelorin_card_text(card, "name", &text) == PELORIN_BAD_CARD, "freed card");
    CHECK(pelorin_card_faces_degraded(card, &degraded) == PELORIN_BAD_CARD, "freed card");
    CHECK(pelorin_card_photo(card, &bytes, &size) == PELORIN_BAD_CARD, "freed card");
    CHECK(pelorin_card_free(card) == PELORIN_BAD_CARD, "double free");
    CHECK(pelorin_card_free((pelorin_card*)&text) == PELORIN_BAD_CARD, "made-up card");
    CHECK(pelorin_card_free(NULL) == PELORIN_OK, "free(NULL)");
    CHECK(strcmp(pelorin_result_name(PELORIN_BAD_CARD), "PELORIN_BAD_CARD") == 0, "name");
    CHECK(strcmp(pelorin_result_name(12345), "UNKNOWN") == 0 && *pelorin_result_text(12345) != '\0', "12345");

}

/* A readers file named at run time: its readers are listed and read from;
 * a malformed one is told with its line. */
static void check_readers(void)
{
    char path[64], card_file[1024], line[1100];
    snprintf(path, sizeof path, "/tmp/capi_readers.%ld", (long)getpid());
    snprintf(card_file, sizeof card_file, "%s/cards/hmt.json", PELORIN_FIXTURES_DIR);
    FILE* file = fopen(path, "w");
    CHECK(file != NULL && fprintf(file, "simulated %s\nsimulated /nowhere.json\n", card_file) > 0 &&
              fclose(file) == 0, "%s", path);
    CHECK(pelorin_use_readers(path) == PELORIN_OK, "use");

    pelorin_reader_list* list = NULL;
    const char *kind, *where, *file_path, *problem;
    int present = -1;
    CHECK(pelorin_readers(&list) == PELORIN_OK && list != NULL, "list");
    CHECK(pelorin_reader_list_file(list, &file_path, &problem) == PELORIN_OK && strcmp(file_path, path) == 0 &&
              problem == NULL, "file");
    CHECK(pelorin_reader_list_at(list, 0, &kind, &where, &present) == PELORIN_OK && strcmp(kind, "simulated") == 0 &&
              strcmp(where, card_file) == 0 && present == 1, "first: %s %s %d", kind, where, present);
    CHECK(pelorin_reader_list_at(list, 1, &kind, &where, &present) == PELORIN_OK && present == 0, "second");
    CHECK(pelorin_reader_list_at(list, 2, &kind, &where, &present) == PELORIN_NO_SUCH_READER, "past the last");
    CHECK(pelorin_reader_list_at(list, 0, &kind, NULL, &present) == PELORIN_NULL_ARGUMENT, "null where");
    CHECK(pelorin_reader_list_free(list) == PELORIN_OK && pelorin_reader_list_free(NULL) == PELORIN_OK, "free");

    pelorin_card* card = NULL;
    int id_type = -1;
    CHECK(pelorin_read(&card) == PELORIN_OK && pelorin_card_id_type(card, &id_type) == PELORIN_OK &&
              id_type == PELORIN_ID_TYPE_HMT, "the line's card: %d", id_type);
    pelorin_card_free(card);

    file = fopen(path, "w");
    CHECK(file != NULL && fputs("simulated\nsimulated a b\n", file) >= 0 && fclose(file) == 0, "%s", path);
    snprintf(line, sizeof line, "%s:2: unexpected \"b\" at the end of the line", path);
    CHECK(pelorin_readers(&list) == PELORIN_NO_READERS && pelorin_reader_list_file(list, &file_path, &problem) ==
              PELORIN_OK && problem != NULL && strcmp(problem, line) == 0, "problem: %s", problem);
    CHECK(pelorin_reader_list_at(list, 0, &kind, &where, &present) == PELORIN_NO_SUCH_READER, "no reader");
    pelorin_reader_list_free(list);
    CHECK(pelorin_readers(NULL) == PELORIN_NULL_ARGUMENT, "null list");
    CHECK(pelorin_use_readers(NULL) == PELORIN_OK, "back to the build tree's");
    unlink(path);
}

int main(void)
{
    setenv("KVSSIM_SCENARIO", "", 1);
    check_sample_card("cn", PELORIN_ID_TYPE_CN, 11);
    check_sample_card("hmt", PELORIN_ID_TYPE_HMT, 12);
    check_sample_card("fnew", PELORIN_ID_TYPE_FOREIGN_NEW, 12);
    check_sample_card("f2017", PELORIN_ID_TYPE_FOREIGN_2017, 12);
    check_checks();
    check_copy();
    setenv("KVSSIM_CARD", "", 1);
    check_bad_use();
    check_readers();
    check_threads_and_fork();
    check_failure("no-reader", PELORIN_OPEN_DEV_FAIL, "OPEN_DEV_FAIL");
    check_failure("no-card", PELORIN_READ_NO_DATA, "READ_NO_DATA");
    check_failure("block:9000", PELORIN_READ_DATA_TIMEOUT, "READ_DATA_TIMEOUT");

    /* The worker of the timed-out read still runs; the next read waits for it. */
    pelorin_card* card = NULL;
    CHECK(pelorin_read(&card) == PELORIN_OK && pelorin_card_free(card) == PELORIN_OK, "read after time-out");
    if (failures == 0)
        puts("capi_test: all checks passed");
    return failures == 0 ? 0 : 1;
}
