// Zip codes outside 77000..77598, which the zip index cannot hold: one
// entry per zip code met, each beginning with its int32_t zip code and
// followed by the counts its user lays out (the tally keeps a base and a
// count, the whole-survey pass a count per answer of every question).
// Entries grow with the data, so no zip code is dropped; when memory runs
// out the lookup says so and the count that asked is refused whole.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct OutsideZips {
    size_t entry_bytes;  // set before the first lookup, at least 4
    unsigned char *entries;
    int32_t used;
    int32_t room;
    // Open addressing over 2 * room slots: entry position + 1, 0 for free.
    int32_t *slots;
};

// The entry of `zip_code`, made zeroed but for its code when it is new;
// null when no memory is left for a new one.
void *outside_zip_entry(OutsideZips *zips, int32_t zip_code);
// The entry at `position` (0..used-1).
void *outside_zip_at(const OutsideZips *zips, int32_t position);
// Puts the entries in numeric order of their zip codes.
void sort_outside_zips(OutsideZips *zips);
// Forgets every entry; the memory is kept for the next count.
void empty_outside_zips(OutsideZips *zips);

// Test seam: how many zip codes any set holds before it finds no memory
// for another; 0 for no limit but memory's.
void limit_outside_zips(int32_t limit);
