// Strings built piece by piece: a short text grows to 64 characters, a million times a piece.
local s = "", total = 0;
for (local i = 0; i < 1000000; i++) {
    s += "ab";
    if (s.len() >= 64) {
        total += s.len();
        s = "";
    }
}
print(total + s.len() + "\n");
