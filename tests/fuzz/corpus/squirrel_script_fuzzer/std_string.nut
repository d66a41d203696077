// format follows printf: flags, width, precision and each conversion.
print(format("%s %d 0x%02X\n", "this is a test :", 123, 10));
print(format("[%5d|%-5d|%05d|%+d|% d|%x|%X|%o|%u|%#x|%i|%c%c]", 42, 42, 42, 42, 42, 255, 255, 8, -1, 255, 7, 72, 105) + "\n");
print(format("[%.3f|%10.2e|%g|%G|%E|%f|%d]", 3.14159, 12345.678, 0.0001, 1e20, 1.5, 7, 3.99) + "\n");
print(format("[%s|%10s|%-10s|%.2s|%%|%s]", "abc", "right", "left", "truncate", "") + "\n");
print(format("%d", -2147483647 - 1) + " " + format("no conversions") + " " + format("%s|", "a\x00b").len() + "\n");
print(format("%1000d", 1).len() + " " + format("%.1000f", 1.0).len() + "\n");
printf("%s=%d\n", "printf", 5);

// Too few arguments, wrong types, '*', unknown conversions and huge fields are script errors.
foreach (f in ["%d %d", "%*d", "%.*f", "%q", "%", "%ld", "%1001d", "%.1001f", "%99999999999s"]) {
    try { print(format(f, 1) + "\n"); } catch (e) print(f + " -> " + e + "\n");
}
foreach (args in [["%d", "x"], ["%f", null], ["%s", 12]]) {
    try { format(args[0], args[1]); } catch (e) print(args[0] + " -> " + e + "\n");
}

// strip family, split with and without skipping empty parts, and the 3.2 additions.
print("[" + strip("  a b \t\n") + "][" + lstrip("  a ") + "][" + rstrip(" a  ") + "][" + strip(" \r\n ") + "]\n");
// An empty piece after the last separator is dropped; one before the first is kept.
foreach (s in [["1.2-3;;4/5", ".-/;"], ["", ","], [",", ","], ["a,b,", ","], [",a,", ","], ["abc", ","]]) {
    local all = split(s[0], s[1]);
    local some = split(s[0], s[1], true);
    print(all.len() + ":" + some.len() + " [" + all.reduce(@(a, b) a + "|" + b) + "] ");
}
try { split("abc", ""); } catch (e) print(e);
print("\n");
print(startswith("hello", "he") + " " + startswith("he", "hello") + " " + endswith("hello", "llo") + " "
      + endswith("hello", "") + " " + endswith("lo", "hello") + "\n");
print(escape("a\"b'c\\d\t\n\r\a\b\v\f\x01\x7f\xff\x00") + "\n");

// regexp: the example of the manual, then search, match and capture.
local ex = regexp(@"(\d+) ([a-zA-Z]+)(\p)");
local string = "stuff 123 Test;";
foreach (i, val in ex.capture(string)) print(format("match number[%02d] %s\n", i, string.slice(val.begin, val.end)));
print(ex.subexpcount() + " " + typeof ex + " " + ex.capture("no digits here") + "\n");
local word = regexp("[a-zA-Z]+");
local res = word.search("123 Test;");
print(res.begin + " " + res.end + " " + word.search("123 Test;", 5).begin + " " + word.search("123;") + "\n");
print(word.match("Test") + " " + word.match("Test;") + " " + word.match("") + "\n");

// Each construct on a subject: the whole match and every group as [begin,end]text, then match().
function show(pattern, subject, start = 0) {
    local r = regexp(pattern);
    local line = pattern + " on \"" + escape(subject) + "\": ";
    local groups = r.capture(subject, start);
    if (groups == null) line += "null";
    else foreach (g in groups) line += "[" + g.begin + "," + g.end + "]" + (g.begin >= 0 ? escape(subject.slice(g.begin, g.end)) : "") + " ";
    print(line + " match=" + r.match(subject) + "\n");
}
show("a|ab", "ab");                       // the first alternative wins
show("(a|ab)(c|bcd)(d*)", "abcd");        // ...unless only a later one lets the rest match
show("^abc$", "abc");
show("^b", "ab");
show("b$", "ab");
show("abc", "xxabc", 2);
show("^abc", "xxabc", 2);                 // ^ is the beginning of the string, not of the search
show(@"\bfoo\b", "a foo b");
show(@"\Bo", "foo");
show("a.c", "a\nc");
show("x*", "");
show("a*", "baa");
show("a{2,3}", "aaaa");
show("a{2,}", "aaaaa");
show("a{3}", "aa");
show("a{0}b", "ab");
show("(a)?b", "b");                       // a group that took no part reports -1
show("(a*)*b", "aaab");
show("(?:ab)+(c)", "ababc");
show("[^abc]+", "abcdef");
show(@"[a-c\d]+", "x1a2b3y");
show(@"[\]\-]+", "a]-]b");
show("[-a]+", "x-a-y");
show(@"\w+@\w+\.com", "mail joe_1@site.com!");
show(@"\s\S\d\D\x\X", " a1b9g");
show(@"\a+\A", "abc1");
show(@"\l+\u", "abcD");
show(@"\c\C", "\tx");
show(@"\p\P", ".q");
show(@"\t\n\r\f", "\t\n\r\f");
show(@"a\.b\*", "a.b*");

// Malformed patterns are refused with a message.
foreach (p in ["(ab", "ab)", "[abc", "[]", "a**", "*a", "a{3,2}", "a{x}", "a{5000}", "\\", "[z-a]", @"[\d-z]"]) {
    try { regexp(p); print(p + " compiled\n"); } catch (e) print(p + " -> " + e + "\n");
}
local deep = "";
for (local i = 0; i < 150; i++) deep = "(" + deep + ")";
foreach (p in [deep, "(a{1000}){1000}"]) {
    try { regexp(p); } catch (e) print(p.len() + " chars -> " + e + "\n");
}
foreach (start in [-1, 4]) {
    try { word.search("abc", start); } catch (e) print(start + " -> " + e + "\n");
}

// Matching does not recurse per character: a long subject with a repeated group is fine.
local long = "ab";
for (local i = 0; i < 16; i++) long += long;
print(long.len() + " " + regexp("(a|b)*").match(long) + " " + regexp("^(a|b)*$").capture(long)[1].begin + "\n");
