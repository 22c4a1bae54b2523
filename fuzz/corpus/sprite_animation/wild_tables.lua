local weird = setmetatable({}, { __index = function() error("no") end })
pcall(s.addSequentialAnimation, s, 1, weird)
pcall(s.addSequentialAnimation, s, 1, { x = 1e308, y = -1e308, duration = 1e300, delay = -1e300 })
pcall(s.addSequentialAnimation, s, 2, { alpha = 0 / 0, frame = 1 / 0, duration = -1 })
pcall(s.addSequentialAnimation, s, 2, { sprite = n })
pcall(s.addSequentialAnimation, s, 2, { call = 5, command = {}, target = s })
for i = 1, 200 do s:addSequentialAnimation(i % 3, { dx = i, duration = i }) end
