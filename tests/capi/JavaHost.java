// SPDX-License-Identifier: Apache-2.0
// The Java example's binding in a real JVM: a thousand reads in one process,
// a read from a second thread, a failure as a result, and the JVM's own
// SIGSEGV handling (compiled null checks) still working after the reads.
import java.nio.file.Files;
import java.nio.file.Path;

public final class JavaHost {
    static int failures = 0;

    static void check(boolean condition, String what) {
        if (!condition) {
            ++failures;
            System.err.println("FAILED: " + what);
        }
    }

    static void checkCard(Pelorin.Card card, String where) {
        check(card.kind().equals("ID_TYPE_CN") && card.idCode().length() == 18 && card.json().startsWith("{"),
                where + ": " + card);
    }

    // Compiled hot, this leaves the null check to a SIGSEGV the JVM handles.
    static int length(String text) {
        return text.length();
    }

    public static void main(String[] args) throws Exception {
        final int reads = 1000;
        for (int i = 0; i < reads; ++i)
            checkCard(Pelorin.read(), "read " + i);

        Pelorin.Card[] fromThread = new Pelorin.Card[1];
        Thread second = new Thread(() -> {
            try {
                fromThread[0] = Pelorin.read();
            } catch (Pelorin.Failure failure) {
                check(false, "second thread: " + failure.getMessage());
            }
        });
        second.start();
        second.join();
        if (fromThread[0] != null)
            checkCard(fromThread[0], "second thread");

        Path scenario = Path.of(System.getenv("KVSSIM_SCENARIO_FILE"));
        Files.writeString(scenario, "no-card");
        try {
            Pelorin.read();
            check(false, "a read without a card returned a card");
        } catch (Pelorin.Failure failure) {
            check(failure.name.equals("READ_NO_DATA") && failure.value == -24, failure.getMessage());
        }
        Files.writeString(scenario, "");

        long sum = 0;
        for (int i = 0; i < 200_000; ++i)
            sum += length("warm");
        int nullPointers = 0;
        for (int i = 0; i < 1000; ++i) {
            try {
                sum += length(null);
            } catch (NullPointerException expected) {
                ++nullPointers;
            }
        }
        check(nullPointers == 1000 && sum == 800_000, "null checks: " + nullPointers);

        System.out.println("java host: " + reads + " cards, one from a second thread, READ_NO_DATA as a result"
                + (failures == 0 ? "" : ", " + failures + " failures"));
        System.exit(failures == 0 ? 0 : 1);
    }
}
