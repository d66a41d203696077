local s = "x";
while (true) s += s;
