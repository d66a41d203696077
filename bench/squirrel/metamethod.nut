// Metamethods of class instances: _add, _cmp, _get, _set, _call, _tostring.
class Vec {
    x = 0;
    constructor(v) { x = v; }
    function _add(o) { return Vec(x + o.x); }
    function _cmp(o) { return x <=> o.x; }
    function _call(self, k) { return x + k; }
    function _tostring() { return "v"; }
}
class Store {
    slots = null;
    constructor() { slots = {}; }
    function _get(k) { return k in slots ? slots[k] : 0; }
    function _set(k, v) { slots[k] <- v; }
}
local a = Vec(1), b = Vec(2);
local acc = Vec(0);
for (local i = 0; i < 300000; i++) acc = acc + a;
local less = 0;
for (local i = 0; i < 300000; i++) if (a < b) less++;
local called = 0;
for (local i = 0; i < 300000; i++) called += b(i & 3);
local store = Store();
local got = 0;
for (local i = 0; i < 300000; i++) {
    store.count = i & 1023;
    got += store.count;
}
local text = 0;
for (local i = 0; i < 300000; i++) text += ("" + a).len();
print(acc.x + " " + less + " " + called + " " + got + " " + text + "\n");
