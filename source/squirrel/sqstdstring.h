#pragma once

#include "squirrel/squirrel.h"

// Registers format, printf, strip, lstrip, rstrip, split, startswith, endswith, escape and the
// regexp class in the table on top of the stack.
SQRESULT sqstd_register_stringlib(HSQUIRRELVM v);

// Formats the string at nformatstringidx with the arguments after it, as printf would ('*'
// widths are not supported). The text stays valid until the next call on the same VM.
SQRESULT sqstd_format(HSQUIRRELVM v, SQInteger nformatstringidx, SQInteger* outlen, SQChar** output);

struct SQRex;

struct SQRexMatch {
    const SQChar* begin;
    SQInteger len;
};

// Compiles a pattern; null with *error set to a message when the pattern is malformed.
SQRex* sqstd_rex_compile(const SQChar* pattern, const SQChar** error);
void sqstd_rex_free(SQRex* exp);
// True when the whole text matches.
SQBool sqstd_rex_match(SQRex* exp, const SQChar* text);
SQBool sqstd_rex_search(SQRex* exp, const SQChar* text, const SQChar** out_begin, const SQChar** out_end);
SQBool sqstd_rex_searchrange(SQRex* exp, const SQChar* text_begin, const SQChar* text_end, const SQChar** out_begin,
                             const SQChar** out_end);
// The number of groups, the whole match (group 0) included.
SQInteger sqstd_rex_getsubexpcount(SQRex* exp);
// Group n of the last match; a group that took no part in it has a null begin.
SQBool sqstd_rex_getsubexp(SQRex* exp, SQInteger n, SQRexMatch* subexp);
