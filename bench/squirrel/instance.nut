// Class instances: a million small ones made, read and dropped.
class Point {
    x = 0;
    y = 0;
    constructor(a, b) { x = a; y = b; }
}
local sum = 0;
for (local i = 0; i < 1000000; i++) {
    local p = Point(i & 255, 1);
    sum += p.x + p.y;
}
print(sum + "\n");
