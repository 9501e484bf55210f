-- A two-dimensional array of an object, 100 rows of 300, filled row by row, read and summed,
-- 400 times.
local obj = {cells = {}}
for i = 0, 99 do obj.cells[i] = {} end
local s = 0
for r = 0, 399 do
  for i = 0, 99 do for j = 0, 299 do obj.cells[i][j] = i * j + r end end
  for i = 0, 99 do for j = 0, 299 do s = s + obj.cells[i][j] end end
end
print(s)
