// SPDX-License-Identifier: Apache-2.0
/* Reads the card on the reader once and prints its kind, the holder's
 * identity number and whether the card has expired. Built against the
 * installed C interface alone (see Makefile, CMakeLists.txt). */
#include <pelorin/pelorin_c.h>
#include <stdio.h>

int main(void)
{
    pelorin_card* card;
    int result = pelorin_read(&card);
    if (result != PELORIN_OK) {
        fprintf(stderr, "%s: %s\n", pelorin_result_name(result), pelorin_result_text(result));
        return 1;
    }
    const char *kind, *id_code;
    int expired;
    pelorin_card_kind(card, &kind);
    pelorin_card_text(card, "idCode", &id_code);
    pelorin_card_check(card, "expired", NULL, &expired); /* today */
    printf("%s %s%s\n", kind, id_code, expired == PELORIN_CHECK_TRUE ? " (expired)" : "");
    pelorin_card_free(card);
    return 0;
}
