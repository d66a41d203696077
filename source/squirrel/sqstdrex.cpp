#include "squirrel/sqstdrex.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

bool AtWordBoundary(const SQChar* subject, const SQChar* end, const SQChar* pos) {
    bool before = pos > subject && sqstdRexIsWordChar((unsigned char)pos[-1]);
    bool after = pos < end && sqstdRexIsWordChar((unsigned char)*pos);
    return before != after;
}

struct MatchContext {
    const SQChar* subject;
    const SQChar* end;
};

// Follows the non-consuming instructions from pc at pos and adds every thread that reaches a
// consuming instruction (or Match) to list, in priority order. An explicit stack replaces
// recursion; a pc already reached at this position by a preferred thread is skipped, which
// also ends loops over empty matches.
void AddThread(SQRex& rex, const MatchContext& ctx, SQRex::ThreadList& list, int32_t startPc,
               const SQChar* const* caps, const SQChar* pos) {
    const size_t ncap = rex.captures.size();
    rex.pending.clear();
    rex.scratchCaps.assign(caps, caps + ncap);
    rex.pending.push_back({startPc, 0});
    while (!rex.pending.empty()) {
        SQRex::Pending item = rex.pending.back();
        rex.pending.pop_back();
        if (rex.marks[(size_t)item.pc] == rex.generation) continue;
        rex.marks[(size_t)item.pc] = rex.generation;
        const SQRexInstruction& ins = rex.program[(size_t)item.pc];
        switch (ins.op) {
        case SQRexOp::Jump: rex.pending.push_back({ins.x, item.caps}); break;
        case SQRexOp::Split:
            rex.pending.push_back({ins.y, item.caps});
            rex.pending.push_back({ins.x, item.caps});
            break;
        case SQRexOp::Save: {
            size_t copy = rex.scratchCaps.size();
            rex.scratchCaps.resize(copy + ncap);
            std::copy_n(rex.scratchCaps.begin() + item.caps, ncap, rex.scratchCaps.begin() + (std::ptrdiff_t)copy);
            rex.scratchCaps[copy + (size_t)ins.x] = pos;
            rex.pending.push_back({item.pc + 1, (int32_t)copy});
            break;
        }
        case SQRexOp::Bol:
            if (pos == ctx.subject) rex.pending.push_back({item.pc + 1, item.caps});
            break;
        case SQRexOp::Eol:
            if (pos == ctx.end) rex.pending.push_back({item.pc + 1, item.caps});
            break;
        case SQRexOp::WordBoundary:
            if (AtWordBoundary(ctx.subject, ctx.end, pos)) rex.pending.push_back({item.pc + 1, item.caps});
            break;
        case SQRexOp::NotWordBoundary:
            if (!AtWordBoundary(ctx.subject, ctx.end, pos)) rex.pending.push_back({item.pc + 1, item.caps});
            break;
        default: {
            int32_t offset = (int32_t)list.caps.size();
            list.caps.insert(list.caps.end(), rex.scratchCaps.begin() + item.caps,
                             rex.scratchCaps.begin() + item.caps + (std::ptrdiff_t)ncap);
            list.threads.push_back({item.pc, offset});
            break;
        }
        }
    }
}

bool Consumes(const SQRex& rex, const SQRexInstruction& ins, unsigned char c) {
    switch (ins.op) {
    case SQRexOp::Char: return ins.c == c;
    case SQRexOp::Any: return true;
    case SQRexOp::Class: return rex.classes[(size_t)ins.x][c];
    default: return false;
    }
}

void NextGeneration(SQRex& rex) {
    if (++rex.generation == 0) {
        std::fill(rex.marks.begin(), rex.marks.end(), 0);
        rex.generation = 1;
    }
}

}  // namespace

bool sqstdRexExecute(SQRex* exp, const SQChar* subject, const SQChar* from, const SQChar* end, bool whole) {
    SQRex& rex = *exp;
    MatchContext ctx{subject, end};
    const size_t ncap = rex.captures.size();
    std::vector<const SQChar*> none(ncap, nullptr);
    bool matched = false;
    rex.current.threads.clear();
    rex.current.caps.clear();
    NextGeneration(rex);
    AddThread(rex, ctx, rex.current, 0, none.data(), from);
    for (const SQChar* pos = from;; ++pos) {
        NextGeneration(rex);
        rex.next.threads.clear();
        rex.next.caps.clear();
        for (const SQRex::Thread& t : rex.current.threads) {
            const SQRexInstruction& ins = rex.program[(size_t)t.pc];
            const SQChar* const* caps = rex.current.caps.data() + t.caps;
            if (ins.op == SQRexOp::Match) {
                if (whole && pos != end) continue;
                std::copy_n(caps, ncap, rex.captures.begin());
                matched = true;
                break;  // threads of lower priority cannot give the preferred match
            }
            if (pos < end && Consumes(rex, ins, (unsigned char)*pos)) {
                AddThread(rex, ctx, rex.next, t.pc + 1, caps, pos + 1);
            }
        }
        if (pos == end) break;
        if (!matched && !whole) AddThread(rex, ctx, rex.next, 0, none.data(), pos + 1);
        std::swap(rex.current, rex.next);
        if (rex.current.threads.empty() && (matched || whole)) break;
    }
    return matched;
}

SQRex* sqstd_rex_compile(const SQChar* pattern, const SQChar** error) {
    if (!pattern) {
        if (error) *error = "invalid pattern";
        return nullptr;
    }
    return sqstdRexCompile(pattern, error);
}

void sqstd_rex_free(SQRex* exp) { delete exp; }

SQBool sqstd_rex_match(SQRex* exp, const SQChar* text) {
    return sqstdRexExecute(exp, text, text, text + strlen(text), true) ? SQTrue : SQFalse;
}

SQBool sqstd_rex_search(SQRex* exp, const SQChar* text, const SQChar** out_begin, const SQChar** out_end) {
    return sqstd_rex_searchrange(exp, text, text + strlen(text), out_begin, out_end);
}

SQBool sqstd_rex_searchrange(SQRex* exp, const SQChar* text_begin, const SQChar* text_end, const SQChar** out_begin,
                             const SQChar** out_end) {
    if (!sqstdRexExecute(exp, text_begin, text_begin, text_end, false)) return SQFalse;
    if (out_begin) *out_begin = exp->captures[0];
    if (out_end) *out_end = exp->captures[1];
    return SQTrue;
}

SQInteger sqstd_rex_getsubexpcount(SQRex* exp) { return exp->groups; }

SQBool sqstd_rex_getsubexp(SQRex* exp, SQInteger n, SQRexMatch* subexp) {
    if (n < 0 || n >= exp->groups) return SQFalse;
    const SQChar* begin = exp->captures[(size_t)n * 2];
    const SQChar* end = exp->captures[(size_t)n * 2 + 1];
    subexp->begin = begin;
    subexp->len = begin && end ? (SQInteger)(end - begin) : 0;
    return SQTrue;
}
