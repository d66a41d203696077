local keys = {}
for i = 0, 999 do keys[#keys + 1] = "key" .. i end
local t = {}
for _, k in ipairs(keys) do t[k] = 0 end
local sum = 0
for round = 0, 999 do
  for _, k in ipairs(keys) do
    t[k] = round
    sum = sum + t[k]
  end
end
print(sum)
