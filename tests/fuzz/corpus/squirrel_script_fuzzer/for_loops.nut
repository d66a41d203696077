// Counting loops over a local compared with a constant take a shorter path in the VM; they must
// behave exactly as the general loop does.
local out = "";
for (local i = 0; i < 5; i++) out += i;
print("up " + out + "\n");
out = "";
for (local i = 5; i > 0; i--) out += i;
print("down " + out + "\n");
out = "";
for (local i = 0; i <= 3; ++i) out += i;
for (local i = 3; i >= 0; --i) out += i;
print("inclusive " + out + "\n");
local ran = false;
for (local i = 10; i < 5; i++) ran = true;
print("never entered " + ran + "\n");
out = "";
for (local i = 0; i < 10; i++) {
    if (i % 2) continue;
    if (i > 6) break;
    out += i;
}
print("continue and break " + out + "\n");
out = "";
for (local f = 0.5; f < 3; f++) out += f + " ";
print("float counter " + out + "\n");
local last = 0;
for (local i = 2147483645; i > 0; i++) last = i;
print("wraps at " + last + "\n");
try {
    for (local i = 0; i < 3; i++) { i = "x"; }
} catch (e) {
    print("string counter: " + e + "\n");
}
local closures = [];
for (local i = 0; i < 3; i++) closures.append(function() { return i; });
print("captured " + closures[0]() + closures[2]() + "\n");
out = "";
for (local i = 0; i != 4; i++) out += i;
print("not equal " + out + "\n");
local steps = 0;
for (local i = 0, j = 0; i < 3; j++) { i++; steps++; }
print("other step " + steps + "\n");
function firstOver(limit) {
    for (local i = 0; i < 100; i++) if (i * i > limit) return i;
    return -1;
}
print("return " + firstOver(50) + "\n");
local total = 0;
for (local i = 0; i < 4; i++)
    for (local j = 0; j < i; j++) total += j;
print("nested " + total + "\n");
