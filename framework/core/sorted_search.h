// Binary search with the rounded-up midpoint the framework uses for its sorted tables
// (command table, window list, text table). Keys compare as unsigned 16-bit numbers.
#pragma once
#include <cstdint>

// Midpoint (lo + hi) / 2 rounded up.
inline int RoundedMidpoint(int lo, int hi) { return (int)((lo + hi) * 0.5 + 0.5); }

// Index of key in a table of count elements sorted by keyAt(i), or -1.
template <typename KeyAt>
int SortedFind(int count, uint16_t key, KeyAt keyAt) {
    if (count <= 0) return -1;
    int lo = 0, hi = count - 1;
    for (;;) {
        int mid = RoundedMidpoint(lo, hi);
        uint16_t k = keyAt(mid);
        if (k == key) return mid;
        if (key < k) hi = mid; else lo = mid;
        if (hi - lo < 2) {
            if (keyAt(lo) == key) return lo;
            if (keyAt(hi) == key) return hi;
            return -1;
        }
    }
}

// Position at which key is inserted to keep the table sorted (equal keys go before hi's).
template <typename KeyAt>
int SortedInsertPosition(int count, uint16_t key, KeyAt keyAt) {
    if (count <= 0) return 0;
    int lo = 0, hi = count - 1;
    while (hi - lo >= 2) {
        int mid = RoundedMidpoint(lo, hi);
        if (key < keyAt(mid)) hi = mid; else lo = mid;
    }
    if (key < keyAt(lo)) return lo;
    if (key > keyAt(hi)) return hi + 1;
    return hi;
}
