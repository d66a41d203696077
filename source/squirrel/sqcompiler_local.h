#pragma once

#include "squirrel/sqcompiler.h"
#include "squirrel/sqfuncstate.h"
#include "squirrel/sqlexer.h"
#include "squirrel/sqstate.h"

#include <string>
#include <vector>

struct SQTable;

struct SQCompileFailure {};

enum class SQExpKind { Value, Local, Outer, Field, FieldK, Env };

// Where an expression's value lives before it is needed: already on the stack (Value),
// in a local or outer, or a slot still to be read (Field: object and key pushed; FieldK:
// object pushed, key is a literal; Env: a free name looked up in `this` then the root).
struct SQExp {
    SQExpKind kind = SQExpKind::Value;
    SQInteger index = 0;
    bool fromBase = false;
    bool isThis = false;
};

struct SQBreakableBlock {
    bool isLoop;
    SQInteger locals;
    SQInteger traps;
    std::vector<SQInteger> breaks;
    std::vector<SQInteger> continues;
};

// The compiler's internals, shared by its files: sqcompiler.cpp (tokens and errors),
// sqcompiler_statements.cpp and sqcompiler_expressions.cpp. It parses in one pass and emits
// code as it goes; errors unwind to Compile() as an SQCompileFailure.
class SQCompiler {
public:
    SQCompiler(SQVM* v, const SQChar* src, SQInteger size, const SQChar* sourcename, bool lineinfo);
    bool Compile(SQCompileResult& result);

private:
    [[noreturn]] void Error(const std::string& msg);
    void Lex();
    std::string TokenName(SQInteger tok);
    void Expect(SQInteger tok);
    SQObjectPtr ExpectIdentifier();
    bool IsEndOfStatement();
    void OptionalSemicolon();
    SQInteger Literal(const SQObject& o) { return _fs->Literal(o); }
    SQInteger StringLiteral(const std::string& s);
    void EmitConstant(const SQObject& value);

    // Bounds the compiler's own recursion on deeply nested source.
    struct NestingGuard {
        explicit NestingGuard(SQCompiler* c) : compiler(c) {
            if (++compiler->_nesting > kMaxNesting) compiler->Error("script too deeply nested");
        }
        ~NestingGuard() { --compiler->_nesting; }
        SQCompiler* compiler;
    };
    static constexpr int kMaxNesting = 800;

    void Statement();

    // Statements up to the closing brace, in a scope of their own.
    void BlockBody();
    SQInteger BeginScope() { return _fs->LocalCount(); }
    void EndScope(SQInteger scope);
    void IfStatement();

    // A statement that may declare locals (e.g. the body of an if) gets its own scope.
    void ScopedStatement();
    void BeginLoop(bool isLoop);
    void EndLoop(SQInteger continueTarget, SQInteger breakTarget);

    // Removes the code emitted since `start` so that it can be placed elsewhere (jumps are relative).
    std::vector<SQInstruction> CutCode(SQInteger start);
    void AppendCode(const std::vector<SQInstruction>& cut);

    // Loops test their condition at the bottom: one jump per iteration instead of two.
    void WhileStatement();
    void DoWhileStatement();
    void ForStatement();
    void ForEachStatement();
    void SwitchStatement();
    void CaseBody();
    SQBreakableBlock* EnclosingLoop();
    void BreakContinue(bool isBreak);
    void ReturnStatement();
    void LocalDeclStatement(bool endsStatement = true);
    void FunctionStatement();
    void ClassStatement();
    SQObjectPtr ConstantValue();
    SQTable* ConstTable() { return _table(_ss->_consttable); }
    void EnumStatement();
    void ConstStatement();
    void TryCatchStatement();

    void CommaExpr();

    // Parses one expression (assignment level) and leaves its value on the stack.
    void Expression();
    SQExp AssignmentExp();
    static SQOpcode CompoundOp(SQInteger tok);
    void Assign(SQExp& e, SQInteger op);
    SQExp LogicalOr();
    SQExp LogicalAnd();

    // Binary operators and their levels, loosest first (255 when tok is none).
    static SQOpcode BinaryOp(SQInteger tok, int& level);
    // Operands joined by operators of at least minLevel.
    SQExp Binary(int minLevel);
    SQExp Unary();
    void UnaryOperand();
    void Increment(SQExp& e, SQInteger delta, bool postfix);
    void Discharge(SQExp& e);
    SQExp ResolveName(const SQObjectPtr& name);
    SQExp PrefixedExpr();
    SQExp Postfix(SQExp e);
    SQExp Factor();

    // Slots of a table constructor (or of an attribute block) up to `terminator`.
    void TableBody(SQInteger terminator);
    void ClassExpression();

    // Parses parameters and body, then emits the closure (defaults evaluated here, in the
    // enclosing function, when the closure is created). A bound environment was pushed
    // before the defaults.
    void FunctionBody(const SQObjectPtr& name, bool lambda, bool boundEnv = false);

    SQSharedState* _ss;
    SQLexer _lex;
    bool _lineinfo;
    SQObjectPtr _sourcename;
    SQFuncState* _fs = nullptr;
    std::vector<SQBreakableBlock> _blocks;
    std::string _error;
    SQInteger _errorLine = 0;
    SQInteger _errorColumn = 0;
    int _nesting = 0;
};
