local Counter = {}
Counter.__index = Counter
function Counter.new() return setmetatable({ n = 0 }, Counter) end
function Counter:inc(k) self.n = self.n + k return self.n end
local c = Counter.new()
for i = 1, 5000000 do c:inc(1) end
print(c.n)
