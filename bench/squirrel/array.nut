// Arrays: building, indexing, sort with and without a comparator, slice. Sums stay within 32 bits.
function run() {
    local seed = 12345;
    local data = [];
    for (local i = 0; i < 200000; i++) {
        seed = (seed * 1103515245 + 12345) & 0x7fffffff;
        data.append(seed % 1000);
    }
    local sum = 0;
    for (local round = 0; round < 10; round++) {
        for (local i = 0; i < data.len(); i++) sum += data[i];
    }
    local sorted = clone data;
    sorted.sort();
    local byComparator = data.slice(0, 50000);
    byComparator.sort(@(a, b) b <=> a);
    local pieces = 0;
    for (local i = 0; i < 20000; i++) pieces += data.slice(i, i + 50).len();
    local squares = [];
    for (local i = 0; i < 100000; i++) squares.push(i * (i & 1023));
    print(sum + " " + sorted[0] + " " + sorted[sorted.len() - 1] + " " + byComparator[0] + " " + pieces + " "
          + squares.top() + "\n");
}
for (local rep = 0; rep < 3; rep++) run();
