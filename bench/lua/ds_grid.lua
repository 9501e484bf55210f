-- A grid of 200 x 150 cells (a table of columns) set, read and summed cell by cell, 300 times.
local w, h = 200, 150
local g = {}
for x = 0, w - 1 do g[x] = {} end
local s = 0
for r = 0, 299 do
  for y = 0, h - 1 do for x = 0, w - 1 do g[x][y] = x * y + r end end
  for y = 0, h - 1 do for x = 0, w - 1 do s = s + g[x][y] end end
end
print(s)
