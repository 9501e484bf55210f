-- A one-dimensional array of 30,000 elements filled, read and summed, 800 times.
local a = {}
local n = 30000
local s = 0
for r = 0, 799 do
  for i = 0, n - 1 do a[i] = i * 3 + r end
  for i = 0, n - 1 do s = s + a[i] end
end
print(s)
