// Each function with integer and float arguments; results go through format so that the
// printed digits do not depend on float-to-string details.
local cases = [
    ["sqrt", sqrt(16), sqrt(2.0)], ["sin", sin(0), sin(PI / 2)], ["cos", cos(0), cos(PI)],
    ["tan", tan(0), tan(PI / 4)], ["asin", asin(1), asin(0.5)], ["acos", acos(1), acos(0)],
    ["atan", atan(1), atan(-1.0)], ["atan2", atan2(1, 1), atan2(-1, 0)],
    ["log", log(1), log(exp(2))], ["log10", log10(1000), log10(0.01)], ["exp", exp(0), exp(1)],
    ["pow", pow(2, 10), pow(9, 0.5)], ["floor", floor(2.7), floor(-2.2)], ["ceil", ceil(2.2), ceil(-2.7)],
    ["fabs", fabs(-3), fabs(2.5)]];
foreach (c in cases) print(format("%s %.4f %.4f %s %s\n", c[0], c[1], c[2], typeof c[1], typeof c[2]));

// abs answers an integer, also for a float argument, and wraps at the smallest integer.
print(abs(-5) + " " + abs(5) + " " + abs(-2.7) + " " + typeof abs(-2.7) + " " + abs(-2147483647 - 1) + "\n");
print(format("%.6f", PI) + " " + typeof PI + " " + RAND_MAX + "\n");

// The generator is our own: its sequence is fixed (seed 1 before any srand), the same seed
// repeats it, and every value is within 0..RAND_MAX.
local start = [rand(), rand(), rand()];
srand(1);
print(start[0] + " " + start[1] + " " + start[2] + " " + (rand() == start[0]) + "\n");
srand(7);
local first = [];
for (local i = 0; i < 5; i++) first.append(rand());
srand(7);
local same = true;
foreach (n in first) same = same && n == rand();
local inRange = true;
for (local i = 0; i < 1000; i++) {
    local r = rand();
    inRange = inRange && r >= 0 && r <= RAND_MAX;
}
print(same + " " + inRange + " " + (first[0] != first[1]) + "\n");

// Wrong argument types and counts are script errors.
foreach (f in [@() sqrt("x"), @() pow(2), @() abs(null), @() srand("seed")]) {
    try { f(); } catch (e) print(e + "\n");
}
