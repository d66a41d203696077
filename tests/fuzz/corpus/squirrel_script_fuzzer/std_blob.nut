// Writing grows the blob; each number format reads back what was written.
local b = blob();
print(b.len() + " " + (b.eos() != null) + " " + typeof b + " " + (b instanceof blob) + "\n");
b.writen(0x01020304, 'i'); b.writen(-2, 's'); b.writen(65535, 'w'); b.writen(-1, 'c'); b.writen(255, 'b');
b.writen(1.5, 'f'); b.writen(2.25, 'd');
print(b.len() + " " + b.tell() + " " + (b.eos() != null) + "\n");
b.seek(0);
print(b.readn('l') + " " + b.readn('s') + " " + b.readn('w') + " " + b.readn('c') + " " + b.readn('b') + " "
      + b.readn('f') + " " + b.readn('d') + " " + (b.eos() != null) + "\n");
// Bytes are little-endian and reachable by index; foreach walks them.
b.seek(0);
foreach (i, x in b.readblob(4)) print(i + "=" + x + " ");
print("\n");

// seek from the beginning (default), the current position and the end.
b.seek(-4, 'e'); print(b.tell() + " ");
b.seek(2, 'c'); print(b.tell() + " ");
b.seek(3); print(b.tell() + " " + b.flush() + "\n");

// seek answers 0, or -1 for a position outside the stream (which stays where it was).
print(b.seek(-1) + " " + b.seek(b.len() + 1) + " " + b.seek(-1, 'c') + " " + b.tell() + " " + b.seek(b.len()) + "\n");

// Reads past the end, bad formats, bad origins and sizes are script errors.
local errors = [
    @() b.seek(0, 'e') || b.readn('i'), @() b.readn('x'), @() b.writen(1, 'q'),
    @() b.seek(0, 'z'), @() blob(-1), @() b.resize(-1),
    @() b.readblob(-1), @() b.seek(0, 'e') || b.readblob(1), @() b[b.len()], @() b[-1] = 3,
    @() b["x"] = 3, @() b.nothing, @() b.writeblob("x"), @() b.constructor(3), @() blob.len(),
    @() blob("x")];
foreach (f in errors) {
    try { f(); print("no error\n"); } catch (e) print(e + "\n");
}

// A number cut short by the end is not consumed.
b.seek(-2, 'e');
try { b.readn('i'); } catch (e) print(e + " at " + b.tell() + ": ");
print(b.readn('s') + "\n");

// readblob gives what is left when less than asked is there; reading 0 bytes is fine.
b.seek(b.len() - 2);
print(b.readblob(100).len() + " " + b.readblob(0).len() + "\n");

// clone copies the data; writeblob appends a blob; [] stores bytes.
local c = blob(2);
c[0] = 'A'; c[1] = 300;
local d = clone c;
d[0] = 'B';
local w = blob(0);
w.writeblob(c); w.writeblob(d);
print(c[0] + " " + c[1] + " " + d[0] + " " + w.len() + " " + w[2] + "\n");

// swap2/swap4 reorder whole units only; resize keeps the position inside and zero-fills.
local s = blob(5);
for (local i = 0; i < 5; i++) s[i] = i + 1;
s.swap2(); foreach (x in s) print(x); print(" ");
s.swap4(); foreach (x in s) print(x); print("\n");
s.seek(5);
s.resize(2); print(s.len() + " " + s.tell() + " ");
s.resize(4); print(s[2] + " " + s[3] + "\n");

// The global conversions.
print(format("%08x %08x %08x", castf2i(1.0), swap4(0x11223344), castf2i(swapfloat(1.0))) + " " + casti2f(0x40000000)
      + " " + swap2(0x1234) + " " + swap2(0x0080) + " " + swap2(0x00FF) + " " + swapfloat(swapfloat(3.5)) + "\n");

// 'l' is written as readn reads it: a 32-bit integer.
local l = blob(0);
l.writen(-5, 'l'); l.writen(7, 'l');
l.seek(0);
print(l.len() + " " + l.readn('l') + " " + l.readn('i') + "\n");

// A script class can extend blob.
class Packet extends blob {
    function describe() { return "packet of " + len(); }
}
local p = Packet(3);
print(p.describe() + " " + (p instanceof blob) + " " + typeof p + "\n");
