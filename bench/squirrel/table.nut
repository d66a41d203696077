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
print(sum + "\n");
