// if / else chains, including dangling else and locals in branches.
function classify(n) {
    if (n < 0) return "negative";
    else if (n == 0) return "zero";
    else {
        local big = n > 100;
        if (big) return "big";
    }
    return "small";
}
foreach (n in [-5, 0, 7, 1000]) print(classify(n) + " ");
print("\n");

// while, do/while, break and continue.
local i = 0, out = "";
while (true) {
    i++;
    if (i % 2 == 0) continue;
    if (i > 9) break;
    out += i;
}
print(out + "\n");
local n = 0;
do { n += 3; } while (n < 10);
print(n + "\n");
do print("once\n"); while (false);

// for with several parts, nested loops with break out of the inner one.
for (local a = 0, b = 10; a < b; a += 3, b -= 1) print(a + ":" + b + " ");
print("\n");
for (local x = 0; x < 3; x++) {
    for (local y = 0; y < 3; y++) {
        if (y > x) break;
        print(x + "" + y + " ");
    }
}
print("\n");
local count = 0;
for (;;) { if (++count == 5) break; }
print(count + "\n");

// foreach over arrays, tables (insertion order), strings, classes and instances.
foreach (idx, val in ["a", "b", "c"]) print(idx + "=" + val + " ");
print("\n");
local t = {};
t.zeta <- 1; t.alpha <- 2; t.mid <- 3; t[10] <- 4;
foreach (k, v in t) print(k + "=" + v + " ");
delete t.alpha;
t.last <- 5;
foreach (k, v in t) print(k + " ");
print("\n");
foreach (c in "hey") print(c.tochar() + "(" + c + ") ");
print("\n");
class Point { x = 1; y = 2; function len() { return 0; } }
foreach (k, v in Point) print(k + ":" + typeof v + " ");
print("\n");
local p = Point();
p.x = 7;
// An instance is iterated by its class's _nexti only.
try { foreach (k, v in p) print(k + " "); } catch (e) print(e);
print("\n");

// foreach with continue and break, and a loop variable captured by a closure.
local total = 0;
foreach (v in [1, 2, 3, 4, 5, 6]) {
    if (v == 2) continue;
    if (v == 5) break;
    total += v;
}
print(total + "\n");

// switch: fall-through, default, break, strings and expressions as cases.
function sw(v) {
    local r = "";
    switch (v) {
    case 1:
        r += "one ";
    case 2:
        r += "two ";
        break;
    case "s":
        r += "string ";
        break;
    case 1 + 2:
        r += "three ";
        break;
    default:
        r += "default ";
    }
    return r;
}
print(sw(1) + "| " + sw(2) + "| " + sw("s") + "| " + sw(3) + "| " + sw(9) + "\n");
for (local k = 0; k < 4; k++) {
    switch (k) {
    case 1: continue;
    case 2: print("two "); break;
    default: print(k + " ");
    }
}
print("\n");
