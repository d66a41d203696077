#pragma once

#include "squirrel/squirrel.h"

#include <string>

enum SQToken {
    TK_EOF = 0,
    // single characters use their own code (below 256)
    TK_IDENTIFIER = 258,
    TK_STRING_LITERAL,
    TK_INTEGER,
    TK_FLOAT,
    TK_BASE,
    TK_DELETE,
    TK_EQ,
    TK_NE,
    TK_LE,
    TK_GE,
    TK_SWITCH,
    TK_ARROW,
    TK_AND,
    TK_OR,
    TK_IF,
    TK_ELSE,
    TK_WHILE,
    TK_BREAK,
    TK_FOR,
    TK_DO,
    TK_NULL,
    TK_FOREACH,
    TK_IN,
    TK_NEWSLOT,
    TK_MODULO,
    TK_LOCAL,
    TK_CLONE,
    TK_FUNCTION,
    TK_RETURN,
    TK_TYPEOF,
    TK_UMINUS,
    TK_PLUSEQ,
    TK_MINUSEQ,
    TK_CONTINUE,
    TK_YIELD,
    TK_TRY,
    TK_CATCH,
    TK_THROW,
    TK_SHIFTL,
    TK_SHIFTR,
    TK_RESUME,
    TK_DOUBLE_COLON,
    TK_CASE,
    TK_DEFAULT,
    TK_THIS,
    TK_PLUSPLUS,
    TK_MINUSMINUS,
    TK_3WAYSCMP,
    TK_USHIFTR,
    TK_CLASS,
    TK_EXTENDS,
    TK_CONSTRUCTOR,
    TK_INSTANCEOF,
    TK_VARPARAMS,
    TK___LINE__,
    TK___FILE__,
    TK_TRUE,
    TK_FALSE,
    TK_MULEQ,
    TK_DIVEQ,
    TK_MODEQ,
    TK_ATTR_OPEN,
    TK_ATTR_CLOSE,
    TK_STATIC,
    TK_ENUM,
    TK_CONST,
};

// Turns source text into tokens. Errors are reported through the error text; the token is then TK_EOF.
class SQLexer {
public:
    SQLexer(const SQChar* src, SQInteger size);
    SQInteger Lex();
    const char* TokenText(SQInteger tok) const;

    SQInteger _token = 0;
    SQInteger _prevtoken = -1;
    SQInteger _currentline = 1;
    SQInteger _currentcolumn = 1;
    SQInteger _lasttokenline = 1;
    SQInteger _tokencolumn = 1;
    std::string _svalue;
    SQInteger _nvalue = 0;
    SQFloat _fvalue = 0;
    std::string _error;

private:
    int Cur() const { return _pos < _end ? (unsigned char)*_pos : 0; }
    int Peek() const { return _pos + 1 < _end ? (unsigned char)_pos[1] : 0; }
    void Next();
    SQInteger ReadString(int delimiter, bool verbatim);
    SQInteger ReadNumber();
    SQInteger ReadIdentifier();
    bool SkipBlockComment();
    SQInteger Error(const char* msg);

    const SQChar* _pos;
    const SQChar* _end;
};
