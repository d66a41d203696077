local n = 0;
for (;;) { n++; }
