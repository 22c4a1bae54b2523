local S = xov.Sprite
for _, f in ipairs({ "width", "height", "left", "top", "frame", "frameCount", "rotation" }) do pcall(S[f], s) end
pcall(S.setScale, s) pcall(S.setScale, s, { x = "3" }) pcall(S.setScale, s, 1, 2)
pcall(S.setSkew, s, 0 / 0, 1 / 0) pcall(S.setSkew, s, {})
pcall(S.setAnchorPoint, s, "center") pcall(S.setAnchorPoint, s, { y = 2 }) pcall(S.setAnchorPoint, s, "nowhere")
pcall(S.setFrame, t, 99) pcall(S.setFrame, t, -1) pcall(S.lastFrame, t) pcall(S.firstFrame, n)
pcall(S.setRotation, s, 1e308) pcall(S.setObsolete, t, 1) pcall(S.width, 5) pcall(S.width, {})
