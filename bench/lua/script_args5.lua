-- Function calls with five arguments in a loop.
local function mix5(a, b, c, d, e)
  return (a * b + c) * e - d
end
local s = 0
for i = 0, 9999999 do s = s + mix5(i % 100, 3, 7, i % 9, 2) end
print(s)
