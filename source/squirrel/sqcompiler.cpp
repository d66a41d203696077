#include "squirrel/sqcompiler_local.h"

#include "squirrel/sqstate.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/sqvm.h"

#include <cstring>

SQCompiler::SQCompiler(SQVM* v, const SQChar* src, SQInteger size, const SQChar* sourcename, bool lineinfo)
    : _ss(v->_ss), _lex(src, size), _lineinfo(lineinfo) {
    _sourcename = SQObjectPtr(_ss->String(sourcename ? sourcename : ""));
}

bool SQCompiler::Compile(SQCompileResult& result) {
    try {
        SQFuncState fs(_ss, nullptr);
        _fs = &fs;
        fs._proto->_name = SQObjectPtr(_ss->String("main"));
        fs._proto->_sourcename = _sourcename;
        fs.PushLocal(SQObjectPtr(_ss->String("this")));
        fs._proto->_parameters.push_back(SQObjectPtr(_ss->String("this")));
        fs.PushLocal(SQObjectPtr(_ss->String("vargv")));
        fs._proto->_varparams = true;
        Lex();
        while (_lex._token != TK_EOF) {
            Statement();
            if (_lex._prevtoken != '}' && _lex._prevtoken != ';') OptionalSemicolon();
        }
        fs.SetLine(_lex._currentline);
        fs.Emit(OP_RETURN, 0, 0);
        result.function = SQObjectPtr(fs.Finish());
        return true;
    } catch (const SQCompileFailure&) {
        result.error = _error;
        result.line = _errorLine;
        result.column = _errorColumn;
        return false;
    }
}

void SQCompiler::Error(const std::string& msg) {
    if (_error.empty()) {
        _error = msg;
        _errorLine = _lex._currentline;
        _errorColumn = _lex._tokencolumn;
    }
    throw SQCompileFailure();
}

void SQCompiler::Lex() {
    _lex.Lex();
    if (!_lex._error.empty()) Error(_lex._error);
}

std::string SQCompiler::TokenName(SQInteger tok) {
    if (tok < 256) return std::string(1, (char)tok);
    const char* t = _lex.TokenText(tok);
    return t ? t : "?";
}

void SQCompiler::Expect(SQInteger tok) {
    if (_lex._token != tok) {
        if (tok == TK_IDENTIFIER && _lex._token == TK_CONSTRUCTOR) {
            Lex();
            return;
        }
        Error("expected '" + TokenName(tok) + "'");
    }
    Lex();
}

SQObjectPtr SQCompiler::ExpectIdentifier() {
    if (_lex._token != TK_IDENTIFIER && _lex._token != TK_CONSTRUCTOR) Error("expected 'IDENTIFIER'");
    SQObjectPtr name(_ss->String(_lex._token == TK_CONSTRUCTOR ? "constructor" : _lex._svalue.c_str(),
                                 _lex._token == TK_CONSTRUCTOR ? -1 : (SQInteger)_lex._svalue.size()));
    Lex();
    return name;
}

bool SQCompiler::IsEndOfStatement() {
    return _lex._lasttokenline != _lex._currentline || _lex._token == TK_EOF || _lex._token == '}' ||
           _lex._token == ';';
}

void SQCompiler::OptionalSemicolon() {
    if (_lex._token == ';') {
        Lex();
        return;
    }
    if (!IsEndOfStatement()) Error("end of statement expected (; or lf)");
}

SQInteger SQCompiler::StringLiteral(const std::string& s) {
    return _fs->Literal(SQObjectPtr(_ss->String(s.data(), (SQInteger)s.size())));
}

void SQCompiler::EmitConstant(const SQObject& value) {
    switch (value._type) {
    case OT_INTEGER: _fs->Emit(OP_LOADINT, _integer(value)); break;
    case OT_BOOL: _fs->Emit(OP_LOADBOOL, _integer(value)); break;
    case OT_NULL: _fs->Emit(OP_LOADNULL); break;
    case OT_FLOAT: {
        int32_t bits;
        memcpy(&bits, &value._unVal.fFloat, sizeof(bits));
        _fs->Emit(OP_LOADFLOAT, bits);
        break;
    }
    default: _fs->Emit(OP_LOADK, Literal(value)); break;
    }
}

bool sqCompile(SQVM* v, const SQChar* source, SQInteger size, const SQChar* sourcename, bool lineinfo,
               SQCompileResult& result) {
    SQCompiler c(v, source, size, sourcename, lineinfo);
    return c.Compile(result);
}
