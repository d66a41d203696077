-- Tables: get and set by key, new slots, foreach.
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
local slots = 0
for round = 0, 299 do
  local u = {}
  local n = 0
  for i, k in ipairs(keys) do
    u[k] = i - 1
    u[i - 1] = k
    n = n + 2
  end
  slots = slots + n
end
local visited = 0
for round = 0, 999 do
  for k, v in pairs(t) do visited = visited + v end
end
local point = {x = 1, y = 2, z = 0}
for i = 0, 999999 do point.z = point.x + point.y + i end
print(sum .. " " .. slots .. " " .. visited .. " " .. point.z)
