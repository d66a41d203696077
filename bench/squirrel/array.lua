-- Arrays: building, indexing, sort with and without a comparator, slice. Sums stay within 32 bits.
local function run()
  local seed = 12345
  local data = {}
  for i = 1, 200000 do
    seed = (seed * 1103515245 + 12345) & 0x7fffffff
    data[#data + 1] = seed % 1000
  end
  local sum = 0
  for round = 1, 10 do
    for i = 1, #data do sum = sum + data[i] end
  end
  local sorted = table.move(data, 1, #data, 1, {})
  table.sort(sorted)
  local byComparator = table.move(data, 1, 50000, 1, {})
  table.sort(byComparator, function(a, b) return a > b end)
  local pieces = 0
  for i = 1, 20000 do pieces = pieces + #table.move(data, i, i + 49, 1, {}) end
  local squares = {}
  for i = 0, 99999 do squares[#squares + 1] = i * (i & 1023) end
  print(sum .. " " .. sorted[1] .. " " .. sorted[#sorted] .. " " .. byComparator[1] .. " " .. pieces .. " " .. squares[#squares])
end
for rep = 1, 3 do run() end
