// SPDX-License-Identifier: Apache-2.0
// The functions of libpelorin_c, declared for JNA.
import com.sun.jna.Library;
import com.sun.jna.Native;
import com.sun.jna.Pointer;
import com.sun.jna.ptr.PointerByReference;

import java.util.Map;

public interface PelorinC extends Library {
    int PELORIN_OK = 0;

    int pelorin_read(PointerByReference card);
    int pelorin_card_free(Pointer card);
    int pelorin_card_kind(Pointer card, PointerByReference kind);
    int pelorin_card_text(Pointer card, String field, PointerByReference text);
    int pelorin_card_json(Pointer card, PointerByReference json, Pointer size);
    int pelorin_use_readers(String path);
    String pelorin_result_name(int result);
    String pelorin_result_text(int result);

    // PELORIN_LIBRARY names the library file to use (a build tree's
    // build/bin/libpelorin_c.so); otherwise the installed one. The library's
    // texts are UTF-8 whatever the JVM's default charset.
    static PelorinC load() {
        String chosen = System.getenv("PELORIN_LIBRARY");
        return Native.load(chosen != null && !chosen.isEmpty() ? chosen : "libpelorin_c.so.1", PelorinC.class,
                Map.of(Library.OPTION_STRING_ENCODING, "UTF-8"));
    }
}
