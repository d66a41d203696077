-- Strings built piece by piece: a short text grows to 64 characters, a million times a piece.
local s, total = "", 0
for i = 0, 999999 do
  s = s .. "ab"
  if #s >= 64 then
    total = total + #s
    s = ""
  end
end
print(total + #s)
