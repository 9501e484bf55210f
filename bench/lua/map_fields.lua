-- A small table of named fields read and replaced in a loop.
local m = {hp = 100, mp = 50, gold = 0, level = 3}
local s = 0
for i = 0, 11999999 do
  m["gold"] = m["gold"] + i % 7
  s = s + m["hp"] - m["level"]
end
print(s + m["gold"])
