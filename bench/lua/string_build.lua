-- Building a text by joining 20,000 parts one at a time.
local parts = {[0] = "alpha", "beta", "gamma", "delta"}
local s
for _ = 1, 5 do
  s = ""
  for i = 0, 19999 do s = s .. parts[i % 4] end
end
print(s == "" and 1 or 0)
