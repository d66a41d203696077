#include "squirrel/sqstdrex.h"

#include <cctype>
#include <memory>

namespace {

// Limits that keep a hostile pattern from exhausting the stack or memory.
constexpr int kMaxNesting = 100;
constexpr size_t kMaxProgram = 20000;
// Each live thread carries every capture slot, so the matcher's memory grows with the program
// size times the slot count; this bounds their product.
constexpr size_t kMaxThreadState = 4000000;
constexpr int kMaxRepeat = 1000;

struct RexNode {
    enum class Kind { Empty, Char, Any, Class, Bol, Eol, WordBoundary, NotWordBoundary, Group, Concat, Alternation, Repeat };
    Kind kind = Kind::Empty;
    unsigned char c = 0;
    int32_t index = -1;  // class index, or capture group (-1 for a group without capture)
    int min = 0;
    int max = 0;  // -1: no upper bound
    std::vector<RexNode> children;
};

using ByteSet = std::bitset<256>;

ByteSet SetOf(int (*predicate)(int)) {
    ByteSet set;
    for (int c = 0; c < 256; ++c) set[(size_t)c] = predicate(c) != 0;
    return set;
}

int IsWord(int c) { return sqstdRexIsWordChar((unsigned char)c); }

// The predefined class named by the letter after '\', if it is one; an upper-case letter
// names the complement of its lower-case class (\l and \u excepted: lower and upper case).
bool PredefinedClass(unsigned char letter, ByteSet& set) {
    switch (letter) {
    case 'l': set = SetOf(islower); return true;
    case 'u': set = SetOf(isupper); return true;
    default: break;
    }
    int (*predicate)(int) = nullptr;
    switch (tolower(letter)) {
    case 'a': predicate = isalpha; break;
    case 'w': predicate = IsWord; break;
    case 's': predicate = isspace; break;
    case 'd': predicate = isdigit; break;
    case 'x': predicate = isxdigit; break;
    case 'c': predicate = iscntrl; break;
    case 'p': predicate = ispunct; break;
    default: return false;
    }
    set = SetOf(predicate);
    if (isupper(letter)) set.flip();
    return true;
}

unsigned char EscapedChar(unsigned char letter) {
    switch (letter) {
    case 't': return '\t';
    case 'n': return '\n';
    case 'r': return '\r';
    case 'f': return '\f';
    default: return letter;
    }
}

class RexParser {
public:
    RexParser(const SQChar* pattern, SQRex& rex) : _p(pattern), _rex(rex) {}

    bool Parse(RexNode& root) {
        if (!ParseAlternation(root, 0)) return false;
        if (*_p == ')') return Fail("unexpected ')'");
        return true;
    }

    const SQChar* Error() const { return _error; }

private:
    bool Fail(const SQChar* message) {
        if (!_error) _error = message;
        return false;
    }

    bool ParseAlternation(RexNode& node, int depth) {
        if (depth > kMaxNesting) return Fail("too many nested groups");
        RexNode first;
        if (!ParseConcatenation(first, depth)) return false;
        if (*_p != '|') {
            node = std::move(first);
            return true;
        }
        node.kind = RexNode::Kind::Alternation;
        node.children.push_back(std::move(first));
        while (*_p == '|') {
            ++_p;
            RexNode alternative;
            if (!ParseConcatenation(alternative, depth)) return false;
            node.children.push_back(std::move(alternative));
        }
        return true;
    }

    bool ParseConcatenation(RexNode& node, int depth) {
        node.kind = RexNode::Kind::Concat;
        while (*_p && *_p != '|' && *_p != ')') {
            RexNode item;
            if (!ParseAtom(item, depth) || !ParseQuantifier(item)) return false;
            node.children.push_back(std::move(item));
        }
        return true;
    }

    bool ParseNumber(int& value) {
        if (!isdigit((unsigned char)*_p)) return false;
        value = 0;
        while (isdigit((unsigned char)*_p)) {
            value = value * 10 + (*_p++ - '0');
            if (value > kMaxRepeat) return false;
        }
        return true;
    }

    bool ParseQuantifier(RexNode& item) {
        int min = 0;
        int max = -1;
        switch (*_p) {
        case '*': ++_p; break;
        case '+': ++_p; min = 1; break;
        case '?': ++_p; max = 1; break;
        case '{':
            ++_p;
            if (!ParseNumber(min)) return Fail("invalid repetition count");
            if (*_p == ',') {
                ++_p;
                if (*_p != '}' && !ParseNumber(max)) return Fail("invalid repetition count");
            } else {
                max = min;
            }
            if (*_p != '}') return Fail("expected '}'");
            ++_p;
            if (max != -1 && max < min) return Fail("invalid repetition count");
            break;
        default: return true;
        }
        if (*_p == '*' || *_p == '+' || *_p == '?' || *_p == '{') return Fail("nothing to repeat");
        RexNode repeat;
        repeat.kind = RexNode::Kind::Repeat;
        repeat.min = min;
        repeat.max = max;
        repeat.children.push_back(std::move(item));
        item = std::move(repeat);
        return true;
    }

    bool ParseAtom(RexNode& node, int depth) {
        unsigned char c = (unsigned char)*_p++;
        switch (c) {
        case '(': {
            node.kind = RexNode::Kind::Group;
            if (_p[0] == '?' && _p[1] == ':') {
                _p += 2;
            } else {
                node.index = (int32_t)_rex.groups++;
            }
            node.children.emplace_back();
            if (!ParseAlternation(node.children.back(), depth + 1)) return false;
            if (*_p != ')') return Fail("expected ')'");
            ++_p;
            return true;
        }
        case '[': return ParseClass(node);
        case '.': node.kind = RexNode::Kind::Any; return true;
        case '^': node.kind = RexNode::Kind::Bol; return true;
        case '$': node.kind = RexNode::Kind::Eol; return true;
        case '*':
        case '+':
        case '?':
        case '{': return Fail("nothing to repeat");
        case '\\': return ParseEscape(node);
        default:
            node.kind = RexNode::Kind::Char;
            node.c = c;
            return true;
        }
    }

    bool ParseEscape(RexNode& node) {
        unsigned char letter = (unsigned char)*_p;
        if (!letter) return Fail("trailing '\\'");
        ++_p;
        ByteSet set;
        if (letter == 'b' || letter == 'B') {
            node.kind = letter == 'b' ? RexNode::Kind::WordBoundary : RexNode::Kind::NotWordBoundary;
        } else if (PredefinedClass(letter, set)) {
            node.kind = RexNode::Kind::Class;
            node.index = AddClass(set);
        } else {
            node.kind = RexNode::Kind::Char;
            node.c = EscapedChar(letter);
        }
        return true;
    }

    // One member of a class: a byte (into single) or a predefined class (merged into set).
    bool ParseClassMember(ByteSet& set, int& single) {
        unsigned char c = (unsigned char)*_p++;
        if (c != '\\') {
            single = c;
            return true;
        }
        unsigned char letter = (unsigned char)*_p;
        if (!letter) return Fail("expected ']'");
        ++_p;
        ByteSet predefined;
        if (PredefinedClass(letter, predefined)) {
            set |= predefined;
            single = -1;
        } else {
            single = EscapedChar(letter);
        }
        return true;
    }

    bool ParseClass(RexNode& node) {
        ByteSet set;
        bool negate = *_p == '^';
        if (negate) ++_p;
        if (*_p == ']') return Fail("empty character class");
        while (*_p != ']') {
            if (!*_p) return Fail("expected ']'");
            int first = -1;
            if (!ParseClassMember(set, first)) return false;
            if (_p[0] == '-' && _p[1] && _p[1] != ']') {
                ++_p;
                int last = -1;
                if (!ParseClassMember(set, last)) return false;
                if (first < 0 || last < 0 || last < first) return Fail("invalid range in character class");
                for (int b = first; b <= last; ++b) set[(size_t)b] = true;
            } else if (first >= 0) {
                set[(size_t)first] = true;
            }
        }
        ++_p;
        if (negate) set.flip();
        node.kind = RexNode::Kind::Class;
        node.index = AddClass(set);
        return true;
    }

    int32_t AddClass(const ByteSet& set) {
        _rex.classes.push_back(set);
        return (int32_t)_rex.classes.size() - 1;
    }

    const SQChar* _p;
    SQRex& _rex;
    const SQChar* _error = nullptr;
};

class RexEmitter {
public:
    explicit RexEmitter(SQRex& rex) : _program(rex.program) {}

    bool Emit(const RexNode& node) {
        switch (node.kind) {
        case RexNode::Kind::Empty: return true;
        case RexNode::Kind::Char: return Add(SQRexOp::Char, node.c);
        case RexNode::Kind::Any: return Add(SQRexOp::Any);
        case RexNode::Kind::Class: return Add(SQRexOp::Class, 0, node.index);
        case RexNode::Kind::Bol: return Add(SQRexOp::Bol);
        case RexNode::Kind::Eol: return Add(SQRexOp::Eol);
        case RexNode::Kind::WordBoundary: return Add(SQRexOp::WordBoundary);
        case RexNode::Kind::NotWordBoundary: return Add(SQRexOp::NotWordBoundary);
        case RexNode::Kind::Group:
            if (node.index < 0) return Emit(node.children[0]);
            return Add(SQRexOp::Save, 0, node.index * 2) && Emit(node.children[0]) &&
                   Add(SQRexOp::Save, 0, node.index * 2 + 1);
        case RexNode::Kind::Concat:
            for (const RexNode& child : node.children) {
                if (!Emit(child)) return false;
            }
            return true;
        case RexNode::Kind::Alternation: return EmitAlternation(node);
        case RexNode::Kind::Repeat: return EmitRepeat(node);
        }
        return false;
    }

    bool Add(SQRexOp op, unsigned char c = 0, int32_t x = 0, int32_t y = 0) {
        if (_program.size() >= kMaxProgram) return false;
        _program.push_back({op, c, x, y});
        return true;
    }

private:
    int32_t Here() const { return (int32_t)_program.size(); }

    // split L1, next; L1: a; jump end; next: split L2, next2; ... last alternative; end:
    bool EmitAlternation(const RexNode& node) {
        std::vector<int32_t> jumps;
        for (size_t i = 0; i < node.children.size(); ++i) {
            bool last = i + 1 == node.children.size();
            int32_t split = Here();
            if (!last && !Add(SQRexOp::Split, 0, split + 1)) return false;
            if (!Emit(node.children[i])) return false;
            if (!last) {
                jumps.push_back(Here());
                if (!Add(SQRexOp::Jump)) return false;
                _program[(size_t)split].y = Here();
            }
        }
        for (int32_t j : jumps) _program[(size_t)j].x = Here();
        return true;
    }

    // e{min,max}: min copies of e, then either a loop (no upper bound) or max-min optional
    // copies that all leave to the same end.
    bool EmitRepeat(const RexNode& node) {
        const RexNode& body = node.children[0];
        for (int i = 0; i < node.min; ++i) {
            if (!Emit(body)) return false;
        }
        if (node.max < 0) {
            int32_t loop = Here();
            if (!Add(SQRexOp::Split, 0, loop + 1) || !Emit(body) || !Add(SQRexOp::Jump, 0, loop)) return false;
            _program[(size_t)loop].y = Here();
            return true;
        }
        std::vector<int32_t> splits;
        for (int i = node.min; i < node.max; ++i) {
            splits.push_back(Here());
            if (!Add(SQRexOp::Split, 0, Here() + 1) || !Emit(body)) return false;
        }
        for (int32_t s : splits) _program[(size_t)s].y = Here();
        return true;
    }

    std::vector<SQRexInstruction>& _program;
};

}  // namespace

bool sqstdRexIsWordChar(unsigned char c) { return c == '_' || isalnum(c); }

SQRex* sqstdRexCompile(const SQChar* pattern, const SQChar** error) {
    auto rex = std::make_unique<SQRex>();
    RexNode root;
    RexParser parser(pattern, *rex);
    if (!parser.Parse(root)) {
        if (error) *error = parser.Error();
        return nullptr;
    }
    RexEmitter emitter(*rex);
    if (!emitter.Add(SQRexOp::Save, 0, 0) || !emitter.Emit(root) || !emitter.Add(SQRexOp::Save, 0, 1) ||
        !emitter.Add(SQRexOp::Match)) {
        if (error) *error = "expression too big";
        return nullptr;
    }
    if (rex->program.size() * (size_t)rex->groups * 2 > kMaxThreadState) {
        if (error) *error = "expression too big";
        return nullptr;
    }
    rex->captures.assign((size_t)rex->groups * 2, nullptr);
    rex->marks.assign(rex->program.size(), 0);
    return rex.release();
}
