// Constructor, fields, methods, statics and member defaults shared between instances.
class Animal {
    name = null;
    sound = "...";
    static kingdom = "animalia";
    shared = [];
    constructor(n) { name = n; }
    function speak() { return name + " says " + sound; }
    function describe() { return speak() + " (" + kingdom + ")"; }
}
local a = Animal("generic");
print(a.speak() + "\n");
print(a.describe() + "\n");
print(Animal.kingdom + " " + a.kingdom + "\n");
local b = Animal("other");
a.shared.append(1);
print(b.shared.len() + "\n");

// Inheritance: overriding, base.method(), base.constructor(), virtual dispatch.
class Dog extends Animal {
    tricks = 0;
    constructor(n, t) {
        base.constructor(n);
        tricks = t;
    }
    function speak() { return base.speak() + " and wags"; }
}
Dog.sound <- "woof";
local d = Dog("rex", 3);
print(d.speak() + "\n");
print(d.describe() + "\n");
print(d.tricks + " " + (d instanceof Dog) + " " + (d instanceof Animal) + " " + (a instanceof Dog) + "\n");
print((Dog.getbase() == Animal) + " " + (d.getclass() == Dog) + " " + (Animal.getbase() == null) + "\n");
print(typeof Dog + " " + typeof d + " " + (1 instanceof Animal) + "\n");

// Three levels, each calling its base.
class A { function who() { return "A"; } }
class B extends A { function who() { return "B>" + base.who(); } }
class C extends B { function who() { return "C>" + base.who(); } }
print(C().who() + "\n");

// Methods added after declaration; fields cannot be added once instantiated.
function Animal::rename(n) { name = n; return this; }
print(a.rename("changed").name + "\n");
Animal.extra <- function() { return "extra method"; };
print(a.extra() + "\n");
try { Animal.newField <- 1; } catch (e) { print(e + "\n"); }
// Making an instance of a subclass locks its bases too.
class LockedBase { f = 1; }
class LockingDerived extends LockedBase {}
LockingDerived();
try { LockedBase.g <- 2; print("field added\n"); } catch (e) { print(e + "\n"); }
LockedBase.h <- @() "method added";
print(LockedBase().h() + "\n");
class Fresh {}
Fresh.added <- 5;
print(Fresh().added + "\n");
// `=` never changes a class (fields, methods and statics alike, before or after instantiation);
// `<-` adds or replaces methods and statics also after instantiation; instances keep their own
// writable fields.
class Slots { field = 1; static shared = 2; function method() { return "method"; } }
foreach (write in [@() Slots.field = 5, @() Slots["method"] = print, @() Slots.shared = 3, @() Slots.added = 4]) {
    try { write(); print("no error; "); } catch (e) print(e + "; ");
}
local slotsInstance = Slots();
print(Slots.field + " " + Slots.shared + " " + Slots.method() + " " + slotsInstance.method() + "\n");
Slots.method <- @() "replaced";
Slots.later <- @() "later";
Slots.shared <- 7;
slotsInstance.field = 9;
try { Slots.shared = 8; } catch (e) print(e + " ");
print(slotsInstance.method() + " " + slotsInstance.later() + " " + Slots.shared + " " + slotsInstance.field + " "
      + Slots().field + "\n");

// Instances: missing members, setting fields, rawget/rawset/rawin, clone.
try { a.missing = 1; } catch (e) { print(e + "\n"); }
try { print(a.nothing); } catch (e) { print(e + "\n"); }
a.sound = "meow";
print(a.speak() + " " + b.speak() + "\n");
print(a.rawget("sound") + " " + a.rawin("sound") + " " + a.rawin("zzz") + "\n");
a.rawset("sound", "purr");
local a2 = clone a;
a2.sound = "hiss";
print(a.sound + " " + a2.sound + "\n");

// Attributes on the class and on members.
class Tagged </ version = 2, author = "me" /> {
    </ doc = "the id", min = 0 />
    id = 0;
    </ doc = "runs" />
    function run() {}
    plain = 1;
}
print(Tagged.getattributes(null).version + " " + Tagged.getattributes("id").doc + " " + Tagged.getattributes("run").doc + "\n");
print((Tagged.getattributes("plain") == null) + "\n");
Tagged.setattributes("plain", { doc = "now set" });
print(Tagged.getattributes("plain").doc + "\n");

// Class expressions, namespaces, a class with no constructor called with arguments.
local Anon = class { v = 9; };
print(Anon().v + "\n");
Space <- { Inner = {} };
class Space.Inner.Widget { function kind() { return "widget"; } }
print(Space.Inner.Widget().kind() + "\n");

// _inherited and _newmember on class objects.
class Tracked {
    function _inherited(attributes) { ::print("inherited by a class " + (attributes == null ? "without" : "with") + " attributes\n"); }
}
class Child extends Tracked {}
class Child2 extends Tracked </ x = 1 /> {}
class Registry {
    function _newmember(key, value, attrs, isStatic) { ::print("member " + key + (isStatic ? " static" : "") + "\n"); }
}
class Registered extends Registry {
    f = 1;
    static s = 2;
    function m() {}
}
print(("f" in Registered) + "\n");

// Class instance() without constructor, and constructor with varargs.
local raw = Animal.instance();
print((raw.name == null) + "\n");
class Vargs { items = null; constructor(...) { items = vargv; } }
print(Vargs(1, 2, 3).items.len() + "\n");

// Free names inside methods: members of `this` first, then the root table (also past a _get
// that reports a clean miss), and default-delegate methods of the instance.
function helper(v) { return "helper(" + v + ")"; }
class Lookup {
    value = 3;
    function run() { return helper(value) + " " + (getclass() == Lookup); }
}
class LookupWithGet {
    function _get(k) { if (k == "virtual") return "virtual value"; throw null; }
    function run() { return helper(virtual); }
}
print(Lookup().run() + " " + LookupWithGet().run() + "\n");

// A constructor's own result is dropped (also that of a call in return position), it may
// take defaults or varargs, and an error inside it reaches the caller.
function made() { return "ignored"; }
class Built {
    parts = null;
    constructor(a, b = "b") { parts = [a, b]; if (a == "early") return made(); return 5; }
}
class Counted extends Built { constructor(...) { base.constructor("n", vargv.len()); } }
local built = [Built("a"), Built("x", "y"), Built("early"), Counted(1, 2, 3)];
print(built.map(@(o) typeof o + ":" + o.parts.reduce(@(x, y) x + "," + y)).reduce(@(x, y) x + " " + y) + "\n");
class Refuses { constructor(n) { if (n > 1) throw "refused " + n; } }
local made2 = [];
foreach (n in [1, 2]) { try { made2.append(Refuses(n)); } catch (e) made2.append(e); }
print((made2[0] instanceof Refuses) + " " + made2[1] + "\n");

// One instruction reading members of instances of different classes, names that a class gains
// later, and table slots removed and added again between reads.
class ShapeOne { name = "one"; function tag() { return "1"; } }
class ShapeTwo { extra = 0; name = "two"; function tag() { return "2"; } }
local seen = "";
foreach (s in [ShapeOne(), ShapeTwo(), ShapeOne(), ShapeTwo()]) seen += s.name + s.tag() + " ";
print(seen + "\n");
function helper() { return "global"; }
class HelperUser { function run() { return helper(); } }
local user = HelperUser();
local before = user.run();
HelperUser.helper <- @() "method";
print(before + " " + user.run() + "\n");
local slots = { a = 1, b = 2 }, reads = "";
for (local k = 0; k < 3; k++) {
    reads += slots.b + " ";
    delete slots.b;
    slots["c" + k] <- k;
    slots.b <- 10 + k;
}
print(reads + "\n");

// Classes built by the same steps share what one instruction learnt of their members; classes
// built in another order, or grown further, do not.
function MakeCounter(abFirst) {
    local C = class {};
    if (abFirst) { C.firstStep <- 1; C.secondStep <- 2; } else { C.secondStep <- 20; C.firstStep <- 10; }
    C.read <- function() { ++firstStep; return firstStep * 1000 + secondStep; };
    return C;
}
local first = MakeCounter(true)(), swapped = MakeCounter(false)(), again = MakeCounter(true)();
local Grown = MakeCounter(true);
Grown.c <- 5;
class Derived extends MakeCounter(false) { d = 7; }
local counts = [first.read(), swapped.read(), again.read(), Grown().read(), Derived().read(), first.read()];
print(counts.reduce(@(x, y) x + " " + y) + "\n");
