// pelorin-read --list-readers and --probe: the readers of the readers file,
// whether each is there, and what each one that is there answers to find card.
#pragma once

// Prints one line a reader on standard output; returns the exit status
// (0, or 1 when the readers file cannot be used).
int listReaders(bool probe);
