-- Class script of the engine's sprites. Every field of xov.Sprite is copied
-- into the metatable "xov.Sprite", on top of the node class, next to the
-- methods the engine registers (width, height, left, top, frame, frameCount,
-- setFrame, firstFrame, lastFrame, rotation, setRotation, setScale, setSkew,
-- setAnchorPoint, setObsolete, addSequentialAnimation,
-- beginSimultaneousAnimation, endSimultaneousAnimation).
xov = xov or {}
xov.Sprite = xov.Sprite or {}

-- Plays the step tables one after the other, as a new animation.
function xov.Sprite.animate(self, steps)
    for i, step in ipairs(steps) do
        self:addSequentialAnimation(i, step)
    end
    return self
end

-- Plays the step tables all at once, after what the animation holds so far;
-- what follows waits for the longest of them.
function xov.Sprite.together(self, steps, continuing)
    self:beginSimultaneousAnimation()
    for i, step in ipairs(steps) do
        self:addSequentialAnimation((continuing or i > 1) and 2 or 1, step)
    end
    self:endSimultaneousAnimation()
    return self
end
