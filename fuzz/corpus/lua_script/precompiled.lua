local f = function() return 1 end
local g, e = loadstring(string.dump(f))
assert(g == nil)
return load(function() return string.dump(f) end)
