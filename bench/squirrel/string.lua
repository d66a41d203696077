-- Strings: building, slice, find and format.
local function run()
  local parts = ""
  for i = 0, 9999 do parts = parts .. "item" .. i .. "," end
  local built = 0
  for i = 0, 199999 do built = built + #("key" .. i .. "_" .. (i * 2)) end
  local sliced = 0
  for i = 0, 199999 do sliced = sliced + #parts:sub(i % 1000 + 1, i % 1000 + 12) end
  local found = 0
  local start = 1
  while found < 10000 do
    local at = parts:find("item", start, true)
    if not at then break end
    start = at + 4
    found = found + 1
  end
  local far = 0
  for i = 1, 2000 do if parts:find("item9999,", 1, true) then far = far + 1 end end
  local formatted = 0
  for i = 0, 99999 do formatted = formatted + #string.format("%d:%s:%.2f", i, "name", i * 0.5) end
  print(#parts .. " " .. built .. " " .. sliced .. " " .. found .. " " .. far .. " " .. formatted)
end
for rep = 1, 3 do run() end
