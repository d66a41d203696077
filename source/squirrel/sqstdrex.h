#pragma once

#include "squirrel/sqstdstring.h"

#include <bitset>
#include <cstdint>
#include <vector>

// A compiled pattern is a program for a Pike-style matcher: every thread of the match runs
// in lock step over the subject, so matching takes time proportional to the subject length
// times the program length, never recurses and never backtracks exponentially. Alternatives
// and greedy loops are splits whose first target is preferred, which gives the leftmost,
// first-alternative result of a backtracking matcher.

enum class SQRexOp : uint8_t {
    Char,             // consumes the byte c
    Any,              // consumes any byte
    Class,            // consumes a byte of classes[x]
    Bol,              // asserts the beginning of the subject
    Eol,              // asserts the end of the subject
    WordBoundary,     // asserts a word/non-word change
    NotWordBoundary,  // asserts no such change
    Split,            // continues at x (preferred) and at y
    Jump,             // continues at x
    Save,             // records the position in capture slot x
    Match
};

struct SQRexInstruction {
    SQRexOp op;
    unsigned char c;
    int32_t x;
    int32_t y;
};

struct SQRex {
    std::vector<SQRexInstruction> program;
    std::vector<std::bitset<256>> classes;
    SQInteger groups = 1;  // capture groups, the whole match (group 0) included
    std::vector<const SQChar*> captures;  // begin/end pairs of the last successful match

    // Scratch state of the matcher, kept between calls to avoid allocating per match.
    struct Thread {
        int32_t pc;
        int32_t caps;  // offset into the list's capture storage
    };
    struct ThreadList {
        std::vector<Thread> threads;
        std::vector<const SQChar*> caps;
    };
    struct Pending {
        int32_t pc;
        int32_t caps;  // offset into scratchCaps
    };
    ThreadList current, next;
    std::vector<uint32_t> marks;
    uint32_t generation = 0;
    std::vector<Pending> pending;
    std::vector<const SQChar*> scratchCaps;
};

// Builds the program of a pattern; null and a message on a malformed pattern.
SQRex* sqstdRexCompile(const SQChar* pattern, const SQChar** error);

// Finds the first match starting at or after from within [subject, end). Positions before
// from still count for \b; ^ matches only at subject. With whole the match must span the
// range from..end exactly.
bool sqstdRexExecute(SQRex* exp, const SQChar* subject, const SQChar* from, const SQChar* end, bool whole);

// True when c belongs to \w.
bool sqstdRexIsWordChar(unsigned char c);

