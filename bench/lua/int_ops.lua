-- Whole-number arithmetic with mod, div and bit operations deciding branches.
local s = 0
local h = 1
for i = 0, 9999999 do
  h = (h * 1103 + i) % 65536
  if h % 3 == 0 then s = s + h // 3
  elseif (h & 15) == 7 then s = s + ((h >> 2) | 1)
  elseif h % 5 == 1 then s = s - (h & 255)
  else s = s + ((h ~ i) & 7) end
end
print(s)
