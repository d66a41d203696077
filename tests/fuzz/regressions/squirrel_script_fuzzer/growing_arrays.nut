local keep = [];
while (true) keep.append(array(1 << 16, keep));
