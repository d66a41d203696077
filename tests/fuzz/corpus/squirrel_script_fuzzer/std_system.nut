// getenv answers null for a variable that is not set.
print(getenv("STD_SYSTEM_SURELY_UNSET") + " " + typeof getenv("PATH") + "\n");

// system answers the command's status: 0 for success.
print(system("true") + " " + (system("exit 3") != 0) + "\n");

// clock is wall time since the start of the process, as a float that does not go back.
local c0 = clock();
local c1 = clock();
print(typeof c0 + " " + (c0 >= 0) + " " + (c1 >= c0) + " " + (c0 < 3600) + "\n");

// time counts seconds since 1970; date splits a time, in UTC with 'u', local time by default.
print(typeof time() + " " + (time() > 1600000000) + "\n");
local d = date(365 * 86400 + 5 * 3600 + 61, 'u');
foreach (k, v in d) print(k + "=" + v + " ");
print("\n");
d = date(951782400, 'u');  // 2000-02-29, a leap day
print(d.year + "-" + (d.month + 1) + "-" + d.day + " wday " + d.wday + " yday " + d.yday + "\n");
local now = date();
print((now.year >= 2020) + " " + (date(time()).len() == 8) + " " + date(0, 'l').len() + "\n");
try { date(0, 'x'); } catch (e) print(e + "\n");
try { date("now"); } catch (e) print(e + "\n");

// remove and rename work on host paths; rename never replaces an existing file.
function touch(path) { file(path, "w").close(); }
touch("std_system_a.tmp");
touch("std_system_b.tmp");
try { rename("std_system_a.tmp", "std_system_b.tmp"); } catch (e) print(e + "\n");
remove("std_system_b.tmp");
rename("std_system_a.tmp", "std_system_b.tmp");
foreach (call in [@() remove("std_system_a.tmp"), @() rename("std_system_a.tmp", "std_system_c.tmp"),
                  @() remove("std_system_missing/none.tmp")]) {
    try { call(); } catch (e) print(e + "\n");
}
print(file("std_system_b.tmp", "r").len() + "\n");
remove("std_system_b.tmp");
