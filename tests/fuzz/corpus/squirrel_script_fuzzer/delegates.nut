// Slots missing in a table are looked up in its delegate chain.
local animal = { legs = 4, function describe() { return name + " has " + legs + " legs"; } };
local bird = { legs = 2 }.setdelegate(animal);
local tweety = { name = "tweety" }.setdelegate(bird);
print(tweety.describe() + "\n");
// `in` looks at the table's own slots only, as rawin does.
print((tweety.getdelegate() == bird) + " " + ("legs" in tweety) + " " + tweety.rawin("legs") + "\n");
print(tweety.rawget("name") + "\n");
try { tweety.rawget("legs"); } catch (e) { print(e + "\n"); }

// Assignment to a slot that exists only in a delegate writes the delegate's slot; new slots
// go to the table itself; a name found nowhere is an error.
tweety.legs = 3;
print(tweety.legs + " " + bird.legs + " " + animal.legs + " " + tweety.rawin("legs") + "\n");
try { tweety.wings = 2; } catch (e) { print(e + "\n"); }
tweety.legs <- 1;
print(tweety.legs + " " + bird.legs + "\n");
delete tweety.legs;
print(tweety.legs + "\n");

// Removing the delegate, and refusing a cycle.
tweety.setdelegate(null);
print(("legs" in tweety) + " " + (tweety.getdelegate() == null) + "\n");
try { animal.setdelegate(tweety.setdelegate(animal)); } catch (e) { print(e + "\n"); }

// A delegate's _get makes a default value for every missing key.
local defaults = { function _get(key) { return "default(" + key + ")"; } };
local config = { size = 3 }.setdelegate(defaults);
print(config.size + " " + config.color + "\n");

// Default delegates still apply to tables with a delegate of their own.
print(config.len() + " " + typeof config.rawget + "\n");

// A table's delegate can be used as a shared method table (prototype style).
local proto = {
    function push(v) { items.append(v); return this; }
    function size() { return items.len(); }
};
function makeStack() { return { items = [] }.setdelegate(proto); }
local s1 = makeStack(), s2 = makeStack();
s1.push(1).push(2);
s2.push(3);
print(s1.size() + " " + s2.size() + "\n");

// Clone keeps the delegate.
local s3 = clone s1;
print(s3.size() + " " + (s3.getdelegate() == proto) + "\n");

// Instances and classes: `in`, rawin, rawget and rawset see the declared members only, never _get or _set.
class Proxy {
    x = 1;
    function _get(key) { return "got " + key; }
    function _set(key, value) { ::print("set " + key + "\n"); }
}
local proxy = Proxy();
print(proxy.y + " " + proxy.rawin("y") + " " + proxy.rawin("x") + " " + ("y" in proxy) + " " + ("x" in proxy) + "\n");
proxy.y = 2;
try { proxy.rawget("y"); } catch (e) print(e + "\n");
try { proxy.rawset("y", 1); } catch (e) print(e + "\n");
proxy.rawset("x", 5);
print(proxy.rawget("x") + " " + Proxy.rawget("x") + " " + Proxy.rawin("_get") + " " + ("_set" in Proxy) + "\n");
