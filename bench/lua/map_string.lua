-- A map from texts to numbers.
local letters = {}
for a = 0, 25 do letters[a] = string.char(97 + a) end
local m = {}
local n = 0
for a = 0, 25 do
  for b = 0, 25 do
    for c = 0, 25 do
      m["k" .. letters[a] .. letters[b] .. letters[c]] = n
      n = n + 1
    end
  end
end
local s = 0
for _ = 1, 40 do
  for a = 0, 25 do
    for b = 0, 25 do
      for c = 0, 25 do
        s = s + m["k" .. letters[a] .. letters[b] .. letters[c]]
      end
    end
  end
end
print(s)
