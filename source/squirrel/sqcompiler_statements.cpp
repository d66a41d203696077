#include "squirrel/sqcompiler_local.h"

#include "squirrel/sqstate.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/sqvm.h"

void SQCompiler::Statement() {
    NestingGuard guard(this);
    _fs->SetLine(_lex._currentline);
    if (_lineinfo && _lex._token != '{') _fs->Emit(OP_LINE, _lex._currentline);
    switch (_lex._token) {
    case ';': Lex(); break;
    case TK_IF: IfStatement(); break;
    case TK_WHILE: WhileStatement(); break;
    case TK_DO: DoWhileStatement(); break;
    case TK_FOR: ForStatement(); break;
    case TK_FOREACH: ForEachStatement(); break;
    case TK_SWITCH: SwitchStatement(); break;
    case TK_LOCAL: LocalDeclStatement(); break;
    case TK_RETURN:
    case TK_YIELD: ReturnStatement(); break;
    case TK_BREAK: BreakContinue(true); break;
    case TK_CONTINUE: BreakContinue(false); break;
    case TK_FUNCTION: FunctionStatement(); break;
    case TK_CLASS: ClassStatement(); break;
    case TK_ENUM: EnumStatement(); break;
    case TK_CONST: ConstStatement(); break;
    case '{': {
        Lex();
        BlockBody();
        break;
    }
    case TK_TRY: TryCatchStatement(); break;
    case TK_THROW:
        Lex();
        CommaExpr();
        _fs->Emit(OP_THROW);
        OptionalSemicolon();
        break;
    default: {
        CommaExpr();
        _fs->EmitPop(1);
        OptionalSemicolon();
        break;
    }
    }
}

void SQCompiler::BlockBody() {
    SQInteger scope = BeginScope();
    // An empty block still reports its line, so that every loop iteration makes a line event.
    if (_lineinfo && _lex._token == '}') _fs->Emit(OP_LINE, _lex._currentline);
    while (_lex._token != '}') {
        if (_lex._token == TK_EOF) Error("expected '}'");
        Statement();
        if (_lex._prevtoken != '}' && _lex._prevtoken != ';') OptionalSemicolon();
    }
    Lex();
    EndScope(scope);
}

void SQCompiler::EndScope(SQInteger scope) {
    SQInteger n = _fs->LocalCount() - scope;
    if (n <= 0) return;
    if (_fs->AnyCapturedFrom(scope)) _fs->Emit(OP_CLOSE, scope);
    _fs->PopLocals(n);
    _fs->Emit(OP_POP, n);
}

void SQCompiler::IfStatement() {
    Lex();
    Expect('(');
    CommaExpr();
    Expect(')');
    SQInteger jz = _fs->EmitJumpIfFalse();
    ScopedStatement();
    if (_lex._token == TK_ELSE) {
        SQInteger jmp = _fs->EmitJump(OP_JMP);
        _fs->SetJump(jz, _fs->PC());
        _fs->MarkTarget();
        Lex();
        ScopedStatement();
        _fs->SetJump(jmp, _fs->PC());
    } else {
        _fs->SetJump(jz, _fs->PC());
    }
    _fs->MarkTarget();
}

void SQCompiler::ScopedStatement() {
    SQInteger scope = BeginScope();
    Statement();
    if (_lex._prevtoken != '}' && _lex._prevtoken != ';') OptionalSemicolon();
    EndScope(scope);
}

void SQCompiler::BeginLoop(bool isLoop) {
    _blocks.push_back({isLoop, _fs->LocalCount(), _fs->_traps, {}, {}});
}

void SQCompiler::EndLoop(SQInteger continueTarget, SQInteger breakTarget) {
    SQBreakableBlock& b = _blocks.back();
    for (SQInteger pc : b.breaks) _fs->SetJump(pc, breakTarget);
    for (SQInteger pc : b.continues) _fs->SetJump(pc, continueTarget);
    _blocks.pop_back();
    _fs->MarkTarget();
}

std::vector<SQInstruction> SQCompiler::CutCode(SQInteger start) {
    auto& code = _fs->_proto->_code;
    std::vector<SQInstruction> cut(code.begin() + start, code.end());
    code.resize((size_t)start);
    return cut;
}

void SQCompiler::AppendCode(const std::vector<SQInstruction>& cut) {
    auto& code = _fs->_proto->_code;
    code.insert(code.end(), cut.begin(), cut.end());
}

void SQCompiler::WhileStatement() {
    Lex();
    Expect('(');
    _fs->MarkTarget();
    SQInteger start = _fs->PC();
    CommaExpr();
    Expect(')');
    SQInteger jump = _fs->EmitJumpIfTrue() - start;
    std::vector<SQInstruction> condition = CutCode(start);
    SQInteger entry = _fs->EmitJump(OP_JMP);
    SQInteger body = _fs->PC();
    _fs->MarkTarget();
    BeginLoop(true);
    ScopedStatement();
    SQInteger cond = _fs->PC();
    _fs->MarkTarget();
    _fs->SetJump(entry, cond);
    AppendCode(condition);
    _fs->SetJump(cond + jump, body);
    EndLoop(cond, _fs->PC());
}

void SQCompiler::DoWhileStatement() {
    Lex();
    SQInteger top = _fs->PC();
    _fs->MarkTarget();
    BeginLoop(true);
    ScopedStatement();
    Expect(TK_WHILE);
    SQInteger cond = _fs->PC();
    _fs->MarkTarget();
    Expect('(');
    CommaExpr();
    Expect(')');
    _fs->EmitJumpBack(OP_JNZ, top);
    EndLoop(cond, _fs->PC());
}

void SQCompiler::ForStatement() {
    Lex();
    SQInteger scope = BeginScope();
    Expect('(');
    if (_lex._token == TK_LOCAL) {
        LocalDeclStatement(false);
    } else if (_lex._token != ';') {
        CommaExpr();
        _fs->EmitPop(1);
    }
    Expect(';');
    std::vector<SQInstruction> condition;
    SQInteger jump = -1;
    if (_lex._token != ';') {
        _fs->MarkTarget();
        SQInteger start = _fs->PC();
        CommaExpr();
        jump = _fs->EmitJumpIfTrue() - start;
        condition = CutCode(start);
    }
    Expect(';');
    std::vector<SQInstruction> increment;
    if (_lex._token != ')') {
        _fs->MarkTarget();
        SQInteger start = _fs->PC();
        CommaExpr();
        _fs->EmitPop(1);
        increment = CutCode(start);
    }
    Expect(')');
    // `i++` with a test of `i` against a constant: test once on entry, then step and test
    // in one instruction at the bottom.
    bool counting = condition.size() == 1 && condition[0].op == OP_JCMPLK && increment.size() == 1 &&
                    increment[0].op == OP_INCLOCAL && increment[0].a == 2 && increment[0].c == condition[0].c &&
                    (increment[0].arg == 1 || increment[0].arg == -1);
    SQInteger entry = counting ? _fs->Emit(OP_JCMPLK, condition[0].arg, condition[0].a ^ kJumpWhenTrue, condition[0].c)
                               : _fs->EmitJump(OP_JMP);
    SQInteger body = _fs->PC();
    _fs->MarkTarget();
    BeginLoop(true);
    ScopedStatement();
    SQInteger cont = _fs->PC();
    _fs->MarkTarget();
    if (counting) {
        SQInteger a = condition[0].a | (increment[0].arg < 0 ? kStepDown : 0);
        _fs->SetJump(_fs->Emit(OP_STEPJCMPLK, condition[0].arg, a, condition[0].c), body);
        _fs->SetJump(entry, _fs->PC());
    } else {
        AppendCode(increment);
        SQInteger cond = _fs->PC();
        _fs->MarkTarget();
        _fs->SetJump(entry, cond);
        if (jump >= 0) {
            AppendCode(condition);
            _fs->SetJump(cond + jump, body);
        } else {
            _fs->EmitJumpBack(OP_JMP, body);
        }
    }
    EndLoop(cont, _fs->PC());
    EndScope(scope);
}

void SQCompiler::ForEachStatement() {
    Lex();
    Expect('(');
    SQObjectPtr keyName, valName = ExpectIdentifier();
    if (_lex._token == ',') {
        Lex();
        keyName = valName;
        valName = ExpectIdentifier();
    }
    Expect(TK_IN);
    SQInteger scope = BeginScope();
    CommaExpr();
    Expect(')');
    SQInteger container = _fs->PushLocal(SQObjectPtr(_ss->String("@container")));
    _fs->Emit(OP_LOADNULL);
    _fs->PushLocal(SQObjectPtr(_ss->String("@iterator")));
    _fs->Emit(OP_LOADNULL);
    _fs->PushLocal(keyName._type == OT_NULL ? SQObjectPtr(_ss->String("@key")) : keyName);
    _fs->Emit(OP_LOADNULL);
    _fs->PushLocal(valName);
    SQInteger top = _fs->PC();
    _fs->MarkTarget();
    SQInteger loop = _fs->Emit(OP_FOREACH, 0, 0, container);
    BeginLoop(true);
    ScopedStatement();
    _fs->EmitJumpBack(OP_JMP, top);
    _fs->SetJump(loop, _fs->PC());
    EndLoop(top, _fs->PC());
    EndScope(scope);
}

void SQCompiler::SwitchStatement() {
    Lex();
    Expect('(');
    SQInteger scope = BeginScope();
    CommaExpr();
    Expect(')');
    SQInteger value = _fs->PushLocal(SQObjectPtr(_ss->String("@switch")));
    Expect('{');
    BeginLoop(false);
    SQInteger pendingTest = -1, pendingFallthrough = -1;
    while (_lex._token == TK_CASE) {
        Lex();
        if (pendingTest >= 0) _fs->SetJump(pendingTest, _fs->PC());
        _fs->MarkTarget();
        _fs->Emit(OP_GETLOCAL, value);
        Expression();
        _fs->EmitBinary(OP_EQ);
        pendingTest = _fs->EmitJumpIfFalse();
        Expect(':');
        if (pendingFallthrough >= 0) _fs->SetJump(pendingFallthrough, _fs->PC());
        _fs->MarkTarget();
        CaseBody();
        pendingFallthrough = _fs->EmitJump(OP_JMP);
    }
    if (pendingTest >= 0) _fs->SetJump(pendingTest, _fs->PC());
    if (pendingFallthrough >= 0) _fs->SetJump(pendingFallthrough, _fs->PC());
    _fs->MarkTarget();
    if (_lex._token == TK_DEFAULT) {
        Lex();
        Expect(':');
        CaseBody();
    }
    Expect('}');
    SQInteger end = _fs->PC();
    for (SQInteger pc : _blocks.back().breaks) _fs->SetJump(pc, end);
    _blocks.pop_back();
    _fs->MarkTarget();
    EndScope(scope);
}

void SQCompiler::CaseBody() {
    SQInteger scope = BeginScope();
    while (_lex._token != TK_CASE && _lex._token != TK_DEFAULT && _lex._token != '}') {
        if (_lex._token == TK_EOF) Error("expected '}'");
        Statement();
        if (_lex._prevtoken != '}' && _lex._prevtoken != ';') OptionalSemicolon();
    }
    EndScope(scope);
}

SQBreakableBlock* SQCompiler::EnclosingLoop() {
    for (auto it = _blocks.rbegin(); it != _blocks.rend(); ++it) {
        if (it->isLoop) return &*it;
    }
    return nullptr;
}

void SQCompiler::BreakContinue(bool isBreak) {
    Lex();
    SQBreakableBlock* b = nullptr;
    if (isBreak) {
        if (!_blocks.empty()) b = &_blocks.back();
        if (!b) Error("'break' has to be in a loop block");
    } else {
        b = EnclosingLoop();
        if (!b) Error("'continue' has to be in a loop block");
    }
    SQInteger depth = _fs->Stack();
    SQInteger extra = _fs->LocalCount() - b->locals;
    if (_fs->_traps > b->traps) _fs->Emit(OP_POPTRAP, _fs->_traps - b->traps);
    if (extra > 0) {
        _fs->Emit(OP_CLOSE, b->locals);
        _fs->Emit(OP_POP, extra);
    }
    SQInteger jmp = _fs->EmitJump(OP_JMP);
    _fs->SetStack(depth);
    (isBreak ? b->breaks : b->continues).push_back(jmp);
    OptionalSemicolon();
}

void SQCompiler::ReturnStatement() {
    bool isYield = _lex._token == TK_YIELD;
    Lex();
    if (isYield) _fs->_proto->_generator = true;
    if (!IsEndOfStatement()) {
        CommaExpr();
        // A call whose result is returned as is may reuse the frame (outside try blocks,
        // whose handlers must stay reachable).
        std::vector<SQInstruction>& code = _fs->_proto->_code;
        if (!isYield && _fs->_traps == 0 && !code.empty() && code.back().op == OP_CALL) {
            code.back().op = OP_TAILCALL;
        }
        _fs->Emit(isYield ? OP_YIELD : OP_RETURN, 0, 1);
        if (!isYield) _fs->SetStack(_fs->Stack() - 1);
    } else {
        _fs->Emit(isYield ? OP_YIELD : OP_RETURN, 0, 0);
    }
    OptionalSemicolon();
}

void SQCompiler::LocalDeclStatement(bool endsStatement) {
    Lex();
    if (_lex._token == TK_FUNCTION) {
        Lex();
        // The name is declared after the body: inside it, the name is still the outer one
        // (a local wrapper of a global function calls that function).
        SQObjectPtr name = ExpectIdentifier();
        FunctionBody(name, false);
        _fs->PushLocal(name);
        return;
    }
    for (;;) {
        SQObjectPtr name = ExpectIdentifier();
        if (_lex._token == '=') {
            Lex();
            Expression();
        } else {
            _fs->Emit(OP_LOADNULL);
        }
        _fs->PushLocal(name);
        if (_lex._token != ',') break;
        Lex();
    }
    if (endsStatement) OptionalSemicolon();
}

void SQCompiler::FunctionStatement() {
    Lex();
    SQObjectPtr name = ExpectIdentifier();
    if (_lex._token == TK_DOUBLE_COLON) {
        SQExp e = ResolveName(name);
        Discharge(e);
        while (_lex._token == TK_DOUBLE_COLON) {
            Lex();
            name = ExpectIdentifier();
            if (_lex._token == TK_DOUBLE_COLON) _fs->Emit(OP_GETK, Literal(name));
        }
    } else {
        _fs->Emit(OP_GETLOCAL, 0);
    }
    _fs->Emit(OP_LOADK, Literal(name));
    FunctionBody(name, false);
    _fs->Emit(OP_NEWSLOT);
    _fs->EmitPop(1);
}

void SQCompiler::ClassStatement() {
    Lex();
    if (_lex._token != TK_IDENTIFIER) Error("invalid class name");
    SQObjectPtr name = ExpectIdentifier();
    if (_lex._token == '.') {
        SQExp e = ResolveName(name);
        Discharge(e);
        while (_lex._token == '.') {
            Lex();
            name = ExpectIdentifier();
            if (_lex._token == '.') _fs->Emit(OP_GETK, Literal(name));
        }
    } else {
        _fs->Emit(OP_GETLOCAL, 0);
    }
    _fs->Emit(OP_LOADK, Literal(name));
    ClassExpression();
    _fs->Emit(OP_NEWSLOT);
    _fs->EmitPop(1);
}

SQObjectPtr SQCompiler::ConstantValue() {
    bool negative = false;
    if (_lex._token == '-') {
        negative = true;
        Lex();
    }
    SQObjectPtr v;
    switch (_lex._token) {
    case TK_INTEGER: v = SQObjectPtr(negative ? (SQInteger)(0u - (uint32_t)_lex._nvalue) : _lex._nvalue); break;
    case TK_FLOAT: v = SQObjectPtr(negative ? -_lex._fvalue : _lex._fvalue); break;
    case TK_STRING_LITERAL:
        if (negative) Error("scalar expected : integer,float");
        v = SQObjectPtr(_ss->String(_lex._svalue.data(), (SQInteger)_lex._svalue.size()));
        break;
    case TK_TRUE:
    case TK_FALSE:
        if (negative) Error("scalar expected : integer,float");
        v = SQObjectPtr::Bool(_lex._token == TK_TRUE);
        break;
    default: Error("scalar expected : integer,float or string");
    }
    Lex();
    return v;
}

void SQCompiler::EnumStatement() {
    Lex();
    SQObjectPtr name = ExpectIdentifier();
    SQObjectPtr table(SQTable::Create(_ss));
    Expect('{');
    // Members without a value count among themselves, whatever the others are given.
    SQInteger next = 0;
    while (_lex._token != '}') {
        SQObjectPtr key = ExpectIdentifier();
        SQObjectPtr value;
        if (_lex._token == '=') {
            Lex();
            value = ConstantValue();
        } else {
            value = SQObjectPtr(next++);
        }
        _table(table)->NewSlot(key, value);
        if (_lex._token == ',') Lex();
    }
    Lex();
    ConstTable()->NewSlot(name, table);
}

void SQCompiler::ConstStatement() {
    Lex();
    SQObjectPtr name = ExpectIdentifier();
    Expect('=');
    SQObjectPtr value = ConstantValue();
    OptionalSemicolon();
    ConstTable()->NewSlot(name, value);
}

void SQCompiler::TryCatchStatement() {
    Lex();
    SQInteger trap = _fs->EmitJump(OP_PUSHTRAP);
    ++_fs->_traps;
    ScopedStatement();
    --_fs->_traps;
    _fs->Emit(OP_POPTRAP, 1);
    SQInteger jmp = _fs->EmitJump(OP_JMP);
    _fs->SetJump(trap, _fs->PC());
    _fs->MarkTarget();
    Expect(TK_CATCH);
    Expect('(');
    SQObjectPtr name = ExpectIdentifier();
    Expect(')');
    SQInteger scope = BeginScope();
    _fs->SetStack(_fs->Stack() + 1);
    _fs->PushLocal(name);
    ScopedStatement();
    EndScope(scope);
    _fs->SetJump(jmp, _fs->PC());
    _fs->MarkTarget();
}
