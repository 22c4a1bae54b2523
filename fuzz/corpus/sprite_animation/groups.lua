s:beginSimultaneousAnimation()
s:addSequentialAnimation(1, { x = 30, duration = 300 })
s:addSequentialAnimation(2, { sprite = t, alpha = 0, duration = 800 })
s:endSimultaneousAnimation()
s:endSimultaneousAnimation()
s:addSequentialAnimation(2, { rotation = 0 })
t:beginSimultaneousAnimation()
t:endSimultaneousAnimation()
function main(a, b) s:addSequentialAnimation(7, { x = a, y = b, duration = 10 }) end
