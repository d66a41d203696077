// Arithmetic, integer wrap-around, mixed numbers and string concatenation.
print((7 + 3 * 2) + " " + (7 / 2) + " " + (7 % 3) + " " + (-7 / 2) + " " + (-7 % 3) + "\n");
print((7.0 / 2) + " " + (1 + 0.5) + " " + (2 * 1.25) + " " + (5 % 2.5) + "\n");
print((2147483647 + 1) + " " + (-2147483647 - 2) + " " + (65536 * 65536) + "\n");
print("a" + 1 + 2 + " " + (1 + 2) + "b" + " " + null + " " + true + "\n");
// Bitwise and shifts, including the unsigned right shift.
print((0xF0 | 0x0F) + " " + (0xFF & 0x0F) + " " + (5 ^ 3) + " " + (~0) + "\n");
print((1 << 4) + " " + (-16 >> 2) + " " + (-16 >>> 28) + " " + (1 << 33) + "\n");
// Comparisons and the three-way compare.
print((1 < 2) + " " + (2 <= 2) + " " + (3 > 4) + " " + (1 == 1.0) + " " + ("a" < "b") + "\n");
print((1 <=> 2) + " " + (2 <=> 2) + " " + ("b" <=> "a") + " " + (null == null) + " " + (1 != "1") + "\n");
// null orders below every other value, so arrays holding nulls sort; other mixed types do not compare.
print((null < 1) + " " + (null <=> null) + " " + (1 > null) + " " + (null < null) + " " + (null <= null) + " "
      + ("" > null) + " " + ({} <=> null) + " " + (null >= false) + "\n");
local withNulls = [3, null, "b", 1, null, 2.5];
withNulls.sort(@(x, y) (typeof x == "string") <=> (typeof y == "string") || x <=> y);
print(withNulls.reduce(@(x, y) x + "," + y) + " ");
withNulls = [2, null, 1];
withNulls.sort();
print(withNulls[0] + " " + withNulls[2] + " ");
foreach (f in [@() 1 < "1", @() [] <=> {}, @() true > 0]) {
    try { f(); print("no error "); } catch (e) print(e + " ");
}
print("\n");
// Logical operators return one of their operands.
print((null || "x") + " " + (1 && 2) + " " + (0 && 2) + " " + !null + " " + !1 + "\n");
// Precedence: unary binds tighter than *, * than +, + than shifts, shifts than comparisons.
print((-2 * 3 + 1) + " " + (1 + 2 << 1) + " " + (1 < 2 == true) + " " + (1 | 2 ^ 3) + " " + (6 & 3 ^ 1) + "\n");
print((2 + 3 * 4 - 10 / 5 % 3) + " " + (!true || true) + "\n");
// Ternary, comma, compound assignment, increments.
local a = 5;
print((a > 3 ? "big" : "small") + " " + (a < 3 ? "big" : a == 5 ? "five" : "other") + "\n");
local k = (a = 1, a + 2);
print(k + "\n");
a += 10; a -= 2; a *= 3; a /= 2; a %= 7;
print(a + "\n");
local i = 5;
print(i++ + " " + i + " " + ++i + " " + i-- + " " + --i + "\n");
// A plain local on the left of an operator is read when the operator runs, after the right
// operand has changed it; fields, outers and globals are read in order.
local k = 3, j = 1, m = 3, q = 1;
local setQ = function() { q = 10; return 0; };
print((++k + ++k) + " " + (j + (j = 5)) + " " + (m + m++) + " " + m + " " + (q + setQ()) + " " + (k - (k = 2)) + "\n");
local field = {x = 1};
::orderGlobal <- 1;
print((field.x + (field.x = 5)) + " " + (::orderGlobal + (::orderGlobal = 5)) + " "
      + (function() { local p = 1; return (function() { return p + (p = 5); })(); })() + "\n");
local t = {n = 1};
t.n += 4; t.n++; ++t.n;
local arr = [10, 20];
arr[1] *= 2; arr[0]--;
print(t.n + " " + arr[0] + " " + arr[1] + "\n");
// typeof, in, instanceof, clone, delete, new slots and root access.
print(typeof 1 + " " + typeof 1.5 + " " + typeof "s" + " " + typeof true + " " + typeof null + "\n");
print(typeof {} + " " + typeof [] + " " + typeof print + " " + typeof function() {} + "\n");
print(("n" in t) + " " + ("m" in t) + " " + (1 in arr) + " " + (5 in arr) + "\n");
local copy = clone t;
copy.n = 0;
copy.extra <- "new";
print(t.n + " " + copy.n + " " + copy.extra + " " + t.len() + " " + copy.len() + "\n");
print((delete copy.extra) + " " + copy.len() + "\n");
// Only tables, arrays, instances and blobs are cloned; every other kind raises, strings,
// generators and threads included (a copy of a generator would share its state).
local liveTable = {};
foreach (value in [1, 1.5, true, null, print, @() 0, "text", (function() { yield 1; })(), newthread(print),
                   class {}]) {
    try { clone value; print("no error "); } catch (e) print(e + "; ");
}
print((clone [1, 2]).len() + "\n");
local weak = liveTable.weakref();
try { clone weak; } catch (e) print(e + "\n");
globalValue <- 42;
print(::globalValue + " " + getroottable().globalValue + "\n");
// Float formatting and conversions.
print(0.1 + " " + 1e10 + " " + 123456789.0 + " " + (1.0 / 3) + " " + 3.0 + "\n");
print(("12".tointeger() + 1) + " " + "1.5".tofloat() + " " + (10).tofloat() + " " + (3.9).tointeger() + "\n");
// Integer texts out of range saturate instead of wrapping.
print("3000000000".tointeger() + " " + "-2147483649".tointeger() + " " + "99999999999".tointeger() + " "
      + "-99999999999999999999999".tointeger() + " " + "2147483647".tointeger() + " " + "-2147483648".tointeger() + " "
      + "ffffffff".tointeger(16) + "\n");
// Commas between call arguments are optional.
print(format("%d-%d" 1 2) + " " + format("%s%s", "a" "b") + "\n");
// Literals: hex, octal, characters, escapes and verbatim strings.
print(0x1F + " " + 017 + " " + 'A' + " " + "tab\there" + " " + "quote\"s\x41" + "\n");
// A leading 0 before a digit that is no octal digit is a decimal number.
print(08 + " " + 09 + " " + 00 + "\n");
print(@"verbatim ""quoted"" \n" + "\n");
// Division by zero and INT_MIN / -1 are errors.
print((1 / 0.0) + " " + (-1 / 0.0) + "\n");
foreach (pair in [[1, 0], [-2147483647 - 1, -1], [5, 0]]) {
    try {
        print(pair[0] / pair[1]);
        print(" " + pair[0] % pair[1] + "\n");
    } catch (e) {
        print(e + "\n");
    }
}
