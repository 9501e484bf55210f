-- Whole-number arithmetic with mod, div and bit operations deciding branches (LuaJIT: its bit
-- library and math.floor for Lua 5.4's operators).
local band, bor, bxor, rshift, floor = bit.band, bit.bor, bit.bxor, bit.rshift, math.floor
local s = 0
local h = 1
for i = 0, 9999999 do
  h = (h * 1103 + i) % 65536
  if h % 3 == 0 then s = s + floor(h / 3)
  elseif band(h, 15) == 7 then s = s + bor(rshift(h, 2), 1)
  elseif h % 5 == 1 then s = s - band(h, 255)
  else s = s + band(bxor(h, i), 7) end
end
print(s)
