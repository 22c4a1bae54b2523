local t = {}
for i = 1, 10 do t[#t + 1] = i * i end
function main(a, b) return #t + a, b end
return t
