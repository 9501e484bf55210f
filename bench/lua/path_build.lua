-- A path (a table of points) built a point at a time, 100,000 points, and its length worked out,
-- 20 times.
local s = 0
for r = 0, 19 do
  local xs, ys = {}, {}
  for i = 0, 99999 do
    xs[#xs + 1] = (i * 37 + r) % 640
    ys[#ys + 1] = (i * 91) % 480
  end
  local total = 0.0
  for i = 2, #xs do
    local dx, dy = xs[i] - xs[i - 1], ys[i] - ys[i - 1]
    total = total + math.sqrt(dx * dx + dy * dy)
  end
  s = s + math.floor(total / 1000)
end
print(s)
