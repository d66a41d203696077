// Sizes given by scripts are bounded: no blob of gigabytes, no endless read of a device.
local b = blob(4);
foreach (f in [@() blob(1e20), @() blob(0x7fffffff), @() b.resize(1e20), @() b.readblob(1e20),
               @() loadfile("/dev/zero")]) {
    try { f(); print("no error\n"); } catch (e) print(e + "\n");
}
print(b.len() + "\n");
