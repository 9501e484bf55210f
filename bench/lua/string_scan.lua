-- A text scanned character by character, its words copied out and joined into a new text,
-- 60,000 times.
local text = "the quick brown fox jumps over the lazy dog while seven wizards quietly hex a jinx "
local n = #text
local total = 0
for _ = 1, 60000 do
  local out = ""
  local start = 1
  for i = 1, n do
    local c = string.sub(text, i, i)
    if c == " " then
      out = out .. string.sub(text, start, i - 1) .. ","
      start = i + 1
    end
  end
  total = total + #out
end
print(total)
