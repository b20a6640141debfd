// SPDX-License-Identifier: Apache-2.0
// Reading a card from Java: Pelorin.read() returns the card or throws
// Pelorin.Failure with the library's result.
import com.sun.jna.Pointer;
import com.sun.jna.ptr.PointerByReference;

public final class Pelorin {
    private static final PelorinC C = PelorinC.load();

    private Pelorin() {}

    // The card's kind ("ID_TYPE_CN", ...), its identity or document number
    // and all of it as JSON, as pelorin-read prints it.
    public record Card(String kind, String idCode, String json) {}

    public static final class Failure extends Exception {
        public final String name;
        public final int value;

        Failure(int value) {
            super(C.pelorin_result_name(value) + " (" + value + "): " + C.pelorin_result_text(value));
            this.name = C.pelorin_result_name(value);
            this.value = value;
        }
    }

    // Names the readers file the following reads open the reader with, for
    // this process (null: back to PELORIN_READERS and the files after it).
    public static void useReaders(String path) throws Failure {
        check(C.pelorin_use_readers(path));
    }

    // Any thread may call it; reads run one at a time.
    public static Card read() throws Failure {
        PointerByReference handle = new PointerByReference();
        check(C.pelorin_read(handle));
        Pointer card = handle.getValue();
        try {
            return new Card(text(ref -> C.pelorin_card_kind(card, ref)),
                    text(ref -> C.pelorin_card_text(card, "idCode", ref)),
                    text(ref -> C.pelorin_card_json(card, ref, null)));
        } finally {
            C.pelorin_card_free(card);
        }
    }

    private interface Accessor {
        int get(PointerByReference text);
    }

    // The text is the card's: copied before the card is freed.
    private static String text(Accessor accessor) throws Failure {
        PointerByReference text = new PointerByReference();
        check(accessor.get(text));
        return text.getValue().getString(0, "UTF-8");
    }

    private static void check(int result) throws Failure {
        if (result != PelorinC.PELORIN_OK)
            throw new Failure(result);
    }
}
