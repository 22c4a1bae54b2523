-- Class script of the engine's game nodes. Every field of xov.GameNode is
-- copied into the metatable "xov.GameNode", next to the methods the engine
-- registers (x, y, visible, isVisible, setVisible, parent, parentX, parentY,
-- child, bringToFront).
xov = xov or {}
xov.GameNode = xov.GameNode or {}

-- The node's position in its parent as two values.
function xov.GameNode.position(self)
    return self:x(), self:y()
end
