// Sizes and positions given by scripts are checked: a script error, never a wrapped length.
local a = [1, 2, 3];
foreach (f in [@() a.slice(-2147483647), @() a.slice(0, 1e10), @() a.insert(-1, 0),
               @() a.resize(1e12), @() array(-1), @() "abc".slice(-2147483647),
               @() "abc".slice(1, 1e10)]) {
    try { f(); print("no error\n"); } catch (e) print(e + "\n");
}
// Array literals of any length, those longer than a frame's stack too, keep every element in order.
function literalOf(n) {
    local text = "return [";
    for (local i = 0; i < n; i++) text += i + ",";
    return compilestring(text + "];")();
}
foreach (n in [0, 1, 63, 64, 65, 128, 129, 200000]) {
    local built = literalOf(n), inOrder = true;
    foreach (i, v in built) inOrder = inOrder && i == v;
    print(n + ":" + built.len() + (inOrder ? "" : " out of order") + " ");
}
print("\n");
local s = "x", doublings = 0;
try {
    for (;;) { s += s; ++doublings; }
} catch (e) print(e + "\n");
print(doublings + " " + s.len() + "\n");

// Nesting: 250 levels of parentheses, table literals and function literals compile; far deeper
// nesting is a clean compile error.
function nested(open, middle, close, depth) {
    local text = "";
    for (local i = 0; i < depth; ++i) text += open;
    text += middle;
    for (local i = 0; i < depth; ++i) text += close;
    return text;
}
function depthOf(value, step) {
    local depth = 0;
    for (; typeof value != "integer"; ++depth) value = step(value);
    return depth + ":" + value;
}
print(compilestring("return " + nested("(", "7", ")", 250))() + " ");
print(depthOf(compilestring("return " + nested("{a=", "8", "}", 250))(), @(t) t.a) + " ");
print(depthOf(compilestring("return " + nested("[", "9", "]", 250))(), @(a) a[0]) + " ");
print(depthOf(compilestring("return " + nested("function(){return ", "10", ";}", 250))(), @(f) f()) + "\n");
foreach (text in [nested("(", "1", ")", 1000), nested("{a=", "1", "}", 1000), nested("!", "1", "", 1000),
                  nested("function(){return ", "1", ";}", 300)]) {
    try { compilestring("return " + text); print("compiled\n"); } catch (e) print(e + "\n");
}
