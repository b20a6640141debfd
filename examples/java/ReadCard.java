// SPDX-License-Identifier: Apache-2.0
// Reads the card on the reader and prints its kind, its number and the card
// as JSON; a failure is printed on standard error. An argument names the
// readers file to read the reader with.
public final class ReadCard {
    public static void main(String[] args) {
        try {
            if (args.length > 0)
                Pelorin.useReaders(args[0]);
            Pelorin.Card card = Pelorin.read();
            System.out.println(card.kind() + " " + card.idCode());
            System.out.print(card.json());
        } catch (Pelorin.Failure failure) {
            System.err.println(failure.getMessage());
            System.exit(1);
        }
    }
}
