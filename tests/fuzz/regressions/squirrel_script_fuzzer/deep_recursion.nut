function f(x) { return f(x + 1) + 1; }
f(0);
