-- Metamethods: __add, __lt, __index, __newindex, __call, __tostring.
local Vec = {}
Vec.__index = Vec
local function new(v) return setmetatable({ x = v }, Vec) end
Vec.__add = function(p, o) return new(p.x + o.x) end
Vec.__lt = function(p, o) return p.x < o.x end
Vec.__call = function(p, k) return p.x + k end
Vec.__tostring = function(p) return "v" end
local Store = {}
Store.__index = function(s, k) local v = rawget(s, "slots")[k] return v or 0 end
Store.__newindex = function(s, k, v) rawget(s, "slots")[k] = v end
local a, b = new(1), new(2)
local acc = new(0)
for i = 0, 299999 do acc = acc + a end
local less = 0
for i = 0, 299999 do if a < b then less = less + 1 end end
local called = 0
for i = 0, 299999 do called = called + b(i & 3) end
local store = setmetatable({ slots = {} }, Store)
local got = 0
for i = 0, 299999 do
  store.count = i & 1023
  got = got + store.count
end
local text = 0
for i = 0, 299999 do text = text + #tostring(a) end
print(acc.x .. " " .. less .. " " .. called .. " " .. got .. " " .. text)
