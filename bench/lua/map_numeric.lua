-- A map from numbers to numbers, filled and read in a scattered order.
local m = {}
local n = 100000
for i = 0, n - 1 do m[(i * 7919) % 1000003] = i end
local s = 0
for _ = 1, 150 do
  for i = 0, n - 1 do s = s + m[(i * 7919) % 1000003] end
end
print(s)
