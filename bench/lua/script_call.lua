-- Function calls with three arguments in a loop.
local function scale_add(a, b, c)
  local t = a * b
  return t + c
end
local s = 0
for i = 0, 14999999 do s = s + scale_add(i % 100, 3, 7) end
print(s)
