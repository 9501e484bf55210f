-- Loops and arithmetic on locals.
local s = 0
for i = 0, 1999 do
  for j = 0, 9999 do
    s = s + (i * j + j) % 7 - 3
  end
end
print(s)
