-- The same grid of coloured cells as the runner's model, as one mesh drawn 100 times a frame.
-- Prints the frames drawn, the seconds they took after the first WARMUP, and the draw calls of
-- the last frame.
local columns, rows = tonumber(arg[2]), tonumber(arg[3])
local frames, warmup = tonumber(arg[4]), tonumber(arg[5])
local mesh, frame, start, calls

function love.load()
  local vertices = {}
  local w, h = 64 / columns, 48 / rows
  for j = 0, rows - 1 do
    for i = 0, columns - 1 do
      local x, y = i * w, j * h
      local r, g = (i % 256) / 255, (j % 256) / 255
      for _, p in ipairs({{x, y}, {x + w, y}, {x, y + h}, {x + w, y}, {x + w, y + h}, {x, y + h}}) do
        vertices[#vertices + 1] = {p[1], p[2], 0, 0, r, g, 128 / 255, 1}
      end
    end
  end
  mesh = love.graphics.newMesh(vertices, "triangles", "static")
  frame = 0
end

function love.draw()
  for k = 0, 99 do love.graphics.draw(mesh, (k % 10) * 64, math.floor(k / 10) * 48) end
  calls = love.graphics.getStats().drawcalls
end

function love.update()
  frame = frame + 1
  if frame == warmup then start = love.timer.getTime() end
  if frame == frames then
    print(string.format("%d %.6f %d", frames - warmup, love.timer.getTime() - start, calls))
    love.event.quit()
  end
end
