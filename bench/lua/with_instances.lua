-- 1,000 objects, each updating its position and a counter of its own, 3,000 times.
local things = {}
for i = 0, 999 do
  local t = {x = i % 100, y = math.floor(i / 100), hits = 0}
  t.vx = t.x % 5 + 1
  things[#things + 1] = t
end
for _ = 1, 3000 do
  for _, t in ipairs(things) do
    t.x = t.x + t.vx
    t.y = t.y + 1
    if t.x > 600 then t.x = t.x - 600 end
    if t.y > 400 then t.y = 0 end
    t.hits = t.hits + 1
  end
end
local s = 0
for _, t in ipairs(things) do s = s + t.x + t.y + t.hits end
print(s)
