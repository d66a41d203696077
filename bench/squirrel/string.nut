// Strings: building, slice, find and format.
function run() {
    local parts = "";
    for (local i = 0; i < 10000; i++) parts += "item" + i + ",";
    local built = 0;
    for (local i = 0; i < 200000; i++) built += ("key" + i + "_" + (i * 2)).len();
    local sliced = 0;
    for (local i = 0; i < 200000; i++) sliced += parts.slice(i % 1000, i % 1000 + 12).len();
    local found = 0;
    for (local start = 0; start >= 0 && found < 10000; found++) {
        start = parts.find("item", start);
        if (start == null) break;
        start += 4;
    }
    local far = 0;
    for (local i = 0; i < 2000; i++) far += parts.find("item9999,") != null ? 1 : 0;
    local formatted = 0;
    for (local i = 0; i < 100000; i++) formatted += format("%d:%s:%.2f", i, "name", i * 0.5).len();
    print(parts.len() + " " + built + " " + sliced + " " + found + " " + far + " " + formatted + "\n");
}
for (local rep = 0; rep < 3; rep++) run();
