-- Class instances: a million small ones made, read and dropped.
local Point = {}
Point.__index = Point
function Point.new(a, b) return setmetatable({ x = a, y = b }, Point) end
local sum = 0
for i = 0, 999999 do
  local p = Point.new(i & 255, 1)
  sum = sum + p.x + p.y
end
print(sum)
