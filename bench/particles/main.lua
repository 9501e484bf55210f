-- The runner's particle scene in LOVE: one stream of RATE disks (16 pixels) a step from a 100 x 100
-- square, speed 1..3 pixels a step in every direction, red to blue and opaque to clear over a life
-- of LIFE steps. Steps are 1/60 s. Prints "mark" at the start of frame WARMUP and of frame
-- WARMUP + FRAMES, and quits 10 frames later. With UPDATE_ONLY=1 a frame updates the system and
-- draws nothing.
local rate, life = tonumber(os.getenv("RATE")), tonumber(os.getenv("LIFE"))
local warmup, frames = tonumber(os.getenv("WARMUP")), tonumber(os.getenv("FRAMES"))
local updateOnly = os.getenv("UPDATE_ONLY") == "1"
local step = 1 / 60
local system

function love.load()
  io.stdout:setvbuf("line")
  -- The runner's disk: opaque within the radius, edges smoothed by 4 x 4 samples a pixel.
  local data = love.image.newImageData(64, 64)
  data:mapPixel(function(x, y)
    local covered = 0
    for sy = 0, 3 do
      for sx = 0, 3 do
        local u = (x + (sx + 0.5) / 4) / 32 - 1
        local v = (y + (sy + 0.5) / 4) / 32 - 1
        if u * u + v * v <= 1 then covered = covered + 1 end
      end
    end
    return 1, 1, 1, covered / 16
  end)
  local image = love.graphics.newImage(data)
  image:setFilter("linear", "linear")
  system = love.graphics.newParticleSystem(image, math.max(1, rate * life + rate))
  system:setEmissionRate(rate / step)
  system:setParticleLifetime(life * step)
  system:setEmissionArea("uniform", 50, 50)
  system:setPosition(400, 300)
  system:setSpeed(1 / step, 3 / step)
  system:setSpread(2 * math.pi)
  system:setSizes(0.25)
  system:setColors(1, 0, 0, 1, 0, 0, 1, 0)
  system:start()
end

-- An error ends the run with its message instead of waiting on LOVE's error screen.
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
    if frame == warmup + frames then print("mark") end
    if frame == warmup + frames + 10 then return 0 end
    system:update(step)
    if not updateOnly then
      love.graphics.origin()
      love.graphics.clear(0, 0, 0, 1)
      love.graphics.draw(system)
      love.graphics.present()
    end
  end
end
