-- An array of an object of 30,000 elements filled, read and summed, 800 times.
local obj = {items = {}}
local n = 30000
local s = 0
for r = 0, 799 do
  for i = 0, n - 1 do obj.items[i] = i * 3 + r end
  for i = 0, n - 1 do s = s + obj.items[i] end
end
print(s)
