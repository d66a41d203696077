#include "squirrel/sqlexer.h"

#include "squirrel/sqobject.h"

#include <charconv>
#include <cstring>
#include <unordered_map>

static const std::unordered_map<std::string, SQInteger>& Keywords() {
    static const std::unordered_map<std::string, SQInteger> kKeywords = {
        {"while", TK_WHILE},       {"do", TK_DO},         {"if", TK_IF},
        {"else", TK_ELSE},         {"break", TK_BREAK},   {"continue", TK_CONTINUE},
        {"return", TK_RETURN},     {"null", TK_NULL},     {"function", TK_FUNCTION},
        {"local", TK_LOCAL},       {"for", TK_FOR},       {"foreach", TK_FOREACH},
        {"in", TK_IN},             {"typeof", TK_TYPEOF}, {"base", TK_BASE},
        {"delete", TK_DELETE},     {"try", TK_TRY},       {"catch", TK_CATCH},
        {"throw", TK_THROW},       {"clone", TK_CLONE},   {"yield", TK_YIELD},
        {"resume", TK_RESUME},     {"switch", TK_SWITCH}, {"case", TK_CASE},
        {"default", TK_DEFAULT},   {"this", TK_THIS},     {"class", TK_CLASS},
        {"extends", TK_EXTENDS},   {"constructor", TK_CONSTRUCTOR},
        {"instanceof", TK_INSTANCEOF},                    {"true", TK_TRUE},
        {"false", TK_FALSE},       {"static", TK_STATIC}, {"enum", TK_ENUM},
        {"const", TK_CONST},       {"__LINE__", TK___LINE__},
        {"__FILE__", TK___FILE__}};
    return kKeywords;
}

SQLexer::SQLexer(const SQChar* src, SQInteger size) : _pos(src), _end(src + size) {
    if (size >= 3 && (unsigned char)src[0] == 0xEF && (unsigned char)src[1] == 0xBB && (unsigned char)src[2] == 0xBF) {
        _pos += 3;
    }
}

void SQLexer::Next() {
    if (_pos < _end) {
        ++_pos;
        ++_currentcolumn;
    }
}

SQInteger SQLexer::Error(const char* msg) {
    if (_error.empty()) _error = msg;
    _token = TK_EOF;
    return TK_EOF;
}

const char* SQLexer::TokenText(SQInteger tok) const {
    for (const auto& kw : Keywords()) {
        if (kw.second == tok) return kw.first.c_str();
    }
    switch (tok) {
    case TK_IDENTIFIER: return "IDENTIFIER";
    case TK_STRING_LITERAL: return "STRING_LITERAL";
    case TK_INTEGER: return "INTEGER";
    case TK_FLOAT: return "FLOAT";
    case TK_EOF: return "end of script";
    default: return nullptr;
    }
}

bool SQLexer::SkipBlockComment() {
    for (;;) {
        int c = Cur();
        if (c == 0 && _pos >= _end) {
            Error("missing \"*/\" in comment");
            return false;
        }
        if (c == '*' && Peek() == '/') {
            Next();
            Next();
            return true;
        }
        if (c == '\n') {
            ++_currentline;
            _currentcolumn = 0;
        }
        Next();
    }
}

SQInteger SQLexer::Lex() {
    _lasttokenline = _currentline;
    _prevtoken = _token;
    for (;;) {
        _tokencolumn = _currentcolumn;
        if (_pos >= _end) return _token = TK_EOF;
        int c = Cur();
        switch (c) {
        case '\n':
            ++_currentline;
            Next();
            _currentcolumn = 1;
            continue;
        case ' ':
        case '\t':
        case '\r':
        case '\v':
        case '\f': Next(); continue;
        case '#':
            while (_pos < _end && Cur() != '\n') Next();
            continue;
        case '/':
            Next();
            if (Cur() == '*') {
                Next();
                if (!SkipBlockComment()) return TK_EOF;
                continue;
            }
            if (Cur() == '/') {
                while (_pos < _end && Cur() != '\n') Next();
                continue;
            }
            if (Cur() == '=') {
                Next();
                return _token = TK_DIVEQ;
            }
            if (Cur() == '>') {
                Next();
                return _token = TK_ATTR_CLOSE;
            }
            return _token = '/';
        case '=':
            Next();
            if (Cur() == '=') {
                Next();
                return _token = TK_EQ;
            }
            return _token = '=';
        case '<':
            Next();
            if (Cur() == '=') {
                Next();
                if (Cur() == '>') {
                    Next();
                    return _token = TK_3WAYSCMP;
                }
                return _token = TK_LE;
            }
            if (Cur() == '-') {
                Next();
                return _token = TK_NEWSLOT;
            }
            if (Cur() == '<') {
                Next();
                return _token = TK_SHIFTL;
            }
            if (Cur() == '/') {
                Next();
                return _token = TK_ATTR_OPEN;
            }
            return _token = '<';
        case '>':
            Next();
            if (Cur() == '=') {
                Next();
                return _token = TK_GE;
            }
            if (Cur() == '>') {
                Next();
                if (Cur() == '>') {
                    Next();
                    return _token = TK_USHIFTR;
                }
                return _token = TK_SHIFTR;
            }
            return _token = '>';
        case '!':
            Next();
            if (Cur() == '=') {
                Next();
                return _token = TK_NE;
            }
            return _token = '!';
        case '@':
            Next();
            if (Cur() == '"') return _token = ReadString('"', true);
            return _token = '@';
        case '"':
        case '\'': return _token = ReadString(c, false);
        case '{':
        case '}':
        case '(':
        case ')':
        case '[':
        case ']':
        case ';':
        case ',':
        case '?':
        case '^':
        case '~': Next(); return _token = c;
        case '.':
            Next();
            if (Cur() == '.' && Peek() == '.') {
                Next();
                Next();
                return _token = TK_VARPARAMS;
            }
            if (Cur() == '.') return Error("invalid token '..'");
            return _token = '.';
        case '&':
            Next();
            if (Cur() == '&') {
                Next();
                return _token = TK_AND;
            }
            return _token = '&';
        case '|':
            Next();
            if (Cur() == '|') {
                Next();
                return _token = TK_OR;
            }
            return _token = '|';
        case ':':
            Next();
            if (Cur() == ':') {
                Next();
                return _token = TK_DOUBLE_COLON;
            }
            return _token = ':';
        case '*':
            Next();
            if (Cur() == '=') {
                Next();
                return _token = TK_MULEQ;
            }
            return _token = '*';
        case '%':
            Next();
            if (Cur() == '=') {
                Next();
                return _token = TK_MODEQ;
            }
            return _token = '%';
        case '-':
            Next();
            if (Cur() == '=') {
                Next();
                return _token = TK_MINUSEQ;
            }
            if (Cur() == '-') {
                Next();
                return _token = TK_MINUSMINUS;
            }
            return _token = '-';
        case '+':
            Next();
            if (Cur() == '=') {
                Next();
                return _token = TK_PLUSEQ;
            }
            if (Cur() == '+') {
                Next();
                return _token = TK_PLUSPLUS;
            }
            return _token = '+';
        default:
            if (c >= '0' && c <= '9') return _token = ReadNumber();
            if (isalpha(c) || c == '_') return _token = ReadIdentifier();
            return Error("unexpected character");
        }
    }
}

SQInteger SQLexer::ReadIdentifier() {
    const SQChar* start = _pos;
    while (isalnum(Cur()) || Cur() == '_') Next();
    _svalue.assign(start, (size_t)(_pos - start));
    auto it = Keywords().find(_svalue);
    return it != Keywords().end() ? it->second : TK_IDENTIFIER;
}

static int HexValue(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

SQInteger SQLexer::ReadString(int delimiter, bool verbatim) {
    _svalue.clear();
    Next();
    for (;;) {
        if (_pos >= _end) return Error("unfinished string");
        int c = Cur();
        if (c == delimiter) {
            Next();
            if (verbatim && Cur() == delimiter) {
                _svalue += (char)c;
                Next();
                continue;
            }
            break;
        }
        if (c == '\n') {
            if (!verbatim) return Error("newline in a constant");
            ++_currentline;
        }
        if (c == '\\' && !verbatim) {
            Next();
            int e = Cur();
            Next();
            switch (e) {
            case 't': _svalue += '\t'; break;
            case 'a': _svalue += '\a'; break;
            case 'b': _svalue += '\b'; break;
            case 'n': _svalue += '\n'; break;
            case 'r': _svalue += '\r'; break;
            case 'v': _svalue += '\v'; break;
            case 'f': _svalue += '\f'; break;
            case '0': _svalue += '\0'; break;
            case '\\': _svalue += '\\'; break;
            case '"': _svalue += '"'; break;
            case '\'': _svalue += '\''; break;
            case 'x': {
                int value = 0, n = 0;
                while (n < 4 && HexValue(Cur()) >= 0) {
                    value = value * 16 + HexValue(Cur());
                    Next();
                    ++n;
                }
                if (n == 0) return Error("hexadecimal number expected");
                _svalue += (char)value;
                break;
            }
            default: return Error("unrecognised escaper char");
            }
            continue;
        }
        _svalue += (char)c;
        Next();
    }
    if (delimiter == '\'') {
        if (_svalue.empty()) return Error("empty constant");
        if (_svalue.size() > 1) return Error("constant too long");
        _nvalue = (unsigned char)_svalue[0];
        return TK_INTEGER;
    }
    return TK_STRING_LITERAL;
}

SQInteger SQLexer::ReadNumber() {
    const SQChar* start = _pos;
    if (Cur() == '0' && (Peek() == 'x' || Peek() == 'X')) {
        Next();
        Next();
        uint32_t value = 0;
        int digits = 0;
        while (HexValue(Cur()) >= 0) {
            value = value * 16 + (uint32_t)HexValue(Cur());
            Next();
            ++digits;
        }
        if (digits == 0 || digits > 8) return Error(digits ? "too many digits for an Hex number" : "malformed number");
        _nvalue = (SQInteger)value;
        return TK_INTEGER;
    }
    bool isFloat = false;
    // 08 and 09 have no octal digit after the 0: they read as decimal numbers.
    bool octal = Cur() == '0' && Peek() >= '0' && Peek() <= '7';
    while (isdigit(Cur())) Next();
    if (Cur() == '.' && Peek() != '.') {
        isFloat = true;
        Next();
        while (isdigit(Cur())) Next();
    }
    if (Cur() == 'e' || Cur() == 'E') {
        isFloat = true;
        Next();
        if (Cur() == '+' || Cur() == '-') Next();
        if (!isdigit(Cur())) return Error("exponent expected");
        while (isdigit(Cur())) Next();
    }
    if (isFloat) {
        float f = 0;
        bool ok = false;
        sqParseFloat(start, _pos, f, ok);
        _fvalue = f;
        return TK_FLOAT;
    }
    uint32_t value = 0;
    for (const SQChar* p = start; p < _pos; ++p) {
        if (octal) {
            if (*p > '7') return Error("invalid octal number");
            value = value * 8 + (uint32_t)(*p - '0');
        } else {
            value = value * 10 + (uint32_t)(*p - '0');
        }
    }
    _nvalue = (SQInteger)value;
    return TK_INTEGER;
}
