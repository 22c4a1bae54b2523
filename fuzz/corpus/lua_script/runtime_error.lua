local function f(n) if n == 0 then error({code = 1}) end return f(n - 1) end
f(5)
