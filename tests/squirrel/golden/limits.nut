// Sizes and positions given by scripts are checked: a script error, never a wrapped length.
local a = [1, 2, 3];
foreach (f in [@() a.slice(-2147483647), @() a.slice(0, 1e10), @() a.insert(-1, 0),
               @() a.resize(1e12), @() array(-1), @() "abc".slice(-2147483647),
               @() "abc".slice(1, 1e10)]) {
    try { f(); print("no error\n"); } catch (e) print(e + "\n");
}
local s = "x", doublings = 0;
try {
    for (;;) { s += s; ++doublings; }
} catch (e) print(e + "\n");
print(doublings + " " + s.len() + "\n");
