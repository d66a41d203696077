local max = math.max
local sum = 0
for i = 0, 999999 do sum = sum + max(i & 1023, 0) end
print(sum)
