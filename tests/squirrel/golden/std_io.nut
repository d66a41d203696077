// Files are made in the working directory under names of this test's own and removed at the end.
local name = "std_io_data.tmp";
local f = file(name, "wb+");
print(typeof f + " " + (f instanceof file) + " " + f.len() + " " + (f.eos() != null) + "\n");
f.writen(0x41424344, 'i'); f.writen(1.25, 'f'); f.writen(-3, 's');
local b = blob(3);
b[0] = 'x'; b[1] = 'y'; b[2] = 'z';
f.writeblob(b);
print(f.flush() + " " + f.len() + " " + f.tell() + "\n");

// Reading back: numbers, a blob cut short by the end of the file, then errors past the end.
f.seek(0);
print(format("%x", f.readn('i')) + " " + f.readn('f') + " " + f.readn('s') + " " + (f.eos() != null) + "\n");
local rest = f.readblob(100);
print(rest.len() + " " + rest[2] + " " + (f.eos() != null) + "\n");
foreach (read in [@() f.readn('i'), @() f.readblob(1), @() f.readn('?')]) {
    try { read(); } catch (e) print(e + "\n");
}
f.seek(-3, 'e'); print(f.tell() + " ");
f.seek(1, 'c'); print(f.tell() + " " + f.readn('b') + "\n");

// A closed file refuses further use; closing twice is harmless.
f.close();
f.close();
try { f.len(); } catch (e) print(e + "\n");

// Opening fails cleanly on a missing file and on modes fopen does not know.
foreach (args in [["std_io_missing/none.txt", "rb"], [name, "q"], [name, "r++"], [name, ""], [name, "rw"]]) {
    try { file(args[0], args[1]); } catch (e) print(args[1] + " -> " + e + "\n");
}
try { file(name); } catch (e) print(e + "\n");

// Append mode keeps what is there.
local a = file(name, "ab");
a.writen('!', 'b');
a.close();
print(file(name, "rb").len() + "\n");

// dofile runs a script file with the caller's this (the root table here) and returns its
// result; loadfile returns the compiled function.
function writeText(path, text) {
    local out = file(path, "wb");
    foreach (c in text) out.writen(c, 'b');
    out.close();
}
writeText("std_io_script.tmp", "\xEF\xBB\xBFloadedValue <- 40;\r\nreturn loadedValue + 2 + vargv.len();\r\n");
print(dofile("std_io_script.tmp") + " " + loadedValue + "\n");
local fn = loadfile("std_io_script.tmp", true);
print(typeof fn + " " + fn() + "\n");
writeText("std_io_bad.tmp", "local = ;");
writeText("std_io_bytecode.tmp", "\xFA\xFA\n");
foreach (call in [@() loadfile("std_io_bad.tmp"), @() dofile("std_io_bad.tmp"), @() dofile("std_io_missing.nut"),
                  @() loadfile("std_io_bytecode.tmp"), @() writeclosuretofile("std_io_out.tmp", fn)]) {
    try { call(); } catch (e) print(e + "\n");
}
writeText("std_io_throws.tmp", "throw \"from the file\";");
try { dofile("std_io_throws.tmp"); } catch (e) print(e + "\n");

// The standard streams are file objects; stdout shares the print output.
print(typeof stdin + " " + typeof stdout + " " + typeof stderr + " ");
foreach (c in "ok\n") stdout.writen(c, 'b');
stdout.flush();

foreach (path in [name, "std_io_script.tmp", "std_io_bad.tmp", "std_io_bytecode.tmp", "std_io_throws.tmp"]) remove(path);
