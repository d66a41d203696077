#include "squirrel/sqcompiler_local.h"

#include "squirrel/sqstate.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/sqvm.h"

#include <cstring>
#include <memory>

void SQCompiler::CommaExpr() {
    Expression();
    while (_lex._token == ',') {
        Lex();
        _fs->EmitPop(1);
        Expression();
    }
}

void SQCompiler::Expression() {
    NestingGuard guard(this);
    SQExp e = AssignmentExp();
    Discharge(e);
}

SQExp SQCompiler::AssignmentExp() {
    SQExp e = LogicalOr();
    switch (_lex._token) {
    case '=':
    case TK_NEWSLOT:
    case TK_PLUSEQ:
    case TK_MINUSEQ:
    case TK_MULEQ:
    case TK_DIVEQ:
    case TK_MODEQ: {
        SQInteger op = _lex._token;
        Lex();
        Assign(e, op);
        return SQExp{};
    }
    case '?': {
        Lex();
        Discharge(e);
        SQInteger jz = _fs->EmitJumpIfFalse();
        Expression();
        SQInteger jmp = _fs->EmitJump(OP_JMP);
        _fs->SetStack(_fs->Stack() - 1);
        _fs->SetJump(jz, _fs->PC());
        _fs->MarkTarget();
        Expect(':');
        Expression();
        _fs->SetJump(jmp, _fs->PC());
        _fs->MarkTarget();
        return SQExp{};
    }
    default: return e;
    }
}

SQOpcode SQCompiler::CompoundOp(SQInteger tok) {
    switch (tok) {
    case TK_PLUSEQ: return OP_ADD;
    case TK_MINUSEQ: return OP_SUB;
    case TK_MULEQ: return OP_MUL;
    case TK_DIVEQ: return OP_DIV;
    default: return OP_MOD;
    }
}

void SQCompiler::Assign(SQExp& e, SQInteger op) {
    if (e.kind == SQExpKind::Value || e.isThis) Error("can't assign expression");
    if (op == TK_NEWSLOT) {
        switch (e.kind) {
        case SQExpKind::Local:
        case SQExpKind::Outer: Error("can't 'create' a local slot");
        case SQExpKind::Env:
            _fs->Emit(OP_GETLOCAL, 0);
            _fs->Emit(OP_LOADK, e.index);
            break;
        case SQExpKind::FieldK: _fs->Emit(OP_LOADK, e.index); break;
        default: break;
        }
        Expression();
        _fs->Emit(OP_NEWSLOT);
        return;
    }
    bool compound = op != '=';
    switch (e.kind) {
    case SQExpKind::Local:
        if (compound) {
            Expression();
            _fs->Emit(OP_LOCALARITH, 0, CompoundOp(op), e.index);
            break;
        }
        [[fallthrough]];
    case SQExpKind::Outer:
    case SQExpKind::Env: {
        SQOpcode get = e.kind == SQExpKind::Local ? OP_GETLOCAL : (e.kind == SQExpKind::Outer ? OP_GETOUTER : OP_GETENV);
        SQOpcode set = e.kind == SQExpKind::Local ? OP_SETLOCAL : (e.kind == SQExpKind::Outer ? OP_SETOUTER : OP_SETENV);
        if (compound) _fs->Emit(get, e.index);
        Expression();
        if (compound) _fs->Emit(CompoundOp(op));
        _fs->Emit(set, e.index);
        break;
    }
    case SQExpKind::FieldK:
    case SQExpKind::Field:
        if (e.kind == SQExpKind::FieldK) _fs->Emit(OP_LOADK, e.index);
        if (compound) {
            _fs->Emit(OP_DUP2);
            _fs->Emit(OP_GET);
        }
        Expression();
        if (compound) _fs->Emit(CompoundOp(op));
        _fs->Emit(OP_SET);
        break;
    default: break;
    }
}

SQExp SQCompiler::LogicalOr() {
    SQExp e = LogicalAnd();
    while (_lex._token == TK_OR) {
        Lex();
        Discharge(e);
        SQInteger j = _fs->EmitJump(OP_OR);
        SQExp r = LogicalAnd();
        Discharge(r);
        _fs->SetJump(j, _fs->PC());
        _fs->MarkTarget();
        e = SQExp{};
    }
    return e;
}

SQExp SQCompiler::LogicalAnd() {
    SQExp e = Binary(0);
    for (;;) {
        if (_lex._token == TK_AND) {
            Lex();
            Discharge(e);
            SQInteger j = _fs->EmitJump(OP_AND);
            SQExp r = LogicalAnd();
            Discharge(r);
            _fs->SetJump(j, _fs->PC());
            _fs->MarkTarget();
            e = SQExp{};
        } else if (_lex._token == TK_IN) {
            Lex();
            Discharge(e);
            SQExp r = Binary(0);
            Discharge(r);
            _fs->Emit(OP_IN);
            e = SQExp{};
        } else {
            return e;
        }
    }
}

SQOpcode SQCompiler::BinaryOp(SQInteger tok, int& level) {
    struct Operator {
        SQInteger tok;
        SQOpcode op;
        int level;
    };
    static constexpr Operator kOperators[] = {
        {'|', OP_BITOR, 0},      {'^', OP_BITXOR, 1},         {'&', OP_BITAND, 2},
        {TK_EQ, OP_EQ, 3},       {TK_NE, OP_NE, 3},           {TK_3WAYSCMP, OP_CMP3, 3},
        {'<', OP_LT, 4},         {'>', OP_GT, 4},             {TK_LE, OP_LE, 4},
        {TK_GE, OP_GE, 4},       {TK_INSTANCEOF, OP_INSTANCEOF, 4},
        {TK_SHIFTL, OP_SHL, 5},  {TK_SHIFTR, OP_SHR, 5},      {TK_USHIFTR, OP_USHR, 5},
        {'+', OP_ADD, 6},        {'-', OP_SUB, 6},
        {'*', OP_MUL, 7},        {'/', OP_DIV, 7},            {'%', OP_MOD, 7},
    };
    for (const Operator& o : kOperators) {
        if (o.tok == tok) {
            level = o.level;
            return o.op;
        }
    }
    return (SQOpcode)255;
}

// Precedence climbing: one frame per operand instead of one per precedence level, so that
// nested parentheses cost little of the compiler's stack.
SQExp SQCompiler::Binary(int minLevel) {
    SQExp e = Unary();
    for (;;) {
        int level = 0;
        SQOpcode op = BinaryOp(_lex._token, level);
        if (op == (SQOpcode)255 || level < minLevel) return e;
        Lex();
        // A plain local on the left is read when the operator runs, after the right operand:
        // `j + (j = 5)` is 10, as in the reference interpreter, whose operands are registers.
        if (e.kind == SQExpKind::Local && e.index <= 0xFFFF && SQFuncState::IsFoldable(op)) {
            SQExp r = Binary(level + 1);
            Discharge(r);
            _fs->EmitBinaryOnLocal(op, e.index);
            e = SQExp{};
            continue;
        }
        Discharge(e);
        SQExp r = Binary(level + 1);
        Discharge(r);
        _fs->EmitBinary(op);
        e = SQExp{};
    }
}

SQExp SQCompiler::Unary() {
    switch (_lex._token) {
    case '-': {
        Lex();
        if (_lex._token == TK_INTEGER || _lex._token == TK_FLOAT) {
            if (_lex._token == TK_INTEGER) {
                _fs->Emit(OP_LOADINT, (SQInteger)(0u - (uint32_t)_lex._nvalue));
            } else {
                EmitConstant(SQObjectPtr(-_lex._fvalue));
            }
            Lex();
            return Postfix(SQExp{});
        }
        UnaryOperand();
        _fs->Emit(OP_UNM);
        return SQExp{};
    }
    case '!':
        Lex();
        UnaryOperand();
        _fs->Emit(OP_NOT);
        return SQExp{};
    case '~':
        Lex();
        UnaryOperand();
        _fs->Emit(OP_BITNOT);
        return SQExp{};
    case TK_TYPEOF:
        Lex();
        UnaryOperand();
        _fs->Emit(OP_TYPEOF);
        return SQExp{};
    case TK_CLONE:
        Lex();
        UnaryOperand();
        _fs->Emit(OP_CLONE);
        return SQExp{};
    case TK_RESUME:
        Lex();
        UnaryOperand();
        _fs->Emit(OP_RESUME);
        return SQExp{};
    case TK_PLUSPLUS:
    case TK_MINUSMINUS: {
        SQInteger delta = _lex._token == TK_PLUSPLUS ? 1 : -1;
        Lex();
        NestingGuard guard(this);
        SQExp e = Unary();
        // `++k` of a plain local stands for the local itself, so that `++k + ++k` reads it
        // twice after both increments.
        if (e.kind == SQExpKind::Local && !e.isThis) {
            _fs->Emit(OP_INCLOCAL, delta, 2, e.index);
            return e;
        }
        Increment(e, delta, false);
        return SQExp{};
    }
    case TK_DELETE: {
        Lex();
        SQExp e = PrefixedExpr();
        if (e.kind == SQExpKind::Env) {
            _fs->Emit(OP_GETLOCAL, 0);
            _fs->Emit(OP_LOADK, e.index);
        } else if (e.kind == SQExpKind::FieldK) {
            _fs->Emit(OP_LOADK, e.index);
        } else if (e.kind != SQExpKind::Field) {
            Error("can't delete an expression");
        }
        _fs->Emit(OP_DELETE);
        return SQExp{};
    }
    default: return PrefixedExpr();
    }
}

void SQCompiler::UnaryOperand() {
    NestingGuard guard(this);
    SQExp e = Unary();
    Discharge(e);
}

void SQCompiler::Increment(SQExp& e, SQInteger delta, bool postfix) {
    SQInteger a = postfix ? 1 : 0;
    switch (e.kind) {
    case SQExpKind::Local:
        if (e.isThis) Error("can't increment 'this'");
        _fs->Emit(OP_INCLOCAL, delta, a, e.index);
        break;
    case SQExpKind::Outer: _fs->Emit(OP_INCOUTER, delta, a, e.index); break;
    case SQExpKind::Env:
        if (e.index > 0xFFFF) Error("too many literals");
        _fs->Emit(OP_INCENV, delta, a, e.index);
        break;
    case SQExpKind::FieldK:
        _fs->Emit(OP_LOADK, e.index);
        _fs->Emit(OP_INCFIELD, delta, a);
        break;
    case SQExpKind::Field: _fs->Emit(OP_INCFIELD, delta, a); break;
    default: Error("can't '++' or '--' an expression");
    }
}

void SQCompiler::Discharge(SQExp& e) {
    switch (e.kind) {
    case SQExpKind::Local: _fs->Emit(OP_GETLOCAL, e.index); break;
    case SQExpKind::Outer: _fs->Emit(OP_GETOUTER, e.index); break;
    case SQExpKind::Env: _fs->Emit(OP_GETENV, e.index); break;
    case SQExpKind::Field: _fs->Emit(OP_GET); break;
    case SQExpKind::FieldK: _fs->Emit(OP_GETK, e.index); break;
    case SQExpKind::Value: break;
    }
    e = SQExp{};
}

SQExp SQCompiler::ResolveName(const SQObjectPtr& name) {
    SQExp e;
    SQString* s = _string(name);
    SQInteger slot = _fs->FindLocal(s);
    if (slot >= 0) {
        e.kind = SQExpKind::Local;
        e.index = slot;
        return e;
    }
    SQInteger outer = _fs->FindOuter(s);
    if (outer >= 0) {
        e.kind = SQExpKind::Outer;
        e.index = outer;
        return e;
    }
    e.kind = SQExpKind::Env;
    e.index = Literal(name);
    return e;
}

SQExp SQCompiler::PrefixedExpr() {
    SQExp e = Factor();
    return Postfix(e);
}

SQExp SQCompiler::Postfix(SQExp e) {
    for (;;) {
        switch (_lex._token) {
        case '.': {
            Lex();
            bool fromBase = e.fromBase;
            Discharge(e);
            SQObjectPtr name = ExpectIdentifier();
            e.kind = SQExpKind::FieldK;
            e.index = Literal(name);
            e.fromBase = fromBase;
            break;
        }
        case '[': {
            if (_lex._lasttokenline != _lex._currentline) return e;
            Lex();
            bool fromBase = e.fromBase;
            Discharge(e);
            Expression();
            Expect(']');
            e.kind = SQExpKind::Field;
            e.fromBase = fromBase;
            break;
        }
        case '(': {
            Lex();
            switch (e.kind) {
            case SQExpKind::FieldK:
                if (e.fromBase) {
                    _fs->Emit(OP_LOADK, e.index);
                    _fs->Emit(OP_PREPCALL, 0, 1);
                } else {
                    _fs->Emit(OP_PREPCALLK, e.index);
                }
                break;
            case SQExpKind::Field: _fs->Emit(OP_PREPCALL, 0, e.fromBase ? 1 : 0); break;
            case SQExpKind::Env: _fs->Emit(OP_PREPCALLENV, e.index); break;
            default:
                Discharge(e);
                _fs->Emit(OP_GETLOCAL, 0);
                break;
            }
            SQInteger nargs = 0;
            while (_lex._token != ')') {
                Expression();
                ++nargs;
                // Commas between arguments are optional.
                if (_lex._token == ',') {
                    Lex();
                    if (_lex._token == ')') Error("expression expected, found ')'");
                }
            }
            Lex();
            _fs->Emit(OP_CALL, nargs);
            e = SQExp{};
            break;
        }
        case TK_PLUSPLUS:
        case TK_MINUSMINUS: {
            if (_lex._lasttokenline != _lex._currentline) return e;
            SQInteger delta = _lex._token == TK_PLUSPLUS ? 1 : -1;
            Lex();
            Increment(e, delta, true);
            e = SQExp{};
            break;
        }
        default: return e;
        }
    }
}

SQExp SQCompiler::Factor() {
    SQExp e;
    switch (_lex._token) {
    case TK_STRING_LITERAL:
        _fs->Emit(OP_LOADK, StringLiteral(_lex._svalue));
        Lex();
        return e;
    case TK_INTEGER:
        _fs->Emit(OP_LOADINT, _lex._nvalue);
        Lex();
        return e;
    case TK_FLOAT:
        EmitConstant(SQObjectPtr(_lex._fvalue));
        Lex();
        return e;
    case TK_TRUE:
    case TK_FALSE:
        _fs->Emit(OP_LOADBOOL, _lex._token == TK_TRUE ? 1 : 0);
        Lex();
        return e;
    case TK_NULL:
        _fs->Emit(OP_LOADNULL);
        Lex();
        return e;
    case TK___LINE__:
        _fs->Emit(OP_LOADINT, _lex._currentline);
        Lex();
        return e;
    case TK___FILE__:
        _fs->Emit(OP_LOADK, Literal(_sourcename));
        Lex();
        return e;
    case TK_THIS:
        Lex();
        e.kind = SQExpKind::Local;
        e.index = 0;
        e.isThis = true;
        return e;
    case TK_BASE:
        Lex();
        _fs->Emit(OP_GETBASE);
        e.fromBase = true;
        return e;
    case TK_IDENTIFIER:
    case TK_CONSTRUCTOR: {
        SQObjectPtr name = ExpectIdentifier();
        if (_fs->FindLocal(_string(name)) < 0 && _fs->FindOuter(_string(name)) < 0) {
            SQObjectPtr constant;
            if (ConstTable()->Get(name, constant)) {
                if (constant._type == OT_TABLE && _lex._token == '.') {
                    Lex();
                    SQObjectPtr member = ExpectIdentifier();
                    SQObjectPtr value;
                    if (!_table(constant)->Get(member, value)) {
                        Error(std::string("invalid enum member '") + _string(member)->_val + "'");
                    }
                    EmitConstant(value);
                } else {
                    EmitConstant(constant);
                }
                return e;
            }
        }
        return ResolveName(name);
    }
    case TK_DOUBLE_COLON: {
        Lex();
        _fs->Emit(OP_GETROOT);
        SQObjectPtr name = ExpectIdentifier();
        e.kind = SQExpKind::FieldK;
        e.index = Literal(name);
        return e;
    }
    case '(':
        Lex();
        CommaExpr();
        Expect(')');
        return e;
    case '[': {
        Lex();
        // Elements go into the array a chunk at a time, so that a literal of any length
        // needs a bounded stack.
        constexpr SQInteger kChunk = 64;
        SQInteger pending = 0;
        bool made = false;
        while (_lex._token != ']') {
            Expression();
            if (++pending == kChunk) {
                _fs->Emit(OP_NEWARRAY, pending, made ? 1 : 0);
                made = true;
                pending = 0;
            }
            if (_lex._token == ',') Lex();
        }
        Lex();
        if (!made || pending > 0) _fs->Emit(OP_NEWARRAY, pending, made ? 1 : 0);
        return e;
    }
    case '{':
        Lex();
        _fs->Emit(OP_NEWTABLE);
        TableBody('}');
        return e;
    case TK_FUNCTION: {
        Lex();
        bool boundEnv = false;
        if (_lex._token == '[') {
            Lex();
            Expression();
            Expect(']');
            boundEnv = true;
        }
        FunctionBody(SQObjectPtr(), false, boundEnv);
        return e;
    }
    case '@': {
        Lex();
        FunctionBody(SQObjectPtr(), true);
        return e;
    }
    case TK_CLASS:
        Lex();
        ClassExpression();
        return e;
    default: Error("expression expected");
    }
}

void SQCompiler::TableBody(SQInteger terminator) {
    while (_lex._token != terminator) {
        if (_lex._token == TK_FUNCTION) {
            Lex();
            SQObjectPtr name = ExpectIdentifier();
            _fs->Emit(OP_LOADK, Literal(name));
            FunctionBody(name, false);
        } else if (_lex._token == '[') {
            Lex();
            CommaExpr();
            Expect(']');
            Expect('=');
            Expression();
        } else if (_lex._token == TK_STRING_LITERAL) {
            _fs->Emit(OP_LOADK, StringLiteral(_lex._svalue));
            Lex();
            Expect(':');
            Expression();
        } else {
            SQObjectPtr name = ExpectIdentifier();
            _fs->Emit(OP_LOADK, Literal(name));
            Expect('=');
            Expression();
        }
        _fs->Emit(OP_NEWSLOTKEEP);
        if (_lex._token == ',') Lex();
    }
    Lex();
}

void SQCompiler::ClassExpression() {
    SQInteger flags = 0;
    if (_lex._token == TK_EXTENDS) {
        Lex();
        Expression();
        flags |= 1;
    }
    if (_lex._token == TK_ATTR_OPEN) {
        Lex();
        _fs->Emit(OP_NEWTABLE);
        TableBody(TK_ATTR_CLOSE);
        flags |= 2;
    }
    Expect('{');
    _fs->Emit(OP_NEWCLASS, 0, flags);
    while (_lex._token != '}') {
        if (_lex._token == TK_ATTR_OPEN) {
            Lex();
            _fs->Emit(OP_NEWTABLE);
            TableBody(TK_ATTR_CLOSE);
        } else {
            _fs->Emit(OP_LOADNULL);
        }
        bool isStatic = false;
        if (_lex._token == TK_STATIC) {
            isStatic = true;
            Lex();
        }
        switch (_lex._token) {
        case TK_FUNCTION: {
            Lex();
            SQObjectPtr name = ExpectIdentifier();
            _fs->Emit(OP_LOADK, Literal(name));
            FunctionBody(name, false);
            break;
        }
        case TK_CONSTRUCTOR: {
            Lex();
            SQObjectPtr name(_ss->String("constructor"));
            _fs->Emit(OP_LOADK, Literal(name));
            FunctionBody(name, false);
            break;
        }
        case '[':
            Lex();
            CommaExpr();
            Expect(']');
            Expect('=');
            Expression();
            break;
        default: {
            SQObjectPtr name = ExpectIdentifier();
            _fs->Emit(OP_LOADK, Literal(name));
            Expect('=');
            Expression();
            break;
        }
        }
        _fs->Emit(OP_NEWMEMBER, 0, isStatic ? 1 : 0);
        if (_lex._token == ';' || _lex._token == ',') Lex();
    }
    Lex();
}

void SQCompiler::FunctionBody(const SQObjectPtr& name, bool lambda, bool boundEnv) {
    SQInteger declarationLine = _lex._currentline;
    Expect('(');
    auto child = std::make_unique<SQFuncState>(_ss, _fs);
    SQFuncState* parent = _fs;
    SQFunctionProto* proto = child->_proto;
    proto->_declarationLine = declarationLine;
    proto->_name = name;
    proto->_sourcename = _sourcename;
    SQObjectPtr thisName(_ss->String("this"));
    child->PushLocal(thisName);
    proto->_parameters.push_back(thisName);
    SQInteger ndefaults = 0;
    while (_lex._token != ')') {
        if (_lex._token == TK_VARPARAMS) {
            if (ndefaults > 0) Error("function with default parameters cannot have variable number of parameters");
            proto->_varparams = true;
            Lex();
            if (_lex._token != ')') Error("expected ')'");
            break;
        }
        SQObjectPtr param = ExpectIdentifier();
        child->PushLocal(param);
        proto->_parameters.push_back(param);
        if (_lex._token == '=') {
            Lex();
            Expression();
            if (++ndefaults > 0xFFFF) Error("too many default parameters");
        } else if (ndefaults > 0) {
            Error("expected '='");
        }
        if (_lex._token == ',') {
            Lex();
        } else if (_lex._token != ')') {
            Error("expected ')' or ','");
        }
    }
    Lex();
    proto->_ndefaults = ndefaults;
    if (proto->_varparams) child->PushLocal(SQObjectPtr(_ss->String("vargv")));
    std::vector<SQBreakableBlock> savedBlocks;
    savedBlocks.swap(_blocks);
    _fs = child.get();
    child->SetLine(_lex._currentline);
    if (lambda) {
        Expression();
        _fs->Emit(OP_RETURN, 0, 1);
    } else {
        if (_lex._token != '{') Error("expected '{'");
        Statement();
        _fs->Emit(OP_RETURN, 0, 0);
    }
    _fs = parent;
    savedBlocks.swap(_blocks);
    SQFunctionProto* done = child->Finish();
    SQInteger index = (SQInteger)parent->_proto->_functions.size();
    parent->AddFunction(done);
    parent->Emit(OP_CLOSURE, index, boundEnv ? 1 : 0, ndefaults);
}
