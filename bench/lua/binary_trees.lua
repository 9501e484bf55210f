-- Binary trees built, walked and thrown away, nodes held in global arrays.
left, right, count = {}, {}, 0
local function make(d)
  local n = count
  count = count + 1
  if d > 0 then
    left[n] = make(d - 1)
    right[n] = make(d - 1)
  else
    left[n] = -1
  end
  return n
end
local function check(n)
  local l = left[n]
  if l < 0 then return 1 end
  return 1 + check(l) + check(right[n])
end
local maxDepth = 12
count = 0
print(check(make(maxDepth + 1)))
for depth = 4, maxDepth, 2 do
  local iterations = math.floor(2 ^ (maxDepth - depth + 7))
  local c = 0
  for _ = 1, iterations do
    count = 0
    c = c + check(make(depth))
  end
  print(c)
end
