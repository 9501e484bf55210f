-- 1,000 objects, each moving by fields of its own and bouncing at the edges, 3,000 times.
local movers = {}
for i = 0, 999 do
  movers[#movers + 1] = {px = (i * 37) % 640, py = (i * 91) % 480, vx = i % 7 - 3, vy = i % 5 - 2, age = 0}
end
for _ = 1, 3000 do
  for _, t in ipairs(movers) do
    t.px = t.px + t.vx
    t.py = t.py + t.vy
    if t.px < 0 or t.px > 640 then t.vx = -t.vx end
    if t.py < 0 or t.py > 480 then t.vy = -t.vy end
    t.age = t.age + 1
  end
end
local s = 0
for _, t in ipairs(movers) do s = s + t.px * 3 + t.py + t.age end
print(s)
