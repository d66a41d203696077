// Tables: get and set by key, new slots, foreach.
local keys = [];
for (local i = 0; i < 1000; i++) keys.append("key" + i);
local t = {};
foreach (k in keys) t[k] <- 0;
local sum = 0;
for (local round = 0; round < 1000; round++) {
    foreach (k in keys) {
        t[k] = round;
        sum += t[k];
    }
}
local slots = 0;
for (local round = 0; round < 300; round++) {
    local u = {};
    foreach (i, k in keys) {
        u[k] <- i;
        u[i] <- k;
    }
    slots += u.len();
}
local visited = 0;
for (local round = 0; round < 1000; round++) {
    foreach (k, v in t) visited += v;
}
local point = {x = 1, y = 2, z = 0};
for (local i = 0; i < 1000000; i++) point.z = point.x + point.y + i;
print(sum + " " + slots + " " + visited + " " + point.z + "\n");
