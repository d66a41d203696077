#include "squirrel/sqcompiler.h"

#include "squirrel/sqfuncstate.h"
#include "squirrel/sqlexer.h"
#include "squirrel/sqstate.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/sqvm.h"

#include <memory>
#include <vector>

namespace {

struct CompileFailure {};

enum class ExpKind { Value, Local, Outer, Field, FieldK, Env };

// Where an expression's value lives before it is needed: already on the stack (Value),
// in a local or outer, or a slot still to be read (Field: object and key pushed; FieldK:
// object pushed, key is a literal; Env: a free name looked up in `this` then the root).
struct Exp {
    ExpKind kind = ExpKind::Value;
    SQInteger index = 0;
    bool fromBase = false;
    bool isThis = false;
};

struct BreakableBlock {
    bool isLoop;
    SQInteger locals;
    SQInteger traps;
    std::vector<SQInteger> breaks;
    std::vector<SQInteger> continues;
};

class Compiler {
public:
    Compiler(SQVM* v, const SQChar* src, SQInteger size, const SQChar* sourcename, bool lineinfo)
        : _ss(v->_ss), _lex(src, size), _lineinfo(lineinfo) {
        _sourcename = SQObjectPtr(_ss->String(sourcename ? sourcename : ""));
    }

    bool Compile(SQCompileResult& result) {
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
        } catch (const CompileFailure&) {
            result.error = _error;
            result.line = _errorLine;
            result.column = _errorColumn;
            return false;
        }
    }

private:
    [[noreturn]] void Error(const std::string& msg) {
        if (_error.empty()) {
            _error = msg;
            _errorLine = _lex._currentline;
            _errorColumn = _lex._tokencolumn;
        }
        throw CompileFailure();
    }

    void Lex() {
        _lex.Lex();
        if (!_lex._error.empty()) Error(_lex._error);
    }

    std::string TokenName(SQInteger tok) {
        if (tok < 256) return std::string(1, (char)tok);
        const char* t = _lex.TokenText(tok);
        return t ? t : "?";
    }

    void Expect(SQInteger tok) {
        if (_lex._token != tok) {
            if (tok == TK_IDENTIFIER && _lex._token == TK_CONSTRUCTOR) {
                Lex();
                return;
            }
            Error("expected '" + TokenName(tok) + "'");
        }
        Lex();
    }

    SQObjectPtr ExpectIdentifier() {
        if (_lex._token != TK_IDENTIFIER && _lex._token != TK_CONSTRUCTOR) Error("expected 'IDENTIFIER'");
        SQObjectPtr name(_ss->String(_lex._token == TK_CONSTRUCTOR ? "constructor" : _lex._svalue.c_str(),
                                     _lex._token == TK_CONSTRUCTOR ? -1 : (SQInteger)_lex._svalue.size()));
        Lex();
        return name;
    }

    bool IsEndOfStatement() {
        return _lex._lasttokenline != _lex._currentline || _lex._token == TK_EOF || _lex._token == '}' ||
               _lex._token == ';';
    }

    void OptionalSemicolon() {
        if (_lex._token == ';') {
            Lex();
            return;
        }
        if (!IsEndOfStatement()) Error("end of statement expected (; or lf)");
    }

    SQInteger Literal(const SQObject& o) { return _fs->Literal(o); }
    SQInteger StringLiteral(const std::string& s) {
        return _fs->Literal(SQObjectPtr(_ss->String(s.data(), (SQInteger)s.size())));
    }

    void EmitConstant(const SQObject& value) {
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

    // Statements

    // Bounds the compiler's own recursion on deeply nested source.
    struct NestingGuard {
        explicit NestingGuard(Compiler* c) : compiler(c) {
            if (++compiler->_nesting > kMaxNesting) compiler->Error("script too deeply nested");
        }
        ~NestingGuard() { --compiler->_nesting; }
        Compiler* compiler;
    };
    static constexpr int kMaxNesting = 200;

    void Statement() {
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

    // Statements up to the closing brace, in a scope of their own.
    void BlockBody() {
        SQInteger scope = BeginScope();
        while (_lex._token != '}') {
            if (_lex._token == TK_EOF) Error("expected '}'");
            Statement();
            if (_lex._prevtoken != '}' && _lex._prevtoken != ';') OptionalSemicolon();
        }
        Lex();
        EndScope(scope);
    }

    SQInteger BeginScope() { return _fs->LocalCount(); }

    void EndScope(SQInteger scope) {
        SQInteger n = _fs->LocalCount() - scope;
        if (n <= 0) return;
        if (_fs->AnyCapturedFrom(scope)) _fs->Emit(OP_CLOSE, scope);
        _fs->PopLocals(n);
        _fs->Emit(OP_POP, n);
    }

    void IfStatement() {
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

    // A statement that may declare locals (e.g. the body of an if) gets its own scope.
    void ScopedStatement() {
        SQInteger scope = BeginScope();
        Statement();
        if (_lex._prevtoken != '}' && _lex._prevtoken != ';') OptionalSemicolon();
        EndScope(scope);
    }

    void BeginLoop(bool isLoop) {
        _blocks.push_back({isLoop, _fs->LocalCount(), _fs->_traps, {}, {}});
    }

    void EndLoop(SQInteger continueTarget, SQInteger breakTarget) {
        BreakableBlock& b = _blocks.back();
        for (SQInteger pc : b.breaks) _fs->SetJump(pc, breakTarget);
        for (SQInteger pc : b.continues) _fs->SetJump(pc, continueTarget);
        _blocks.pop_back();
        _fs->MarkTarget();
    }

    // Removes the code emitted since `start` so that it can be placed elsewhere (jumps are relative).
    std::vector<SQInstruction> CutCode(SQInteger start) {
        auto& code = _fs->_proto->_code;
        std::vector<SQInstruction> cut(code.begin() + start, code.end());
        code.resize((size_t)start);
        return cut;
    }

    void AppendCode(const std::vector<SQInstruction>& cut) {
        auto& code = _fs->_proto->_code;
        code.insert(code.end(), cut.begin(), cut.end());
    }

    // Loops test their condition at the bottom: one jump per iteration instead of two.
    void WhileStatement() {
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

    void DoWhileStatement() {
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

    void ForStatement() {
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
        SQInteger entry = _fs->EmitJump(OP_JMP);
        SQInteger body = _fs->PC();
        _fs->MarkTarget();
        BeginLoop(true);
        ScopedStatement();
        SQInteger cont = _fs->PC();
        _fs->MarkTarget();
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
        EndLoop(cont, _fs->PC());
        EndScope(scope);
    }

    void ForEachStatement() {
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

    void SwitchStatement() {
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
        BreakableBlock& b = _blocks.back();
        for (SQInteger pc : b.breaks) _fs->SetJump(pc, end);
        std::vector<SQInteger> continues = b.continues;
        _blocks.pop_back();
        _fs->MarkTarget();
        if (!continues.empty()) {
            // continue inside a switch belongs to the enclosing loop
            BreakableBlock* loop = EnclosingLoop();
            if (!loop) Error("'continue' has to be in a loop block");
            for (SQInteger pc : continues) loop->continues.push_back(pc);
        }
        EndScope(scope);
    }

    void CaseBody() {
        SQInteger scope = BeginScope();
        while (_lex._token != TK_CASE && _lex._token != TK_DEFAULT && _lex._token != '}') {
            if (_lex._token == TK_EOF) Error("expected '}'");
            Statement();
            if (_lex._prevtoken != '}' && _lex._prevtoken != ';') OptionalSemicolon();
        }
        EndScope(scope);
    }

    BreakableBlock* EnclosingLoop() {
        for (auto it = _blocks.rbegin(); it != _blocks.rend(); ++it) {
            if (it->isLoop) return &*it;
        }
        return nullptr;
    }

    void BreakContinue(bool isBreak) {
        Lex();
        BreakableBlock* b = nullptr;
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
        // A continue inside a switch is recorded on the switch and handed to the loop later.
        BreakableBlock& target = isBreak ? *b : (_blocks.back().isLoop ? *b : _blocks.back());
        (isBreak ? target.breaks : target.continues).push_back(jmp);
        OptionalSemicolon();
    }

    void ReturnStatement() {
        bool isYield = _lex._token == TK_YIELD;
        Lex();
        if (isYield) _fs->_proto->_generator = true;
        if (!IsEndOfStatement()) {
            CommaExpr();
            _fs->Emit(isYield ? OP_YIELD : OP_RETURN, 0, 1);
            if (!isYield) _fs->SetStack(_fs->Stack() - 1);
        } else {
            _fs->Emit(isYield ? OP_YIELD : OP_RETURN, 0, 0);
        }
        OptionalSemicolon();
    }

    void LocalDeclStatement(bool endsStatement = true) {
        Lex();
        if (_lex._token == TK_FUNCTION) {
            Lex();
            SQObjectPtr name = ExpectIdentifier();
            _fs->Emit(OP_LOADNULL);
            SQInteger slot = _fs->PushLocal(name);
            FunctionBody(name, false);
            _fs->Emit(OP_STORELOCAL, slot);
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

    void FunctionStatement() {
        Lex();
        SQObjectPtr name = ExpectIdentifier();
        if (_lex._token == TK_DOUBLE_COLON) {
            Exp e = ResolveName(name);
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

    void ClassStatement() {
        Lex();
        SQObjectPtr name = ExpectIdentifier();
        if (_lex._token == '.') {
            Exp e = ResolveName(name);
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

    SQObjectPtr ConstantValue() {
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

    SQTable* ConstTable() { return _table(_ss->_consttable); }

    void EnumStatement() {
        Lex();
        SQObjectPtr name = ExpectIdentifier();
        SQObjectPtr table(SQTable::Create(_ss));
        Expect('{');
        SQInteger next = 0;
        while (_lex._token != '}') {
            SQObjectPtr key = ExpectIdentifier();
            SQObjectPtr value;
            if (_lex._token == '=') {
                Lex();
                value = ConstantValue();
                if (value._type == OT_INTEGER) next = _integer(value) + 1;
            } else {
                value = SQObjectPtr(next++);
            }
            _table(table)->NewSlot(key, value);
            if (_lex._token == ',') Lex();
        }
        Lex();
        ConstTable()->NewSlot(name, table);
    }

    void ConstStatement() {
        Lex();
        SQObjectPtr name = ExpectIdentifier();
        Expect('=');
        SQObjectPtr value = ConstantValue();
        OptionalSemicolon();
        ConstTable()->NewSlot(name, value);
    }

    void TryCatchStatement() {
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

    // Expressions

    void CommaExpr() {
        Expression();
        while (_lex._token == ',') {
            Lex();
            _fs->EmitPop(1);
            Expression();
        }
    }

    // Parses one expression (assignment level) and leaves its value on the stack.
    void Expression() {
        NestingGuard guard(this);
        Exp e = AssignmentExp();
        Discharge(e);
    }

    Exp AssignmentExp() {
        Exp e = LogicalOr();
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
            return Exp{};
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
            return Exp{};
        }
        default: return e;
        }
    }

    static SQOpcode CompoundOp(SQInteger tok) {
        switch (tok) {
        case TK_PLUSEQ: return OP_ADD;
        case TK_MINUSEQ: return OP_SUB;
        case TK_MULEQ: return OP_MUL;
        case TK_DIVEQ: return OP_DIV;
        default: return OP_MOD;
        }
    }

    void Assign(Exp& e, SQInteger op) {
        if (e.kind == ExpKind::Value || e.isThis) Error("can't assign expression");
        if (op == TK_NEWSLOT) {
            switch (e.kind) {
            case ExpKind::Local:
            case ExpKind::Outer: Error("can't 'create' a local slot");
            case ExpKind::Env:
                _fs->Emit(OP_GETLOCAL, 0);
                _fs->Emit(OP_LOADK, e.index);
                break;
            case ExpKind::FieldK: _fs->Emit(OP_LOADK, e.index); break;
            default: break;
            }
            Expression();
            _fs->Emit(OP_NEWSLOT);
            return;
        }
        bool compound = op != '=';
        switch (e.kind) {
        case ExpKind::Local:
            if (compound) {
                Expression();
                _fs->Emit(OP_LOCALARITH, 0, CompoundOp(op), e.index);
                break;
            }
            [[fallthrough]];
        case ExpKind::Outer:
        case ExpKind::Env: {
            SQOpcode get = e.kind == ExpKind::Local ? OP_GETLOCAL : (e.kind == ExpKind::Outer ? OP_GETOUTER : OP_GETENV);
            SQOpcode set = e.kind == ExpKind::Local ? OP_SETLOCAL : (e.kind == ExpKind::Outer ? OP_SETOUTER : OP_SETENV);
            if (compound) _fs->Emit(get, e.index);
            Expression();
            if (compound) _fs->Emit(CompoundOp(op));
            _fs->Emit(set, e.index);
            break;
        }
        case ExpKind::FieldK:
        case ExpKind::Field:
            if (e.kind == ExpKind::FieldK) _fs->Emit(OP_LOADK, e.index);
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

    Exp LogicalOr() {
        Exp e = LogicalAnd();
        while (_lex._token == TK_OR) {
            Lex();
            Discharge(e);
            SQInteger j = _fs->EmitJump(OP_OR);
            Exp r = LogicalAnd();
            Discharge(r);
            _fs->SetJump(j, _fs->PC());
            _fs->MarkTarget();
            e = Exp{};
        }
        return e;
    }

    Exp LogicalAnd() {
        Exp e = Binary(0);
        for (;;) {
            if (_lex._token == TK_AND) {
                Lex();
                Discharge(e);
                SQInteger j = _fs->EmitJump(OP_AND);
                Exp r = LogicalAnd();
                Discharge(r);
                _fs->SetJump(j, _fs->PC());
                _fs->MarkTarget();
                e = Exp{};
            } else if (_lex._token == TK_IN) {
                Lex();
                Discharge(e);
                Exp r = Binary(0);
                Discharge(r);
                _fs->Emit(OP_IN);
                e = Exp{};
            } else {
                return e;
            }
        }
    }

    // Binary operator levels, loosest first.
    static SQOpcode BinaryOp(int level, SQInteger tok) {
        switch (level) {
        case 0: return tok == '|' ? OP_BITOR : (SQOpcode)255;
        case 1: return tok == '^' ? OP_BITXOR : (SQOpcode)255;
        case 2: return tok == '&' ? OP_BITAND : (SQOpcode)255;
        case 3:
            switch (tok) {
            case TK_EQ: return OP_EQ;
            case TK_NE: return OP_NE;
            case TK_3WAYSCMP: return OP_CMP3;
            default: return (SQOpcode)255;
            }
        case 4:
            switch (tok) {
            case '<': return OP_LT;
            case '>': return OP_GT;
            case TK_LE: return OP_LE;
            case TK_GE: return OP_GE;
            case TK_INSTANCEOF: return OP_INSTANCEOF;
            default: return (SQOpcode)255;
            }
        case 5:
            switch (tok) {
            case TK_SHIFTL: return OP_SHL;
            case TK_SHIFTR: return OP_SHR;
            case TK_USHIFTR: return OP_USHR;
            default: return (SQOpcode)255;
            }
        case 6:
            switch (tok) {
            case '+': return OP_ADD;
            case '-': return OP_SUB;
            default: return (SQOpcode)255;
            }
        default:
            switch (tok) {
            case '*': return OP_MUL;
            case '/': return OP_DIV;
            case '%': return OP_MOD;
            default: return (SQOpcode)255;
            }
        }
    }

    Exp Binary(int level) {
        if (level > 7) return Unary();
        Exp e = Binary(level + 1);
        for (;;) {
            SQOpcode op = BinaryOp(level, _lex._token);
            if (op == (SQOpcode)255) return e;
            Lex();
            Discharge(e);
            Exp r = Binary(level + 1);
            Discharge(r);
            _fs->EmitBinary(op);
            e = Exp{};
        }
    }

    Exp Unary() {
        NestingGuard guard(this);
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
                return Postfix(Exp{});
            }
            UnaryOperand();
            _fs->Emit(OP_UNM);
            return Exp{};
        }
        case '!':
            Lex();
            UnaryOperand();
            _fs->Emit(OP_NOT);
            return Exp{};
        case '~':
            Lex();
            UnaryOperand();
            _fs->Emit(OP_BITNOT);
            return Exp{};
        case TK_TYPEOF:
            Lex();
            UnaryOperand();
            _fs->Emit(OP_TYPEOF);
            return Exp{};
        case TK_CLONE:
            Lex();
            UnaryOperand();
            _fs->Emit(OP_CLONE);
            return Exp{};
        case TK_RESUME:
            Lex();
            UnaryOperand();
            _fs->Emit(OP_RESUME);
            return Exp{};
        case TK_PLUSPLUS:
        case TK_MINUSMINUS: {
            SQInteger delta = _lex._token == TK_PLUSPLUS ? 1 : -1;
            Lex();
            Exp e = Unary();
            Increment(e, delta, false);
            return Exp{};
        }
        case TK_DELETE: {
            Lex();
            Exp e = PrefixedExpr();
            if (e.kind == ExpKind::Env) {
                _fs->Emit(OP_GETLOCAL, 0);
                _fs->Emit(OP_LOADK, e.index);
            } else if (e.kind == ExpKind::FieldK) {
                _fs->Emit(OP_LOADK, e.index);
            } else if (e.kind != ExpKind::Field) {
                Error("can't delete an expression");
            }
            _fs->Emit(OP_DELETE);
            return Exp{};
        }
        default: return PrefixedExpr();
        }
    }

    void UnaryOperand() {
        Exp e = Unary();
        Discharge(e);
    }

    void Increment(Exp& e, SQInteger delta, bool postfix) {
        SQInteger a = postfix ? 1 : 0;
        switch (e.kind) {
        case ExpKind::Local:
            if (e.isThis) Error("can't increment 'this'");
            _fs->Emit(OP_INCLOCAL, delta, a, e.index);
            break;
        case ExpKind::Outer: _fs->Emit(OP_INCOUTER, delta, a, e.index); break;
        case ExpKind::Env:
            if (e.index > 0xFFFF) Error("too many literals");
            _fs->Emit(OP_INCENV, delta, a, e.index);
            break;
        case ExpKind::FieldK:
            _fs->Emit(OP_LOADK, e.index);
            _fs->Emit(OP_INCFIELD, delta, a);
            break;
        case ExpKind::Field: _fs->Emit(OP_INCFIELD, delta, a); break;
        default: Error("can't '++' or '--' an expression");
        }
    }

    void Discharge(Exp& e) {
        switch (e.kind) {
        case ExpKind::Local: _fs->Emit(OP_GETLOCAL, e.index); break;
        case ExpKind::Outer: _fs->Emit(OP_GETOUTER, e.index); break;
        case ExpKind::Env: _fs->Emit(OP_GETENV, e.index); break;
        case ExpKind::Field: _fs->Emit(OP_GET); break;
        case ExpKind::FieldK: _fs->Emit(OP_GETK, e.index); break;
        case ExpKind::Value: break;
        }
        e = Exp{};
    }

    Exp ResolveName(const SQObjectPtr& name) {
        Exp e;
        SQString* s = _string(name);
        SQInteger slot = _fs->FindLocal(s);
        if (slot >= 0) {
            e.kind = ExpKind::Local;
            e.index = slot;
            return e;
        }
        SQInteger outer = _fs->FindOuter(s);
        if (outer >= 0) {
            e.kind = ExpKind::Outer;
            e.index = outer;
            return e;
        }
        e.kind = ExpKind::Env;
        e.index = Literal(name);
        return e;
    }

    Exp PrefixedExpr() {
        Exp e = Factor();
        return Postfix(e);
    }

    Exp Postfix(Exp e) {
        for (;;) {
            switch (_lex._token) {
            case '.': {
                Lex();
                bool fromBase = e.fromBase;
                Discharge(e);
                SQObjectPtr name = ExpectIdentifier();
                e.kind = ExpKind::FieldK;
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
                e.kind = ExpKind::Field;
                e.fromBase = fromBase;
                break;
            }
            case '(': {
                Lex();
                switch (e.kind) {
                case ExpKind::FieldK:
                    if (e.fromBase) {
                        _fs->Emit(OP_LOADK, e.index);
                        _fs->Emit(OP_PREPCALL, 0, 1);
                    } else {
                        _fs->Emit(OP_PREPCALLK, e.index);
                    }
                    break;
                case ExpKind::Field: _fs->Emit(OP_PREPCALL, 0, e.fromBase ? 1 : 0); break;
                case ExpKind::Env: _fs->Emit(OP_PREPCALLENV, e.index); break;
                default:
                    Discharge(e);
                    _fs->Emit(OP_GETLOCAL, 0);
                    break;
                }
                SQInteger nargs = 0;
                while (_lex._token != ')') {
                    Expression();
                    ++nargs;
                    if (_lex._token == ',') {
                        Lex();
                        if (_lex._token == ')') Error("expression expected, found ')'");
                    } else if (_lex._token != ')') {
                        Error("expected ')'");
                    }
                }
                Lex();
                _fs->Emit(OP_CALL, nargs);
                e = Exp{};
                break;
            }
            case TK_PLUSPLUS:
            case TK_MINUSMINUS: {
                if (_lex._lasttokenline != _lex._currentline) return e;
                SQInteger delta = _lex._token == TK_PLUSPLUS ? 1 : -1;
                Lex();
                Increment(e, delta, true);
                e = Exp{};
                break;
            }
            default: return e;
            }
        }
    }

    Exp Factor() {
        Exp e;
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
            e.kind = ExpKind::Local;
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
            e.kind = ExpKind::FieldK;
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
            SQInteger n = 0;
            while (_lex._token != ']') {
                Expression();
                ++n;
                if (_lex._token == ',') Lex();
            }
            Lex();
            _fs->Emit(OP_NEWARRAY, n);
            return e;
        }
        case '{':
            Lex();
            _fs->Emit(OP_NEWTABLE);
            TableBody('}');
            return e;
        case TK_FUNCTION: {
            Lex();
            FunctionBody(SQObjectPtr(), false);
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

    // Slots of a table constructor (or of an attribute block) up to `terminator`.
    void TableBody(SQInteger terminator) {
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

    void ClassExpression() {
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

    // Parses parameters and body, then emits the closure (defaults evaluated here, in the
    // enclosing function, when the closure is created).
    void FunctionBody(const SQObjectPtr& name, bool lambda) {
        Expect('(');
        auto child = std::make_unique<SQFuncState>(_ss, _fs);
        SQFuncState* parent = _fs;
        SQFunctionProto* proto = child->_proto;
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
                ++ndefaults;
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
        std::vector<BreakableBlock> savedBlocks;
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
        parent->Emit(OP_CLOSURE, index, ndefaults);
    }

    SQSharedState* _ss;
    SQLexer _lex;
    bool _lineinfo;
    SQObjectPtr _sourcename;
    SQFuncState* _fs = nullptr;
    std::vector<BreakableBlock> _blocks;
    std::string _error;
    SQInteger _errorLine = 0;
    SQInteger _errorColumn = 0;
    int _nesting = 0;
};

}  // namespace

bool sqCompile(SQVM* v, const SQChar* source, SQInteger size, const SQChar* sourcename, bool lineinfo,
               SQCompileResult& result) {
    Compiler c(v, source, size, sourcename, lineinfo);
    return c.Compile(result);
}
