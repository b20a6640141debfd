/* The C interface against the simulated reader: the sample cards equal what
 * pelorin-read prints for them, failures carry their names, bad use is refused. */
#define _POSIX_C_SOURCE 200809L
#include <pelorin/pelorin_c.h>

#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
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

static char* read_stream(FILE* in, size_t* size)
{
    size_t used = 0, capacity = 1 << 16;
    char* data = malloc(capacity + 1);
    size_t got;
    while ((got = fread(data + used, 1, capacity - used, in)) > 0) {
        used += got;
        if (used == capacity)
            data = realloc(data, (capacity *= 2) + 1);
    }
    data[used] = '\0';
    *size = used;
    return data;
}

static char* read_file(const char* name, size_t* size)
{
    FILE* in = fopen(name, "rb");
    if (in == NULL)
        return NULL;
    char* data = read_stream(in, size);
    fclose(in);
    return data;
}

/* pelorin-read's standard output for the card file in KVSSIM_CARD. */
static char* pelorin_read_output(const char* arguments)
{
    char command[4096];
    snprintf(command, sizeof command, "'%s' %s", PELORIN_READ_PATH, arguments);
    FILE* tool = popen(command, "r");
    size_t size;
    char* out = read_stream(tool, &size);
    CHECK(pclose(tool) == 0, "%s", command);
    return out;
}

/* The string at record.<field> ("birth.year": record.birth.year) in JSON as
 * pelorin-read indents it; NULL when absent or escaped beyond \" and \\. */
static char* record_text(const char* json, const char* field)
{
    const char* at = strstr(json, "\"record\": {");
    char path[256], key[300];
    snprintf(path, sizeof path, "%s", field);
    for (char* part = strtok(path, "."); part != NULL && at != NULL; part = strtok(NULL, ".")) {
        snprintf(key, sizeof key, "\"%s\": ", part);
        at = strstr(at, key);
        if (at != NULL)
            at += strlen(key);
    }
    if (at == NULL || *at++ != '"')
        return NULL;
    char* text = malloc(strlen(at) + 1);
    size_t n = 0;
    for (; *at != '"'; ++at) {
        if (*at == '\0' || (*at == '\\' && at[1] != '"' && at[1] != '\\'))
            return free(text), NULL;
        text[n++] = *at == '\\' ? *++at : *at;
    }
    text[n] = '\0';
    return text;
}

static void expect_bytes(const unsigned char* got, size_t size, const char* file, const char* what)
{
    size_t expected_size = 0;
    char* expected = read_file(file, &expected_size);
    CHECK(expected != NULL && size == expected_size && memcmp(got, expected, size) == 0,
          "%s differs from %s", what, file);
    free(expected);
}

static void check_sample_card(const char* card_name, int id_type, size_t field_count)
{
    char path[1024], dir[1024], arguments[4096];
    snprintf(path, sizeof path, "%s/%s.json", CARD_FIXTURES_DIR, card_name);
    setenv("KVSSIM_CARD", path, 1);
    pelorin_card* card = NULL;
    int result = pelorin_read(&card);
    CHECK(result == PELORIN_OK, "%s: %s", card_name, pelorin_result_name(result));
    if (result != PELORIN_OK)
        return;

    char* printed = pelorin_read_output("");
    const char* json = NULL;
    size_t length = 0;
    int kind = -1;
    CHECK(pelorin_card_json(card, &json, &length) == PELORIN_OK && length == strlen(printed) &&
              strcmp(json, printed) == 0, "%s: JSON differs from pelorin-read's:\n%s", card_name, json);
    CHECK(pelorin_card_id_type(card, &kind) == PELORIN_OK && kind == id_type, "%s: kind %d", card_name, kind);

    size_t index = 0;
    const char* field;
    for (; pelorin_card_field_name(card, index, &field) == PELORIN_OK; ++index) {
        const char* text = NULL;
        char* expected = record_text(printed, field);
        CHECK(pelorin_card_text(card, field, &text) == PELORIN_OK && expected != NULL &&
                  strcmp(text, expected) == 0, "%s: %s is \"%s\", pelorin-read prints \"%s\"", card_name,
              field, text, expected);
        free(expected);
    }
    CHECK(index == field_count, "%s: %zu text fields", card_name, index);

    /* The photo and the faces as pelorin-read writes them. */
    snprintf(dir, sizeof dir, "/tmp/capi_test_%d", (int)getpid());
    snprintf(arguments, sizeof arguments, "--photo %s.bmp --front %s_front.jpg --back %s_back.jpg >/dev/null",
             dir, dir, dir);
    free(pelorin_read_output(arguments));
    const unsigned char* bytes;
    size_t size;
    const struct { int (*get)(const pelorin_card*, const unsigned char**, size_t*); const char* suffix; } parts[] = {
        {pelorin_card_photo, ".bmp"}, {pelorin_card_front, "_front.jpg"}, {pelorin_card_back, "_back.jpg"}};
    for (size_t i = 0; i < sizeof parts / sizeof parts[0]; ++i) {
        snprintf(path, sizeof path, "%s%s", dir, parts[i].suffix);
        CHECK(parts[i].get(card, &bytes, &size) == PELORIN_OK, "%s", parts[i].suffix);
        expect_bytes(bytes, size, path, parts[i].suffix);
        remove(path);
    }

    int fp_type = -1;
    CHECK(pelorin_card_fingerprints(card, &bytes, &size, &fp_type) == PELORIN_OK, "%s", card_name);
    if (id_type == PELORIN_ID_TYPE_CN) {
        snprintf(path, sizeof path, "%s/cn_fp.bin", CARD_FIXTURES_DIR);
        CHECK(fp_type == PELORIN_TWO_FP_INFO, "%d", fp_type);
        expect_bytes(bytes, size, path, "fingerprints");
    } else {
        CHECK(fp_type == PELORIN_NO_FP_INFO && size == 0, "%s: %zu fingerprint bytes", card_name, size);
    }
    free(printed);
    CHECK(pelorin_card_free(card) == PELORIN_OK, "%s", card_name);
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

static void* read_elsewhere(void* result)
{
    pelorin_card* card = NULL;
    *(int*)result = pelorin_read(&card);
    return NULL;
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
    CHECK(pelorin_card_free(card) == PELORIN_OK, "free");
    CHECK(pelorin_card_text(card, "name", &text) == PELORIN_BAD_CARD, "freed card");
    CHECK(pelorin_card_photo(card, &bytes, &size) == PELORIN_BAD_CARD, "freed card");
    CHECK(pelorin_card_free(card) == PELORIN_BAD_CARD, "double free");
    CHECK(pelorin_card_free((pelorin_card*)&text) == PELORIN_BAD_CARD, "made-up card");
    CHECK(pelorin_card_free(NULL) == PELORIN_OK, "free(NULL)");
    CHECK(strcmp(pelorin_result_name(PELORIN_BAD_CARD), "PELORIN_BAD_CARD") == 0, "name");
    CHECK(strcmp(pelorin_result_name(12345), "UNKNOWN") == 0 && *pelorin_result_text(12345) != '\0', "12345");

    int result = 0;
    pthread_t thread;
    pthread_create(&thread, NULL, read_elsewhere, &result);
    pthread_join(thread, NULL);
    CHECK(result == PELORIN_WRONG_THREAD, "read from another thread: %d", result);
}

int main(void)
{
    setenv("KVSSIM_SCENARIO", "", 1);
    check_sample_card("cn", PELORIN_ID_TYPE_CN, 11);
    check_sample_card("hmt", PELORIN_ID_TYPE_HMT, 12);
    check_sample_card("fnew", PELORIN_ID_TYPE_FOREIGN_NEW, 11);
    check_sample_card("f2017", PELORIN_ID_TYPE_FOREIGN_2017, 11);
    check_bad_use();
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
