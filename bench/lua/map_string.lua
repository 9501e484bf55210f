-- A map from texts to numbers.
local m = {}
local n = 50000
for i = 0, n - 1 do m["key" .. i] = i end
local s = 0
for _ = 1, 40 do
  for i = 0, n - 1 do s = s + m["key" .. i] end
end
print(s)
