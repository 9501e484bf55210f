-- Method calls in a loop: a method that works on the fields of its object.
local Counter = {}
Counter.__index = Counter
function Counter:add(n)
  self.count = self.count + n
  return self.count
end
local obj = setmetatable({count = 0}, Counter)
local total = 0
for i = 0, 9999999 do total = total + obj:add(i % 3) end
print(total)
