local s = "";
for (local i = 0; i < 100000; i++) s += "x";
print(s.len() + "\n");
