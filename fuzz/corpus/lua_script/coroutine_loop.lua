local co = coroutine.wrap(function() while true do coroutine.yield(1) end end)
while true do co() end
