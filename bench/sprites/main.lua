-- The runner's sprite scene in LOVE: COUNT images of 26 x 37 pixels at the same places and speeds
-- as the runner's instances, each turned back at the room's edges before it moves, one draw a
-- sprite a frame. Prints "mark" in the update of frame WARMUP and of frame WARMUP + FRAMES, then
-- quits.
local count = tonumber(os.getenv("COUNT"))
local warmup, frames = tonumber(os.getenv("WARMUP")), tonumber(os.getenv("FRAMES"))
local image
local xs, ys, hs, vs = {}, {}, {}, {}

function love.load()
  io.stdout:setvbuf("line")
  image = love.graphics.newImage("sprite.png")
  image:setFilter("nearest", "nearest")
  for j = 1, count do
    local i = j - 1
    xs[j] = (i * 7919) % 775
    ys[j] = (i * 104729) % 564
    hs[j] = 1 + i % 4
    if i % 2 == 1 then hs[j] = -hs[j] end
    vs[j] = 1 + math.floor(i / 4) % 3
    if math.floor(i / 2) % 2 == 1 then vs[j] = -vs[j] end
  end
end

function love.errorhandler(message)
  print("error: " .. tostring(message))
end

-- LOVE's own loop without its pause of a millisecond a frame.
function love.run()
  love.load()
  local frame = 0
  return function()
    love.event.pump()
    for name in love.event.poll() do
      if name == "quit" then return 0 end
    end
    frame = frame + 1
    if frame == warmup then print("mark") end
    if frame == warmup + frames then
      print("mark")
      return 0
    end
    for j = 1, count do
      local x, y = xs[j], ys[j]
      if x < 0 or x > 774 then hs[j] = -hs[j] end
      if y < 0 or y > 563 then vs[j] = -vs[j] end
      xs[j] = x + hs[j]
      ys[j] = y + vs[j]
    end
    love.graphics.origin()
    love.graphics.clear(0, 0, 0, 1)
    for j = 1, count do
      love.graphics.draw(image, xs[j], ys[j])
    end
    love.graphics.present()
  end
end
