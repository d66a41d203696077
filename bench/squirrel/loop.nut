local sum = 0;
for (local i = 0; i < 30000000; i++) sum += i & 7;
print(sum + "\n");
