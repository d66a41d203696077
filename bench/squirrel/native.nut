local sum = 0;
for (local i = 0; i < 1000000; i++) sum += maskedAdd(i & 1023, 0);
print(sum + "\n");
