local function r() return r() + 1 end
r()
